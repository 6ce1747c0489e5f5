// The File menu's print command.
#pragma once

namespace sk::shell {
class CommandTable;
}

namespace sk::print {

class PrintController;

void AddPrintCommands(shell::CommandTable& table, PrintController& print);

}  // namespace sk::print
