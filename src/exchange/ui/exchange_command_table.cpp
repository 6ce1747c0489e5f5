#include "exchange/ui/exchange_command_table.h"

#include "exchange/ui/exchange_controller.h"
#include "shell/command_table.h"

namespace sk::exchange {

void AddExchangeCommands(shell::CommandTable& table, ExchangeController& exchange) {
  using C = ExchangeController;
  const shell::CommandTable::Method<C> commands[] = {
      {"ToTextFileItemClick", &C::ToTextFileItemClick},
      {"HTMLFileItemClick", &C::HTMLFileItemClick},
      {"TeXFileItemClick", &C::TeXFileItemClick},
      {"ToDBFItemClick", &C::ToDBFItemClick},
      {"FileOutPutItemClick", &C::FileOutPutItemClick},
      {"APPendDBFItemClick", &C::APPendDBFItemClick},
      {"AppendTextToOneRecordItemClick", &C::AppendTextToOneRecordItemClick},
      {"AppendTextToNewRecordItemClick", &C::AppendTextToNewRecordItemClick},
  };
  table.AddMethods(exchange, commands);
}

}  // namespace sk::exchange
