// The File menu's exports and imports: each calls the exchange controller.
#include "app/ui/mainform.h"
#include "app/ui/window_commands.h"
#include "exchange/ui/exchange_controller.h"

namespace sk::app {

const ExchangeCommandMap& ExchangeHandlers() {
  using Controller = exchange::ExchangeController;
  static const ExchangeCommandMap map = {
      {"ToTextFileItemClick", &Controller::ToTextFileItemClick},
      {"HTMLFileItemClick", &Controller::HTMLFileItemClick},
      {"TeXFileItemClick", &Controller::TeXFileItemClick},
      {"ToDBFItemClick", &Controller::ToDBFItemClick},
      {"FileOutPutItemClick", &Controller::FileOutPutItemClick},
      {"APPendDBFItemClick", &Controller::APPendDBFItemClick},
      {"AppendTextToOneRecordItemClick", &Controller::AppendTextToOneRecordItemClick},
      {"AppendTextToNewRecordItemClick", &Controller::AppendTextToNewRecordItemClick},
  };
  return map;
}

}  // namespace sk::app
