#include "browse/ui/navigator.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "app/ui/mainform.h"
#include "app/ui/prompter.h"
#include "convert/cp932.h"
#include "editor/ui/text_area.h"

namespace sk::browse {

using app::B;
using app::Q;

Navigator::Navigator(app::TSDIAppForm& form) : f_(form) {
  QObject::connect(f_.TextMemo, &editor::TextArea::SelectionMoved, &f_,
                   [this] { ShowCaretLine(); });
}

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

void Navigator::ResetBookmarkList() {}

void Navigator::SetBunrui(bool new_file) {
  category_list_.clear();
  (void)new_file;
  f_.BunruiComboBox->clear();
}

void Navigator::SetViewConditionBeforeOpen() {
  Status st = f_.MainTable.SetIndexName("");
  if (st.ok()) st = f_.MainTable.First();
  if (!st.ok()) f_.Message(QString::fromStdString(st.message()));
  if (QAction* a = f_.Action("PageOrderItem")) a->setChecked(true);
  AfterMove(true, true);
}

void Navigator::SaveViewConditionBeforeClose() { MainTablePost(); }

void Navigator::GetShiori() {}
void Navigator::SaveShiori() {}

void Navigator::AfterMove(bool focus, bool reset_undo) {
  (void)reset_undo;
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  if (t.IsEmpty()) {
    Status st = t.Append();
    if (!st.ok()) f_.Message(QString::fromStdString(st.message()));
  }
  int recno = t.RecNo();
  f_.RecNoLabel->setText(recno < 0 ? QStringLiteral("(追加)") : QString::number(recno) + ' ');

  shown_bunrui_ = t.FieldString("BUNRUI");
  shown_title_ = t.FieldString("TITLE");
  shown_chosha_ = t.FieldString("SUBTITLE");
  QString bunrui = Q(shown_bunrui_);
  if (f_.BunruiComboBox->findText(bunrui) < 0) f_.BunruiComboBox->addItem(bunrui);
  f_.BunruiComboBox->setCurrentText(bunrui);
  f_.TitleEdit->setText(Q(shown_title_));
  f_.TitleEdit->setCursorPosition(0);
  f_.ChoshaEdit->setText(Q(shown_chosha_));
  f_.ChoshaEdit->setCursorPosition(0);
  std::optional<store::Date> date = t.FieldDate("DATE");
  f_.DateEdit->setText(date ? FormatDate(*date) : QString());
  f_.ImageFileNameEdit->setText(Q(t.FieldString("IMAGEFILE")));

  f_.TextMemo->SetText(t.FieldString("TEXT"));
  f_.TextMemo->SetModified(false);
  f_.TextMemo->SetSelStart(0);
  ShowCaretLine();
  f_.MakeImageArea(true, true, true);
  if (focus) f_.TextMemo->setFocus();
}

bool Navigator::MainTablePost() {
  store::Table& t = f_.MainTable;
  if (!t.is_open() || !f_.FieldsLinked) return true;
  std::string bunrui = B(f_.BunruiComboBox->currentText());
  std::string title = B(f_.TitleEdit->text());
  std::string chosha = B(f_.ChoshaEdit->text());
  bool text_changed = f_.TextMemo->IsModified();
  bool header_changed = bunrui != shown_bunrui_ || title != shown_title_ || chosha != shown_chosha_;
  if (!text_changed && !header_changed && !t.Modified()) return true;
  Status st = t.Edit();
  if (st.ok() && bunrui != shown_bunrui_) st = t.SetFieldString("BUNRUI", bunrui);
  if (st.ok() && title != shown_title_) st = t.SetFieldString("TITLE", title);
  if (st.ok() && chosha != shown_chosha_) st = t.SetFieldString("SUBTITLE", chosha);
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
  f_.TextMemo->SetModified(false);
  f_.RecNoLabel->setText(QString::number(t.RecNo()) + ' ');
  return true;
}

void Navigator::StartNewFile() {
  store::Table& t = f_.MainTable;
  Status st = t.SetIndexName("");
  if (st.ok()) st = t.First();
  AfterMove(true, true);
  QDate today = QDate::currentDate();
  store::Date d{today.year(), today.month(), today.day()};
  if (st.ok()) st = t.Edit();
  if (st.ok()) st = t.SetFieldDate("DATE", d);
  if (!st.ok()) f_.Message(QString::fromStdString(st.message()));
  f_.DateEdit->setText(FormatDate(d));
  f_.RecNoLabel->setText(QStringLiteral("1 "));
}

void Navigator::ClearPage() {
  f_.TextMemo->Clear();
  f_.TextMemo->SetModified(false);
  f_.BunruiComboBox->clear();
  f_.TitleEdit->clear();
  f_.ChoshaEdit->clear();
  f_.DateEdit->clear();
  f_.ImageFileNameEdit->clear();
  shown_bunrui_.clear();
  shown_title_.clear();
  shown_chosha_.clear();
  f_.MakeImageArea(true, false, false);
}

}  // namespace sk::browse
