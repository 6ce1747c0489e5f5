// The print command of the window: the print settings dialog, made once and kept for the whole
// run so that its values stay between uses, shown while a page file is open.
#pragma once

#include <functional>
#include <memory>

namespace sk::shell {
class ShellServices;
class PageFileSession;
}  // namespace sk::shell

namespace sk::print {

class TPrintForm;

class PrintController {
 public:
  PrintController(shell::ShellServices& shell, shell::PageFileSession& session);
  ~PrintController();
  PrintController(const PrintController&) = delete;
  PrintController& operator=(const PrintController&) = delete;

  // Shows the print settings dialog modally; nothing without an open page file.
  void PrintItemClick();

  TPrintForm& Form() { return *form_; }
  // What "印刷イメージ作成" opens once the dialog's values are taken.
  void SetShowPreview(std::function<void()> show) { show_preview_ = std::move(show); }

 private:
  shell::ShellServices& shell_;
  shell::PageFileSession& session_;
  std::function<void()> show_preview_;
  std::unique_ptr<TPrintForm> form_;
};

}  // namespace sk::print
