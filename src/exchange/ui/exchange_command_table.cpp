#include "exchange/ui/exchange_command_table.h"

#include "exchange/ui/exchange_controller.h"
#include "shell/command_table.h"

namespace sk::exchange {

void AddExchangeCommands(shell::CommandTable& table, ExchangeController& exchange) {
  using C = ExchangeController;
  const std::pair<const char*, void (C::*)()> commands[] = {
      {"ToTextFileItemClick", &C::ToTextFileItemClick},
      {"HTMLFileItemClick", &C::HTMLFileItemClick},
      {"TeXFileItemClick", &C::TeXFileItemClick},
      {"ToDBFItemClick", &C::ToDBFItemClick},
      {"FileOutPutItemClick", &C::FileOutPutItemClick},
      {"APPendDBFItemClick", &C::APPendDBFItemClick},
      {"AppendTextToOneRecordItemClick", &C::AppendTextToOneRecordItemClick},
      {"AppendTextToNewRecordItemClick", &C::AppendTextToNewRecordItemClick},
  };
  for (const auto& [handler, run] : commands)
    table.Add(handler, [x = &exchange, run] { (x->*run)(); });
}

}  // namespace sk::exchange
