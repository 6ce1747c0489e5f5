// Moving between pages and showing the current one: leaving a page (its edits are written and it
// is recorded in the history), showing the page the cursor stands on (header fields, text, page
// number), going to a page by its number, the navigation commands, the page history and the
// memory of the caret position on each visited page; the header fields and the category list;
// adding, deleting and listing pages.  Owned by the main window; its commands call it.  It sees
// the program through the shell services, the open file through its session, and drives the
// header fields, the page number and the text area given to it.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browse/page_history.h"
#include "store/table.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QObject;
class QToolButton;
class QWidget;

namespace sk::shell {
class ShellServices;
class PageFileSession;
}  // namespace sk::shell
namespace sk::editor {
class TextArea;
class TextEditor;
}  // namespace sk::editor
namespace sk::images {
class ImageSide;
}

namespace sk::browse {

class PageSelector;
class TAddPageForm;
class TPageListForm;

class Navigator {
 public:
  // The controls the navigator drives.
  struct Widgets {
    QComboBox* category = nullptr;
    QLineEdit* title = nullptr;
    QLineEdit* subtitle = nullptr;
    QLineEdit* date = nullptr;
    QToolButton* date_picker = nullptr;  // drops the calendar down
    QLabel* page_number = nullptr;
    editor::TextArea* text = nullptr;
    // The picture file name box and the two image areas: the focus there is on none of the
    // header fields or the text.
    QWidget* image_name = nullptr;
    QWidget* image1 = nullptr;
    QWidget* image2 = nullptr;
  };

  Navigator(shell::ShellServices& shell, shell::PageFileSession& session, PageSelector& selector,
            images::ImageSide& images, const Widgets& widgets);
  ~Navigator();
  // The text area's editor, which shows each page's text (made after the navigator).
  void SetTextEditor(editor::TextEditor& editor) { editor_ = &editor; }

  // ---- Showing and leaving pages ----
  // Writes the edits of the page on show into its record.  False when the write failed; the
  // edits then stay in the controls and the user has been told.
  bool MainTablePost();
  void BeforeMove();
  // Shows the current record (a new page when the file is empty).
  void AfterMove(bool focus, bool reset_undo);
  // Makes page n current (-1: the last page in page-number order); true when it is.
  bool GotoRecNo(int n);
  // Unbinds / binds the header controls from / to the current record.  Unbinding writes the
  // edits still in the controls first unless `post` is false (the caller wrote them, or lets
  // the next page's fields replace them).
  void ResetLink(bool post = true);
  void SetLink();

  // Cursor steps; `leave` leaves the page properly first.
  void MainTableFirst(bool leave);
  void MainTableLast(bool leave);
  void MainTableNext(bool leave);
  void MainTablePrior(bool leave);

  // ---- Commands ----
  void FirstItemClick();
  void PriorItemClick();
  void NextItemClick();
  void LastItemClick();
  void TenPriorItemClick();
  void TenNextItemClick();
  void JumpPageNumItemClick();
  void ToLastNextYear(int delta);
  void ModoruButtonClick();
  void SusumuButtonClick();
  void RecordAppendItemClick();
  void RecordDeleteItemClick();
  void PageListItemClick();
  // Goes to the page dated on or after `target` in date order (or the last before it).
  void DateFindStart(const store::Date& target);

  // ---- History and position memory ----
  void ResetBookmarkList();
  void SetBookmarkList();
  void ResetRecNoList();
  void SetRecNoList();
  const PageHistory& history() const { return history_; }
  // The pages took new numbers (slimming; index: old number, value: new one, 0 for a page that
  // is gone): the history, the remembered positions and the file's stored view follow them.
  void RenumberPages(const std::vector<uint32_t>& new_number);
  const PagePositionList& positions() const { return positions_; }

  // ---- Header fields ----
  // The category list of the open file: from the settings and the pages (existing), or the
  // defaults (a new file); written back and offered by the category box.
  void SetBunrui(bool existing);
  const std::vector<std::string>& CategoryList() const { return category_list_; }
  void BunruiComboBoxExit();
  // The calendar closed on `date`: the page takes it at once.
  void DateTimePickerCloseUp(const store::Date& date);
  // The date the calendar holds for the page on show.
  std::optional<store::Date> PickerDate() const { return picker_date_; }
  // The memorial-day caption of the date; filled in with the memorial days.
  void SetDateCaption();

  // ---- Opening and closing files ----
  // Gives a file just opened the view it had when it was last closed (page, text selection,
  // pictures, order, selection) and shows its page; a file without one starts in page-number
  // order without a selection, on its first page.
  void SetViewConditionBeforeOpen();
  // Keeps the view of the file about to be closed in its subkey, writes the page on show, then
  // switches the selection off and clears the selection dialog.
  void SaveViewConditionBeforeClose();
  // The file's bookmarks.
  void GetShiori();
  void SaveShiori();
  // A page file just created: its first page, dated today.
  void StartNewFile();
  // No file: empty header, text and image side, page number 0.
  void ClearPage();

  // The header fields as the user sees them (CP932).
  std::string ShownBunrui() const;
  std::string ShownTitle() const;
  std::string ShownChosha() const;

  // "2004/2/29(日)"
  static QString FormatDate(const store::Date& d);

  // An alternate file shown in place of the text (none yet).
  bool AlternateShown() const { return false; }
  // A replace with confirmation is running: the remembered positions are not restored.
  bool ReplacingWithConfirmation() const { return replacing_with_confirmation_; }
  void SetReplacingWithConfirmation(bool on) { replacing_with_confirmation_ = on; }

 private:
  void ShowCaretLine();
  void ShowHeaderFields();
  void PutSelImageNo();
  void UpdateHistoryButtons();
  void EnableHistoryButtons(bool back, bool forward);
  bool AfterCommandMove(int before);  // AfterMove unless the same page stays on show
  bool LeaveForHistory();
  void ShowAfterHistoryStep(bool stepped);
  void InstallFieldHandlers();

  shell::ShellServices& shell_;
  shell::PageFileSession& session_;
  PageSelector& selector_;
  images::ImageSide& images_;
  const Widgets w_;
  editor::TextEditor* editor_ = nullptr;
  // The header controls' focus and key handler; the context of the controls' connections, so
  // that none outlives the navigator.
  std::unique_ptr<QObject> events_;
  std::vector<std::string> category_list_;  // CP932
  // What the header controls showed when the page was loaded, to see what the user changed.
  std::string shown_bunrui_, shown_title_, shown_chosha_;
  std::optional<store::Date> shown_date_, picker_date_;
  PageHistory history_;
  bool history_navigating_ = false;
  PagePositionList positions_;
  std::unique_ptr<TAddPageForm> add_page_form_;
  std::unique_ptr<TPageListForm> page_list_form_;
  bool replacing_with_confirmation_ = false;
};

}  // namespace sk::browse
