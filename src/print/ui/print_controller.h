// The print command of the window: the print settings dialog, made once and kept for the whole
// run so that its values stay between uses, shown while a page file is open; and the preview it
// opens, for which the pages are read, laid out and shown.
#pragma once

#include <memory>

namespace sk::shell {
class ShellServices;
class PageFileSession;
}  // namespace sk::shell
namespace sk::browse {
class Navigator;
class PageSelector;
}  // namespace sk::browse
namespace sk::images {
class ImageSearchPath;
}

namespace sk::print {

class TPrintForm;
struct PrintSettings;

class PrintController {
 public:
  // nav and selector: the current page is written before the pages are read and shown again
  // after; search_path: where the pictures of the pages are found.
  PrintController(shell::ShellServices& shell, shell::PageFileSession& session,
                  browse::Navigator& nav, browse::PageSelector& selector,
                  const images::ImageSearchPath& search_path);
  ~PrintController();
  PrintController(const PrintController&) = delete;
  PrintController& operator=(const PrintController&) = delete;

  // Shows the print settings dialog modally; nothing without an open page file.
  void PrintItemClick();
  // "印刷イメージ作成": reads the pages the settings choose, lays them out (with progress and a
  // cancel) and shows the preview over the settings dialog.
  void ShowPreview();

  // The print settings dialog, made at the first use and kept for the run.
  TPrintForm& Form();

 private:
  // The dialog's values with what the main settings add (tab width, user name).
  PrintSettings Settings();

  shell::ShellServices& shell_;
  shell::PageFileSession& session_;
  browse::Navigator& nav_;
  browse::PageSelector& selector_;
  const images::ImageSearchPath& search_path_;
  std::unique_ptr<TPrintForm> form_;  // made by Form()
};

}  // namespace sk::print
