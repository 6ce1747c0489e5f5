// Moving between pages and showing the current one: what happens before the page is left
// (its edits are written) and after another page becomes current (header fields, text, page
// number).  Owned by the main window; the window's commands call it.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "store/table.h"

namespace sk::app {
class TSDIAppForm;
}

namespace sk::browse {

class Navigator {
 public:
  explicit Navigator(app::TSDIAppForm& form);

  // Empties the page history.
  void ResetBookmarkList();
  // The category list of the open file: from the file (existing) or the defaults (new).
  void SetBunrui(bool new_file);
  // Order, selection and page of a file just opened.
  void SetViewConditionBeforeOpen();
  // Keeps the view state of the file being closed; writes the current page first.
  void SaveViewConditionBeforeClose();
  // The file's bookmarks.
  void GetShiori();
  void SaveShiori();
  // Shows the current record (a new page when the file is empty).
  void AfterMove(bool focus, bool reset_undo);
  // Writes the edits of the page on show into its record.  False when the write failed; the
  // edits then stay in the controls and the user has been told.
  bool MainTablePost();
  // A page file just created: its first page, dated today.
  void StartNewFile();
  // No file: empty header, text and image side.
  void ClearPage();

  const std::vector<std::string>& CategoryList() const { return category_list_; }

  // "2004/2/29(日)"
  static QString FormatDate(const store::Date& d);

 private:
  void ShowCaretLine();

  app::TSDIAppForm& f_;
  std::vector<std::string> category_list_;  // CP932
  // What the header controls showed when the page was loaded, to see what the user changed.
  std::string shown_bunrui_, shown_title_, shown_chosha_;
};

}  // namespace sk::browse
