#include "search/ui/search_controller.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QToolBar>

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>

#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "convert/cp932.h"
#include "convert/sjis.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "images/image_list.h"
#include "images/ui/image_side.h"
#include "search/find_history.h"
#include "search/ui/find_form.h"
#include "search/ui/replace_form.h"
#include "settings/main_settings.h"
#include "settings/settings_store.h"
#include "shell/busy_progress.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::search {

namespace {

QString Caption(const shell::ShellServices& shell, size_t item) {
  const std::vector<std::string> c = shell.FieldCaptionsUtf8();
  return item < c.size() ? QString::fromStdString(c[item]) : QString();
}

// The QString positions of a byte range of CP932 text (a header box holds the field decoded).
std::pair<int, int> CharRange(std::string_view text, size_t pos, size_t len) {
  pos = std::min(pos, text.size());
  len = std::min(len, text.size() - pos);
  const int a = int(cp932::Decode(text.substr(0, pos)).size());
  const int b = int(cp932::Decode(text.substr(0, pos + len)).size());
  return {a, b - a};
}

}  // namespace

SearchController::SearchController(shell::ShellServices& shell, shell::PageFileSession& session,
                                   editor::TextEditor& editor, browse::Navigator& nav,
                                   browse::PageSelector& selector, images::ImageSide& images,
                                   Widgets widgets)
    : shell_(shell),
      session_(session),
      editor_(editor),
      nav_(nav),
      selector_(selector),
      images_(images),
      w_(widgets) {
  // The four buttons of a waiting replace, side by side at the toolbar's end; hidden otherwise.
  auto* holder = new QWidget;
  auto* row = new QHBoxLayout(holder);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  for (QPushButton*& b : replace_buttons_) {
    b = new QPushButton(holder);
    b->hide();
    row->addWidget(b);
  }
  if (w_.toolbar)
    w_.toolbar->addWidget(holder);
  else
    delete holder;
}

SearchController::~SearchController() = default;

TFindForm& SearchController::FindForm() {
  if (!find_form_) find_form_ = std::make_unique<TFindForm>(shell_.DialogParent());
  return *find_form_;
}

TReplaceForm& SearchController::ReplaceForm() {
  if (!replace_form_)
    replace_form_ = std::make_unique<TReplaceForm>(
        shell_.DialogParent(), [this](const QString& text) { shell_.Message(text); });
  return *replace_form_;
}

// ---- the dialog ----------------------------------------------------------------------------

void SearchController::MojiFindItemClick() {
  RunFindDialog(1, QStringLiteral("テキスト検索"),
                QStringLiteral("検索したい本文テキスト中の文字列を入力してください。"));
}

void SearchController::TitleFindItemClick() { RunFieldFindDialog(3, 1); }
void SearchController::ChoshaFindItemClick() { RunFieldFindDialog(4, 2); }
void SearchController::ImageFileNameFindItemClick() { RunFieldFindDialog(5, 4); }

void SearchController::RunFieldFindDialog(int kind, size_t caption_item) {
  const QString c = Caption(shell_, caption_item);
  RunFindDialog(
      kind, c + QStringLiteral("検索"),
      QStringLiteral("検索したい") + c + QStringLiteral("（の部分文字列）を入力してください。"));
}

void SearchController::AllFindItemClick() {
  RunFindDialog(-1, QStringLiteral("全項目検索"),
                QStringLiteral("検索したい文字列を入力して下さい。"));
}

void SearchController::DateFindItemClick() {
  const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
  RunFindDialog(2, Caption(shell_, 3) + QStringLiteral("検索"),
                QStringLiteral("\"") + today +
                    QStringLiteral("\"の形式で，半角数字を使って入力して下さい。"));
}

void SearchController::RunFindDialog(int kind, const QString& caption, const QString& first_line) {
  if (!session_.IsOpen()) return;
  const int old_kind = find_kind_;
  find_kind_ = kind;
  TFindForm& d = FindForm();
  d.setWindowTitle(caption);
  d.Label1->setText(first_line);
  settings::SettingsStore& reg = shell_.reg();
  reg.OpenKey(settings::kRootKey, true);
  std::vector<std::string> history = reg.ReadStringList(HistoryValueName(kind));
  reg.CloseKey();
  d.FormActivate(kind, history);
  const bool field = kind == 3 || kind == 4 || kind == 5 || kind == -1;
  d.ShowDateLayout(kind == 2);
  if (kind != 2) {
    d.OnlyOnePageCheckBox->setVisible(!field);
    d.MatchCaseCheckBox->setVisible(kind != 5);
  }
  const bool ok = shell_.prompter().RunDialog(d);
  d.ShowDateLayout(false);
  if (!ok) {
    find_kind_ = old_kind;
    return;
  }
  const QString input = d.Input();
  std::string typed;
  const bool encodable = cp932::Encode(input, &typed);
  if (!encodable) typed = cp932::EncodeReplacing(input);
  reg.OpenKey(settings::kRootKey, true);
  reg.WriteStringList(HistoryValueName(kind), PushHistory(std::move(history), typed));
  reg.CloseKey();
  // A character the page file cannot hold occurs on no page: such an input finds nothing.
  FindInput = typed;
  input_encodable_ = encodable;
  if (kind == 2) {
    const QDate date = QDate::fromString(input.trimmed(), QStringLiteral("yyyy/M/d"));
    FindDateInvalid = !date.isValid();
    if (date.isValid())
      FindTargetDate = store::Date{date.year(), date.month(), date.day()};
    else
      shell_.prompter().ErrorBox(QStringLiteral("入力ミス"),
                                 input + QStringLiteral(" は日付データではありません。"));
  }
  NewFind = true;
  FindStart();
}

// ---- running a search ----------------------------------------------------------------------

void SearchController::FindStart() {
  if (NewFind) {
    TFindForm& d = FindForm();
    FindForward = d.Forward();
    FindMatchCase = d.MatchCaseCheckBox->isChecked();
    if (find_kind_ == 1 && d.OnlyOnePageCheckBox->isChecked()) FindInPage = true;
  }
  if (FindInPage) {
    FindInPage = false;
    InRecordMojiFindStart();
    return;
  }
  switch (find_kind_) {
    case 1:
    case 3:
    case 4:
    case 5:
    case -1:
      PagesFindStart();
      break;
    case 2:
      if (NewFind && !FindDateInvalid && FindTargetDate) nav_.DateFindStart(*FindTargetDate);
      find_kind_ = 0;  // a date search is not continued
      break;
    default:
      break;
  }
}

void SearchController::SetKensakuMojiList() {
  // The image names are compared without regard to case whatever the hidden box says.
  const bool match_case = find_kind_ != 5 && FindMatchCase;
  FindStrings = input_encodable_ ? search::SetKensakuMojiList(FindInput, match_case, ForceAnyString)
                                 : SearchStrings{};
  FindAnyString = FindStrings.any;
}

SearchFields SearchController::FieldsOfKind() const {
  switch (find_kind_) {
    case 3:
      return SearchFields::kTitle;
    case 4:
      return SearchFields::kSubtitle;
    case 5:
      return SearchFields::kImage;
    case -1:
      return SearchFields::kAll;
    default:
      return SearchFields::kText;
  }
}

void SearchController::PagesFindStart() {
  store::Table& t = session_.table();
  const int sel_start = w_.text->SelStart(), sel_length = w_.text->SelLength();
  const int start_page = t.RecNo();
  const bool left = !selector_.CheckPageSelectedBeforePost();
  SetKensakuMojiList();
  nav_.BeforeMove();
  nav_.ResetLink();
  // A page that has just left the selection stays current outside it: the search begins on its
  // neighbour in the direction of the search.
  bool step_first = !NewFind || left;
  if (NewFind && FindForm().FromEdge()) {
    shell_.Report(FindForward ? t.First() : t.Last());
    step_first = false;
  }
  PageWalkResult r;
  {
    shell::BusyProgress busy(shell_.DialogParent(), QStringLiteral("検索しています…"),
                             QStringLiteral("ページ"));
    PageWalk walk{FindForward, step_first,
                  progress_for_test_ ? progress_for_test_ : busy.Callback()};
    shell_.Report(ScanPages(t, FindStrings, FieldsOfKind(), walk, &r));
  }
  LastHit = r.hit;
  if (!r.hit.found()) {
    if (!r.cancelled) NotFoundMessage();
    ReturnToStartPage(start_page);
  }
  if (start_page < 0 || t.RecNo() != start_page || nav_.AlternateShown())
    nav_.AfterMove(true, true);
  nav_.SetLink();
  if (!nav_.AlternateShown()) w_.text->setFocus();
  if (r.hit.found()) {
    ShowFieldHit();
  } else if (t.RecNo() == start_page) {
    editor_.GotoSelStart(sel_start, sel_length);
  } else {
    editor_.GotoSelStart(0, 0);
  }
}

void SearchController::ReturnToStartPage(int start_page) {
  if (!nav_.GotoRecNo(start_page)) shell_.Report(session_.table().Last());
}

void SearchController::ShowFieldHit() {
  const size_t pos = LastHit.position;
  const size_t len = FindStrings.strings[size_t(LastHit.string_index)].size();
  switch (find_kind_) {
    case 3:
    case 4: {
      QLineEdit* box = find_kind_ == 3 ? w_.title : w_.subtitle;
      const std::string field =
          session_.table().FieldString(find_kind_ == 3 ? "TITLE" : "SUBTITLE");
      const auto [start, length] = CharRange(field, pos, len);
      box->setFocus();
      box->setSelection(start, length);
      break;
    }
    case 5: {
      const std::string& needle = FindStrings.strings[size_t(LastHit.string_index)];
      const std::vector<std::string> names =
          images::SplitImageNames(images_.GetPureImageFileNames());
      for (size_t i = 0; i < names.size(); ++i) {
        if (FindPlain(names[i], needle, 0, false) != std::string::npos) {
          images_.ShowImagesFrom(int(i));
          break;
        }
      }
      break;
    }
    case -1:
      editor_.GotoSelStart(0, 0);
      UpDownFind(true);
      break;
    default:
      editor_.GotoSelStart(int(pos), int(len));
      break;
  }
}

void SearchController::InRecordMojiFindStart() {
  SetKensakuMojiList();
  TFindForm& d = FindForm();
  if (NewFind && d.OnlyOnePageCheckBox->isChecked() && d.FromEdge())
    editor_.GotoSelStart(FindForward ? 0 : w_.text->TextLength(), 0);
  const std::string text = w_.text->Text();
  const std::string_view all(text);
  const size_t s = size_t(w_.text->SelStart()), l = size_t(w_.text->SelLength());
  FindHit hit;
  size_t base = 0;
  if (FindForward) {
    // After the first character of the selection, so that overlapping hits are found.
    base = std::min(l > 0 ? s + 1 : s, text.size());
    if (!sjis::IsCharBoundary(all, base)) ++base;
    hit = DoFind(FindStrings, all.substr(base));
  } else {
    // Before the last character of the selection.
    size_t count = std::min(l > 0 ? s + l - 1 : s, text.size());
    if (!sjis::IsCharBoundary(all, count)) --count;
    hit = DoRevFind(FindStrings, all.substr(0, count));
  }
  LastHit = hit;
  if (!hit.found()) {
    NotFoundMessage();
    return;
  }
  editor_.GotoSelStart(int(base + hit.position),
                       int(FindStrings.strings[size_t(hit.string_index)].size()));
}

void SearchController::ContinueAcrossPages(bool forward) {
  if (!session_.IsOpen() || find_kind_ == 0) return;
  NewFind = false;
  FindForward = forward;
  FindStart();
}

void SearchController::UpDownFind(bool forward) {
  if (!session_.IsOpen() || (find_kind_ != 1 && find_kind_ != -1)) return;
  const int kind = find_kind_;
  find_kind_ = 1;
  NewFind = false;
  FindForward = forward;
  FindInPage = true;
  ForceAnyString = true;
  const bool any = FindAnyString;
  FindStart();
  FindAnyString = any;
  ForceAnyString = false;
  find_kind_ = kind;
}

void SearchController::NotFoundMessage() {
  QApplication::beep();
  ++not_found_signals_;
  // Most Linux desktops keep the bell silent: the status bar says it as well.
  shell_.ShowHint(QStringLiteral("「") + cp932::Decode(FindInput) +
                  QStringLiteral("」は見つかりませんでした。"));
  if (shell_.conf().NotFoundMode == 1)
    shell_.Message(QStringLiteral("\"") + cp932::Decode(FindInput) +
                   QStringLiteral("\" は見つかりませんでした。"));
}

}  // namespace sk::search
