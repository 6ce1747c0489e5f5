// The File menu's exports and imports.
#pragma once

namespace sk::shell {
class CommandTable;
}

namespace sk::exchange {

class ExchangeController;

void AddExchangeCommands(shell::CommandTable& table, ExchangeController& exchange);

}  // namespace sk::exchange
