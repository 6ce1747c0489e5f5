#include "browse/ui/navigator.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "browse/ui/add_page_form.h"
#include "browse/ui/page_list_form.h"
#include "browse/ui/page_selector.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "images/ui/image_side.h"

namespace sk::browse {

using app::B;
using app::Q;

Navigator::Navigator(app::TSDIAppForm& form) : f_(form) {
  QObject::connect(f_.TextMemo, &editor::TextArea::SelectionMoved, &f_,
                   [this] { ShowCaretLine(); });
  InstallFieldHandlers();
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
  f_.StatusPanels[0]->setText(QString::number(f_.TextMemo->CaretPos().y() + 1) +
                              QStringLiteral("行目"));
}

std::string Navigator::ShownBunrui() const { return B(f_.BunruiComboBox->currentText()); }
std::string Navigator::ShownTitle() const { return B(f_.TitleEdit->text()); }
std::string Navigator::ShownChosha() const { return B(f_.ChoshaEdit->text()); }

// ---- binding the header fields ----

void Navigator::ShowHeaderFields() {
  store::Table& t = f_.MainTable;
  shown_bunrui_ = t.FieldString("BUNRUI");
  shown_title_ = t.FieldString("TITLE");
  shown_chosha_ = t.FieldString("SUBTITLE");
  shown_date_ = picker_date_ = t.FieldDate("DATE");
  // A page without a category shows the box empty; no empty entry joins the list.
  QString bunrui = Q(shown_bunrui_);
  if (bunrui.isEmpty()) {
    f_.BunruiComboBox->setCurrentIndex(-1);
  } else {
    if (f_.BunruiComboBox->findText(bunrui) < 0) f_.BunruiComboBox->addItem(bunrui);
    f_.BunruiComboBox->setCurrentText(bunrui);
  }
  f_.TitleEdit->setText(Q(shown_title_));
  f_.TitleEdit->setCursorPosition(0);
  f_.ChoshaEdit->setText(Q(shown_chosha_));
  f_.ChoshaEdit->setCursorPosition(0);
  f_.DateEdit->setText(shown_date_ ? FormatDate(*shown_date_) : QString());
}

void Navigator::ResetLink() {
  // Edits still in the controls are written before they stop following the record.
  if (f_.FieldsLinked) MainTablePost();
  f_.FieldsLinked = false;
}

void Navigator::SetLink() {
  f_.FieldsLinked = true;
  if (f_.MainTable.is_open() && !f_.MainTable.IsEmpty()) ShowHeaderFields();
}

// ---- writing, leaving and showing ----

bool Navigator::MainTablePost() {
  store::Table& t = f_.MainTable;
  if (!t.is_open() || !f_.FieldsLinked) return true;
  std::string bunrui = ShownBunrui();
  std::string title = ShownTitle();
  std::string chosha = ShownChosha();
  bool text_changed = f_.TextMemo->IsModified();
  bool date_changed = picker_date_ != shown_date_;
  bool header_changed =
      bunrui != shown_bunrui_ || title != shown_title_ || chosha != shown_chosha_ || date_changed;
  if (!text_changed && !header_changed && !t.Modified()) return true;
  Status st = t.Edit();
  if (st.ok() && bunrui != shown_bunrui_) st = t.SetFieldString("BUNRUI", bunrui);
  if (st.ok() && title != shown_title_) st = t.SetFieldString("TITLE", title);
  if (st.ok() && chosha != shown_chosha_) st = t.SetFieldString("SUBTITLE", chosha);
  if (st.ok() && date_changed) st = t.SetFieldDate("DATE", picker_date_);
  if (st.ok() && text_changed) st = t.SetFieldString("TEXT", f_.TextMemo->Text());
  if (st.ok()) st = t.Post();
  if (!st.ok()) {
    f_.prompter().Error(QStringLiteral("ページを書き込めませんでした。\n\n") +
                        QString::fromStdString(st.message()));
    return false;
  }
  shown_bunrui_ = bunrui;
  shown_title_ = title;
  shown_chosha_ = chosha;
  shown_date_ = picker_date_;
  f_.TextMemo->SetModified(false);
  f_.RecNoLabel->setText(QString::number(t.RecNo()) + ' ');
  return true;
}

void Navigator::BeforeMove() {
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  bool linked = f_.FieldsLinked;
  // The selection is judged on the page as the user left it.
  bool selected = f_.Selector->CheckPageSelectedBeforePost();
  if (!MainTablePost()) return;
  int n = t.RecNo();
  if (!selected) f_.Selector->AlertPageDisappear();
  if (n <= 0 && !selected) return;
  f_.FieldsLinked = false;
  if (!selected) {
    // Is any page left in the selection?  The page just written stays current (outside the
    // selection) so that the next step lands on its neighbour in the display order.
    Status st = t.First();
    if (st.ok() && t.IsEmpty()) {
      f_.Message(QStringLiteral("選択されたページがありませんので，ページ選択をリセットします。"));
      f_.Selector->SelectionOff();
      GotoRecNo(n);
    } else if (st.ok()) {
      st = t.GotoBookmark(store::Table::Bookmark(n));
    }
    f_.Report(st);
  }
  if (linked) SetLink();
  SetBookmarkList();
  SetRecNoList();
  // The image side keeps its scroll positions per page; they start again at the top.
}

void Navigator::PutSelImageNo() {
  int recno = f_.MainTable.RecNo();
  const PagePosition* p = positions_.Find(recno);
  if (!p) {
    f_.TextMemo->SetSelStart(0);
    f_.Images->SetRestoreImageNum(0);
    return;
  }
  f_.TextMemo->SetSelStart(p->sel_start);
  f_.TextMemo->SetSelLength(p->sel_length);
  f_.Images->SetRestoreImageNum(p->image_num);
}

void Navigator::SetDateCaption() {}

void Navigator::AfterMove(bool focus, bool reset_undo) {
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  if (t.IsEmpty()) {
    Status st = t.Append();
    f_.Report(st);
  }
  int recno = t.RecNo();
  f_.RecNoLabel->setText(recno < 0 ? QStringLiteral("(追加)") : QString::number(recno) + ' ');
  if (f_.FieldsLinked) ShowHeaderFields();
  editor_->ShowPageText(t.FieldString("TEXT"), t.FieldString("KEY"), reset_undo);
  if (!ReplacingWithConfirmation) PutSelImageNo();
  SetDateCaption();
  if (f_.DrawImagesOnMove) f_.Images->ShowPageImages();
  if (focus) f_.TextMemo->setFocus();
  ShowCaretLine();
  // A redisplay keeps the undo history, and panel 2 goes on saying so.
  if (reset_undo)
    f_.StatusPanels[2]->clear();
  else
    editor_->ShowUndoState();
}

bool Navigator::GotoRecNo(int n) {
  store::Table& t = f_.MainTable;
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
    if (!f_.Report(st)) return false;
    GotoRecNo(m);
    return true;
  }
  if (n == t.RecNo()) return true;
  if (n <= 0 || uint32_t(n) > t.RecordCount()) return false;
  bool linked = f_.FieldsLinked;
  f_.FieldsLinked = false;
  // Page numbers are record numbers: go there directly, then see whether the selection shows it.
  uint32_t before = t.IsEmpty() ? 0 : uint32_t(std::max(0, t.RecNo()));
  bool ok = t.GotoBookmark(store::Table::Bookmark(n)).ok();
  if (ok && t.Filtered() && !f_.Selector->CheckPageSelected()) {
    ok = false;
    if (before > 0) t.GotoBookmark(before);
  }
  if (linked) SetLink();
  return ok;
}

bool Navigator::AfterCommandMove(int before) {
  store::Table& t = f_.MainTable;
  if (before >= 0 && t.RecNo() == before && !AlternateShown()) return false;
  AfterMove(true, true);
  return true;
}

// ---- cursor steps ----

void Navigator::MainTableFirst(bool leave) {
  if (leave)
    BeforeMove();
  else if (!f_.Selector->CheckPageSelected())
    f_.Selector->AlertPageDisappear();
  f_.MainTable.First();
}

void Navigator::MainTableLast(bool leave) {
  if (leave)
    BeforeMove();
  else if (!f_.Selector->CheckPageSelected())
    f_.Selector->AlertPageDisappear();
  f_.MainTable.Last();
}

void Navigator::MainTableNext(bool leave) {
  store::Table& t = f_.MainTable;
  if (leave) BeforeMove();
  bool selected = f_.Selector->CheckPageSelected();
  if (!selected && !leave) f_.Selector->AlertPageDisappear();
  t.Next();
  // From a page that has left the selection and was the last one: the page before it.
  if (!selected && t.Eof() && !f_.Selector->CheckPageSelected()) t.Prior();
}

void Navigator::MainTablePrior(bool leave) {
  store::Table& t = f_.MainTable;
  if (leave) BeforeMove();
  bool selected = f_.Selector->CheckPageSelected();
  if (!selected && !leave) f_.Selector->AlertPageDisappear();
  t.Prior();
  if (!selected && t.Bof() && !f_.Selector->CheckPageSelected()) t.Next();
}

// ---- navigation commands ----

void Navigator::FirstItemClick() {
  if (!f_.FileIsOpen()) return;
  int n = f_.MainTable.RecNo();
  MainTableFirst(true);
  AfterCommandMove(n);
}

void Navigator::PriorItemClick() {
  if (!f_.FileIsOpen()) return;
  int n = f_.MainTable.RecNo();
  MainTablePrior(true);
  AfterCommandMove(n);
}

void Navigator::NextItemClick() {
  if (!f_.FileIsOpen()) return;
  int n = f_.MainTable.RecNo();
  MainTableNext(true);
  AfterCommandMove(n);
}

void Navigator::LastItemClick() {
  if (!f_.FileIsOpen()) return;
  int n = f_.MainTable.RecNo();
  MainTableLast(true);
  AfterCommandMove(n);
}

void Navigator::TenPriorItemClick() {
  if (!f_.FileIsOpen()) return;
  int n = f_.MainTable.RecNo();
  BeforeMove();
  f_.MainTable.MoveBy(-f_.Conf.MiddleSkipPageCount);
  if (!f_.Selector->CheckPageSelected()) f_.MainTable.Next();
  AfterCommandMove(n);
}

void Navigator::TenNextItemClick() {
  if (!f_.FileIsOpen()) return;
  int n = f_.MainTable.RecNo();
  BeforeMove();
  f_.MainTable.MoveBy(f_.Conf.MiddleSkipPageCount);
  if (!f_.Selector->CheckPageSelected()) f_.MainTable.Prior();
  AfterCommandMove(n);
}

void Navigator::JumpPageNumItemClick() {
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  std::optional<QString> input =
      f_.prompter().Input(QStringLiteral("ページ番号へジャンプ"),
                          QStringLiteral("ジャンプするページ番号を入力してください"), QString());
  if (!input) return;
  bool is_int = false;
  int number = input->trimmed().toInt(&is_int);
  if (!is_int) {
    f_.Message(*input + QStringLiteral(" は整数値ではありません。"));
    return;
  }
  if (number == t.RecNo()) return;
  BeforeMove();
  int m = t.RecNo();
  ResetLink();
  if (!GotoRecNo(number)) {
    f_.Message(*input + QStringLiteral("ページは現在選択されていないので，表示できません。"));
    if (!GotoRecNo(m)) t.Last();
  }
  if (m < 0 || t.RecNo() != m || AlternateShown()) AfterMove(true, true);
  SetLink();
}

void Navigator::ToLastNextYear(int delta) {
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  std::optional<store::Date> d = t.FieldDate("DATE");
  if (!d) {
    f_.Message(
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
    f_.Message(QStringLiteral("このコンピュータでは、この機能を使うことができません。"));
    return;
  }
  DateFindStart(store::Date{target.year(), target.month(), target.day()});
}

}  // namespace sk::browse
