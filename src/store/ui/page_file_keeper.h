// Keeping the open page file: the backup taken before it is opened or saved, slimming and
// renaming.  Owned by the main window; its file commands call it.
#pragma once

#include <QStringList>
#include <string>

namespace sk::app {
class TSDIAppForm;
}

namespace sk::store {

class PageFileKeeper {
 public:
  explicit PageFileKeeper(app::TSDIAppForm& form);

  // The rotating backup of the page file about to be opened (when backups are on).  A backup
  // that cannot be made is told once per file and run; the open goes on.  Progress with cancel
  // after half a second; a cancelled backup is told and the open goes on.
  void DoBackUp();
  // Slims the open page file after the question; the page on show stays on show under its new
  // number, in the same order and selection.
  void SlimItemClick();
  // Renames or moves the open page file; the page, the caret, the picture, the order and the
  // selection stay.
  void RenameItemClick();

 private:
  // Opens MainTable again in the display order and with the selection it had; false (and no
  // file open) when it cannot be opened.
  bool ReopenInSameView(const std::string& order, bool filtered);

  app::TSDIAppForm& f_;
  QStringList backup_failures_;  // page files whose backup failure the user has been told of
};

}  // namespace sk::store
