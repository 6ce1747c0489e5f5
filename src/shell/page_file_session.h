// The open page file: its table, path, name and folder, the last file used, and the state every
// subsystem reads while it is open (whether the header fields follow the record, whether moving
// draws the pictures, which area has the focus).  Opening shows the index rebuild's progress and
// tells the user what failed; closing writes nothing of the page on show (the navigator posts it
// first).  Owned by the main window and handed by reference to the controllers.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "store/table.h"

namespace sk::shell {

class ShellServices;

class PageFileSession {
 public:
  explicit PageFileSession(ShellServices& shell);
  PageFileSession(const PageFileSession&) = delete;
  PageFileSession& operator=(const PageFileSession&) = delete;

  store::Table& table() { return table_; }
  const store::Table& table() const { return table_; }
  bool IsOpen() const { return table_.is_open(); }

  // The page file's path (real case), its name without folder and extension, and its folder.
  const QString& Path() const { return path_; }
  const QString& Name() const { return name_; }
  const QString& Dir() const { return dir_; }
  // The page file to offer in the open dialog or to reopen at start.
  const QString& LastAccessed() const { return last_accessed_; }
  void SetLastAccessed(const QString& path) { last_accessed_ = path; }

  // The page file about to be opened, created or renamed becomes the session's and the last one
  // used (written to the settings at once); those watching the folder are told.
  void SetPath(const QString& path);
  // Called with the new folder whenever SetPath runs (the image search path follows it).
  void OnFolderChanged(std::function<void(const QString&)> fn) {
    folder_watchers_.push_back(std::move(fn));
  }

  // Opens the table of Path() exclusively, with progress when its index must be rebuilt; tells
  // the user when it cannot (a cancelled rebuild only in the status bar).  False: nothing open.
  bool Open();
  // Opens the file again in the display order `order` (page-number order when empty or when
  // its tag is gone, which is told).  False: nothing open.
  bool Reopen(const std::string& order);
  // Closes the table (the header fields stop following it); a failure is shown.  The page on
  // show must have been posted before.  False when the close reported a fault.
  bool Close();

  // The header fields follow the current record (set by the navigator's ResetLink/SetLink).
  bool FieldsLinked() const { return fields_linked_; }
  void SetFieldsLinked(bool on) { fields_linked_ = on; }
  // Moving to a page draws its pictures (off during searches and replaces that pass many pages).
  bool DrawImagesOnMove() const { return draw_images_on_move_; }
  void SetDrawImagesOnMove(bool on) { draw_images_on_move_ = on; }
  // The field that had the focus last: 1 title, 2 subtitle, 3 text, 0 another control.
  int FocusedArea() const { return focused_area_; }
  void SetFocusedArea(int area) { focused_area_ = area; }

 private:
  ShellServices& shell_;
  store::Table table_;
  QString path_, name_, dir_, last_accessed_;
  bool fields_linked_ = false;
  bool draw_images_on_move_ = true;
  int focused_area_ = 3;
  std::vector<std::function<void(const QString&)>> folder_watchers_;
};

}  // namespace sk::shell
