#include "print/ui/print_controller.h"

#include <QString>
#include <QStringList>

#include "convert/cp932.h"
#include "print/ui/print_form.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::print {

PrintController::PrintController(shell::ShellServices& shell, shell::PageFileSession& session)
    : shell_(shell),
      session_(session),
      form_(std::make_unique<TPrintForm>(
          shell.prompter(), shell.reg(),
          [this] {
            if (show_preview_) show_preview_();
          },
          shell.DialogParent())) {}

PrintController::~PrintController() = default;

void PrintController::PrintItemClick() {
  if (!session_.IsOpen()) return;
  QStringList captions;
  for (const std::string& c : shell_.field_captions()) captions << cp932::Decode(c);
  form_->FieldCaptions = captions;
  shell_.prompter().RunDialog(*form_);
}

}  // namespace sk::print
