#include "browse/ui/navigator.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "browse/ui/add_page_form.h"
#include "browse/ui/cp932_text.h"
#include "browse/ui/page_list_form.h"
#include "browse/ui/page_selector.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "images/ui/image_side.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::browse {

Navigator::Navigator(shell::ShellServices& shell, shell::PageFileSession& session,
                     PageSelector& selector, images::ImageSide& images, const Widgets& widgets)
    : shell_(shell), session_(session), selector_(selector), images_(images), w_(widgets) {
  InstallFieldHandlers();
  QObject::connect(w_.text, &editor::TextArea::SelectionMoved, events_.get(),
                   [this] { ShowCaretLine(); });
}

Navigator::~Navigator() = default;

QString Navigator::FormatDate(const store::Date& d) {
  static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
  QDate q(d.year, d.month, d.day);
  if (!q.isValid()) return {};
  return QStringLiteral("%1/%2/%3(%4)")
      .arg(d.year)
      .arg(d.month)
      .arg(d.day)
      .arg(QString::fromUtf8(kWeekdays[q.dayOfWeek() % 7]));
}

void Navigator::ShowCaretLine() {
  shell_.SetStatusText(0, QString::number(w_.text->CaretPos().y() + 1) + QStringLiteral("行目"));
}

std::string Navigator::ShownBunrui() const { return B(w_.category->currentText()); }
std::string Navigator::ShownTitle() const { return B(w_.title->text()); }
std::string Navigator::ShownChosha() const { return B(w_.subtitle->text()); }

// ---- binding the header fields ----

void Navigator::ShowHeaderFields() {
  store::Table& t = session_.table();
  shown_bunrui_ = t.FieldString("BUNRUI");
  shown_title_ = t.FieldString("TITLE");
  shown_chosha_ = t.FieldString("SUBTITLE");
  shown_date_ = picker_date_ = t.FieldDate("DATE");
  // A page without a category shows the box empty; no empty entry joins the list.
  QString bunrui = Q(shown_bunrui_);
  if (bunrui.isEmpty()) {
    w_.category->setCurrentIndex(-1);
  } else {
    if (w_.category->findText(bunrui) < 0) w_.category->addItem(bunrui);
    w_.category->setCurrentText(bunrui);
  }
  w_.title->setText(Q(shown_title_));
  w_.title->setCursorPosition(0);
  w_.subtitle->setText(Q(shown_chosha_));
  w_.subtitle->setCursorPosition(0);
  w_.date->setText(shown_date_ ? FormatDate(*shown_date_) : QString());
}

void Navigator::ResetLink(bool post) {
  // Edits still in the controls are written before they stop following the record.
  if (post && session_.FieldsLinked()) MainTablePost();
  session_.SetFieldsLinked(false);
}

void Navigator::SetLink() {
  session_.SetFieldsLinked(true);
  if (session_.table().is_open() && !session_.table().IsEmpty()) ShowHeaderFields();
}

// ---- writing, leaving and showing ----

bool Navigator::MainTablePost() {
  store::Table& t = session_.table();
  if (!t.is_open() || !session_.FieldsLinked()) return true;
  std::string bunrui = ShownBunrui();
  std::string title = ShownTitle();
  std::string chosha = ShownChosha();
  bool text_changed = w_.text->IsModified();
  bool date_changed = picker_date_ != shown_date_;
  bool header_changed =
      bunrui != shown_bunrui_ || title != shown_title_ || chosha != shown_chosha_ || date_changed;
  if (!text_changed && !header_changed && !t.Modified()) return true;
  Status st = t.Edit();
  if (st.ok() && bunrui != shown_bunrui_) st = t.SetFieldString("BUNRUI", bunrui);
  if (st.ok() && title != shown_title_) st = t.SetFieldString("TITLE", title);
  if (st.ok() && chosha != shown_chosha_) st = t.SetFieldString("SUBTITLE", chosha);
  if (st.ok() && date_changed) st = t.SetFieldDate("DATE", picker_date_);
  if (st.ok() && text_changed) st = t.SetFieldString("TEXT", w_.text->Text());
  if (st.ok()) st = t.Post();
  if (!st.ok()) {
    shell_.prompter().Error(QStringLiteral("ページを書き込めませんでした。\n\n") +
                            QString::fromStdString(st.message()));
    return false;
  }
  shown_bunrui_ = bunrui;
  shown_title_ = title;
  shown_chosha_ = chosha;
  shown_date_ = picker_date_;
  w_.text->SetModified(false);
  w_.page_number->setText(QString::number(t.RecNo()) + ' ');
  return true;
}

void Navigator::BeforeMove() {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  bool linked = session_.FieldsLinked();
  // The selection is judged on the page as the user left it.
  bool selected = selector_.CheckPageSelectedBeforePost();
  if (!MainTablePost()) return;
  int n = t.RecNo();
  if (!selected) selector_.AlertPageDisappear();
  if (n <= 0 && !selected) return;
  ResetLink(false);  // written above
  if (!selected) {
    // Is any page left in the selection?  The page just written stays current (outside the
    // selection) so that the next step lands on its neighbour in the display order.
    Status st = t.First();
    if (st.ok() && t.IsEmpty()) {
      shell_.Message(
          QStringLiteral("選択されたページがありませんので，ページ選択をリセットします。"));
      selector_.SelectionOff();
      GotoRecNo(n);
    } else if (st.ok()) {
      st = t.GotoBookmark(store::Table::Bookmark(n));
    }
    shell_.Report(st);
  }
  if (linked) SetLink();
  SetBookmarkList();
  SetRecNoList();
  // The image side keeps its scroll positions per page; they start again at the top.
}

void Navigator::PutSelImageNo() {
  int recno = session_.table().RecNo();
  const PagePosition* p = positions_.Find(recno);
  if (!p) {
    w_.text->SetSelStart(0);
    images_.SetRestoreImageNum(0);
    return;
  }
  w_.text->SetSelStart(p->sel_start);
  w_.text->SetSelLength(p->sel_length);
  images_.SetRestoreImageNum(p->image_num);
}

void Navigator::SetDateCaption() {}

void Navigator::AfterMove(bool focus, bool reset_undo) {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  if (t.IsEmpty()) {
    Status st = t.Append();
    shell_.Report(st);
  }
  int recno = t.RecNo();
  w_.page_number->setText(recno < 0 ? QStringLiteral("(追加)") : QString::number(recno) + ' ');
  if (session_.FieldsLinked()) ShowHeaderFields();
  editor_->ShowPageText(t.FieldString("TEXT"), t.FieldString("KEY"), reset_undo);
  if (!replacing_with_confirmation_) PutSelImageNo();
  SetDateCaption();
  if (session_.DrawImagesOnMove()) images_.ShowPageImages();
  if (focus) w_.text->setFocus();
  ShowCaretLine();
  // A redisplay keeps the undo history, and panel 2 goes on saying so.
  if (reset_undo)
    shell_.SetStatusText(2, QString());
  else
    editor_->ShowUndoState();
}

bool Navigator::GotoRecNo(int n) {
  store::Table& t = session_.table();
  if (!t.is_open()) return false;
  if (n == -1) {
    // The last page in page-number order, whatever the selection.
    bool filtered = t.Filtered();
    std::string tag = t.IndexName();
    Status st = t.SetIndexName("");
    if (st.ok() && filtered) st = t.SetFiltered(false);
    if (st.ok()) st = t.Last();
    int m = t.RecNo();
    if (st.ok() && filtered) st = t.SetFiltered(true);
    if (st.ok()) st = t.SetIndexName(tag);
    if (!shell_.Report(st)) return false;
    GotoRecNo(m);
    return true;
  }
  if (n == t.RecNo()) return true;
  if (n <= 0 || uint32_t(n) > t.RecordCount()) return false;
  bool linked = session_.FieldsLinked();
  ResetLink(false);
  // Page numbers are record numbers: go there directly, then see whether the selection shows it.
  uint32_t before = t.IsEmpty() ? 0 : uint32_t(std::max(0, t.RecNo()));
  bool ok = t.GotoBookmark(store::Table::Bookmark(n)).ok();
  if (ok && t.Filtered() && !selector_.CheckPageSelected()) {
    ok = false;
    if (before > 0) t.GotoBookmark(before);
  }
  if (linked) SetLink();
  return ok;
}

bool Navigator::AfterCommandMove(int before) {
  store::Table& t = session_.table();
  if (before >= 0 && t.RecNo() == before && !AlternateShown()) return false;
  AfterMove(true, true);
  return true;
}

// ---- cursor steps ----

void Navigator::MainTableFirst(bool leave) {
  if (leave)
    BeforeMove();
  else if (!selector_.CheckPageSelected())
    selector_.AlertPageDisappear();
  session_.table().First();
}

void Navigator::MainTableLast(bool leave) {
  if (leave)
    BeforeMove();
  else if (!selector_.CheckPageSelected())
    selector_.AlertPageDisappear();
  session_.table().Last();
}

void Navigator::MainTableNext(bool leave) {
  store::Table& t = session_.table();
  if (leave) BeforeMove();
  bool selected = selector_.CheckPageSelected();
  if (!selected && !leave) selector_.AlertPageDisappear();
  t.Next();
  // From a page that has left the selection and was the last one: the page before it.
  if (!selected && t.Eof() && !selector_.CheckPageSelected()) t.Prior();
}

void Navigator::MainTablePrior(bool leave) {
  store::Table& t = session_.table();
  if (leave) BeforeMove();
  bool selected = selector_.CheckPageSelected();
  if (!selected && !leave) selector_.AlertPageDisappear();
  t.Prior();
  if (!selected && t.Bof() && !selector_.CheckPageSelected()) t.Next();
}

// ---- navigation commands ----

void Navigator::FirstItemClick() {
  if (!session_.IsOpen()) return;
  int n = session_.table().RecNo();
  MainTableFirst(true);
  AfterCommandMove(n);
}

void Navigator::PriorItemClick() {
  if (!session_.IsOpen()) return;
  int n = session_.table().RecNo();
  MainTablePrior(true);
  AfterCommandMove(n);
}

void Navigator::NextItemClick() {
  if (!session_.IsOpen()) return;
  int n = session_.table().RecNo();
  MainTableNext(true);
  AfterCommandMove(n);
}

void Navigator::LastItemClick() {
  if (!session_.IsOpen()) return;
  int n = session_.table().RecNo();
  MainTableLast(true);
  AfterCommandMove(n);
}

void Navigator::TenPriorItemClick() {
  if (!session_.IsOpen()) return;
  int n = session_.table().RecNo();
  BeforeMove();
  session_.table().MoveBy(-shell_.conf().MiddleSkipPageCount);
  if (!selector_.CheckPageSelected()) session_.table().Next();
  AfterCommandMove(n);
}

void Navigator::TenNextItemClick() {
  if (!session_.IsOpen()) return;
  int n = session_.table().RecNo();
  BeforeMove();
  session_.table().MoveBy(shell_.conf().MiddleSkipPageCount);
  if (!selector_.CheckPageSelected()) session_.table().Prior();
  AfterCommandMove(n);
}

void Navigator::JumpPageNumItemClick() {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  std::optional<QString> input = shell_.prompter().Input(
      QStringLiteral("ページ番号へジャンプ"),
      QStringLiteral("ジャンプするページ番号を入力してください"), QString());
  if (!input) return;
  bool is_int = false;
  int number = input->trimmed().toInt(&is_int);
  if (!is_int) {
    shell_.Message(*input + QStringLiteral(" は整数値ではありません。"));
    return;
  }
  if (number == t.RecNo()) return;
  BeforeMove();
  int m = t.RecNo();
  ResetLink();
  if (!GotoRecNo(number)) {
    shell_.Message(*input + QStringLiteral("ページは現在選択されていないので，表示できません。"));
    if (!GotoRecNo(m)) t.Last();
  }
  if (m < 0 || t.RecNo() != m || AlternateShown()) AfterMove(true, true);
  SetLink();
}

void Navigator::ToLastNextYear(int delta) {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  std::optional<store::Date> d = t.FieldDate("DATE");
  if (!d) {
    shell_.Message(
        delta < 0
            ? QStringLiteral("このページには日付がないので，１年前のページへは移動できません。")
            : QStringLiteral("このページには日付がないので，１年後のページへは移動できません。"));
    return;
  }
  int month = d->month, day = d->day;
  if (month == 2 && day == 29) {
    month = 3;
    day = 1;
  }
  QDate target(d->year + delta, month, day);
  if (!target.isValid()) {
    shell_.Message(QStringLiteral("このコンピュータでは、この機能を使うことができません。"));
    return;
  }
  DateFindStart(store::Date{target.year(), target.month(), target.day()});
}

}  // namespace sk::browse
