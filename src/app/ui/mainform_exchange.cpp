// The File menu's exports and imports: each calls the exchange controller.
#include "app/ui/mainform.h"
#include "app/ui/window_commands.h"
#include "exchange/ui/exchange_controller.h"

namespace sk::app {

namespace {

using Controller = exchange::ExchangeController;

const ExchangeCommandMap& ExchangeHandlers() {
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

}  // namespace

bool TSDIAppForm::RunExchangeHandler(const std::string& handler) {
  return exchange_ && RunCommand(ExchangeHandlers(), handler, *exchange_);
}

bool TSDIAppForm::ExchangeCommandBuilt(const std::string& handler) {
  return ExchangeHandlers().count(handler) > 0;
}

}  // namespace sk::app
