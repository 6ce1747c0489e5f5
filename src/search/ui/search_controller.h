// The searches and the replace of the window: the search state, the dialogs, the search across
// pages and within the page, the field searches, the continue commands, the not-found signal, and
// the replace run that waits at each hit for one of the four toolbar buttons.  Owned by the main
// window, which hands it to the search commands.  It is made with what it works on: the shell
// services, the open page file, the text area's editor, the navigator, the page selection, the
// image side and the widgets it drives.
//
// Files: search_controller.cpp (searches), replace_run.cpp (replace).
#pragma once

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "search/find_scan.h"
#include "search/page_search.h"
#include "search/replace_text.h"
#include "store/table.h"

class QAction;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace sk::shell {
class ShellServices;
class PageFileSession;
}  // namespace sk::shell
namespace sk::editor {
class TextArea;
class TextEditor;
}  // namespace sk::editor
namespace sk::browse {
class Navigator;
class PageSelector;
}  // namespace sk::browse
namespace sk::images {
class ImageSide;
}

namespace sk::search {

class TFindForm;
class TReplaceForm;

class SearchController {
 public:
  // The window's controls a search reads and selects in, and those a waiting replace changes.
  struct Widgets {
    editor::TextArea* text = nullptr;  // the text area
    QLineEdit* title = nullptr;        // the title box
    QLineEdit* subtitle = nullptr;     // the subtitle box
    // The toolbar: a waiting replace hides its buttons and shows the four of its own, which the
    // controller adds at its end (hidden until a replace waits).
    QToolBar* toolbar = nullptr;
  };

  // editor: the text area's, which selects the hits and records the replacements.
  SearchController(shell::ShellServices& shell, shell::PageFileSession& session,
                   editor::TextEditor& editor, browse::Navigator& nav,
                   browse::PageSelector& selector, images::ImageSide& images, Widgets widgets);
  ~SearchController();
  SearchController(const SearchController&) = delete;
  SearchController& operator=(const SearchController&) = delete;

  // ---- Commands ----
  void MojiFindItemClick();           // text
  void DateFindItemClick();           // date
  void TitleFindItemClick();          // title
  void ChoshaFindItemClick();         // subtitle
  void ImageFileNameFindItemClick();  // image file names
  void AllFindItemClick();            // all fields
  void NextFindItemClick() { ContinueAcrossPages(true); }
  void PriorFindItemClick() { ContinueAcrossPages(false); }
  void DownFindItemClick() { UpDownFind(true); }
  void UpFindItemClick() { UpDownFind(false); }
  void ReplaceItemClick();
  // The four buttons of a waiting replace: 1 "置換して次へ", 2 "置換せず次へ", 3 "一気に置換",
  // 4 "中止".
  void ReplaceButtonClick(int code);

  TFindForm& FindForm();
  TReplaceForm& ReplaceForm();
  bool ReplaceWaiting() const { return replace_waiting_; }
  // The four buttons of a waiting replace (0-3), on the toolbar.
  QPushButton* ReplaceButton(int i) const { return replace_buttons_[size_t(i)]; }
  // How many times a search has given the not-found signal (a beep cannot be heard in a test).
  int NotFoundSignals() const { return not_found_signals_; }
  // The kind of the search the continue commands repeat: 0 none, 1 text, 2 date, 3 title,
  // 4 subtitle, 5 image file name, -1 all fields.
  int FindKind() const { return find_kind_; }
  // Tests: replaces the progress dialog of long runs (false: the user cancelled).
  void SetProgressForTest(store::Table::Progress progress) {
    progress_for_test_ = std::move(progress);
  }

 private:
  // ---- Search state ----
  int find_kind_ = 0;  // `FindKind`
  bool NewFind = false;
  bool FindForward = true;
  bool FindMatchCase = false;
  bool FindInPage = false;
  bool FindAnyString = true;
  bool ForceAnyString = false;
  std::string FindInput;  // CP932, as typed
  SearchStrings FindStrings;
  FindHit LastHit;
  std::optional<store::Date> FindTargetDate;
  bool FindDateInvalid = false;

  // ---- Replace state ----
  std::string ReplaceFrom, ReplaceTo;  // CP932
  bool ReplaceMatchCase = false;
  bool ReplaceConfirm = true;
  bool ReplaceOnePage = true;
  bool ReplaceFromTop = true;
  bool ReplaceUpward = false;
  bool ReplaceResumed = false;
  int ReplaceButtonCode = 0;
  int ReplaceCount = 0;
  size_t ReplacePos = 0;
  size_t ReplaceLastPos = 0;
  int ReplaceLastHitPage = 0;
  int ReplaceStartPage = 0;
  bool ReplaceStartLeft = false;
  bool ReplaceEndLeft = false;
  bool ReplaceOnlyStartPage = true;
  int ReplaceStartSelLength = 0;

  // Shows the dialog for `kind` with its caption and first line; on OK the history is updated,
  // `NewFind` set and the search started, on cancel `FindKind` gets its old value back.
  void RunFindDialog(int kind, const QString& caption, const QString& first_line);
  // The dialog of a field search, captioned with item `caption_item` of the field captions.
  void RunFieldFindDialog(int kind, size_t caption_item);
  void FindStart();
  void SetKensakuMojiList();
  // The search across pages for the text (kind 1) and the field searches (3, 4, 5, -1).
  void PagesFindStart();
  // Within the page, on the text area's text.
  void InRecordMojiFindStart();
  void ContinueAcrossPages(bool forward);
  void UpDownFind(bool forward);
  void NotFoundMessage();
  // Back on the start page after a search that found nothing or was cancelled.
  void ReturnToStartPage(int start_page);
  SearchFields FieldsOfKind() const;
  // The hit of a field search shown where it was found.
  void ShowFieldHit();

  // ---- replace (replace_run.cpp) ----
  bool StartReplace();
  void ReplaceLoop();
  // `InRecordFind` and `DoReplace` on the page's text, the way the run goes.
  bool InRecordFind();
  void DoReplace(bool replace);
  // Writes the changed text of the page the run stands on; false when it could not.
  bool FlushPageText();
  void ChangeButton(bool show);
  // The end of a run: the final page and selection, and the report.  final_set: the selection
  // is given (a run stopped with "中止").
  void FinishReplace(bool final_set, size_t final_start, int final_length);
  std::string PageText() const;

  shell::ShellServices& shell_;
  shell::PageFileSession& session_;
  editor::TextEditor& editor_;
  browse::Navigator& nav_;
  browse::PageSelector& selector_;
  images::ImageSide& images_;
  Widgets w_;
  store::Table::Progress progress_for_test_;
  std::unique_ptr<TFindForm> find_form_;
  std::unique_ptr<TReplaceForm> replace_form_;
  bool input_encodable_ = true;
  int not_found_signals_ = 0;
  // The replace run.
  bool replace_waiting_ = false;
  bool replace_buttons_ready_ = false;
  std::array<QPushButton*, 4> replace_buttons_{};
  int replace_first_image_ = 0;
  bool from_encodable_ = true;
  bool replace_downward_ = true;
  int replace_page_ = 0;      // the page replace_text_ was read from
  ReplaceText replace_text_;  // its text, replaced in memory
  bool replace_walk_done_ = false;
  std::vector<QAction*> disabled_actions_;
  std::vector<QAction*> hidden_tool_actions_;
};

}  // namespace sk::search
