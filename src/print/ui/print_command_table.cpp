#include "print/ui/print_command_table.h"

#include "print/ui/print_controller.h"
#include "shell/command_table.h"

namespace sk::print {

void AddPrintCommands(shell::CommandTable& table, PrintController& print) {
  using C = PrintController;
  const shell::CommandTable::Method<C> commands[] = {
      {"PrintItemClick", &C::PrintItemClick},
  };
  table.AddMethods(print, commands);
}

}  // namespace sk::print
