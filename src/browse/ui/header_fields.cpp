// The header fields of the page on show (category, title, subtitle, date), the category list of
// the open file, the calendar, and what the window does with a file just opened, created or closed.
#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QToolButton>
#include <QWidgetAction>
#include <algorithm>
#include <unordered_set>

#include "browse/ui/cp932_text.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "convert/sjis.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "images/ui/image_side.h"
#include "settings/settings_store.h"
#include "shell/page_file_session.h"
#include "shell/shell_services.h"

namespace sk::browse {

namespace {

// The calendar's header as Japanese write it, year before month ("2021年2月", where Qt puts
// "2月 2021"), and no week numbers.  Qt rewrites the year button's text whenever the page
// changes; the filter gives it back its "年" before it is painted.
class JapaneseCalendarHeader : public QObject {
 public:
  explicit JapaneseCalendarHeader(QToolButton* year) : QObject(year) {
    year->installEventFilter(this);
    Fix(year);
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint || e->type() == QEvent::Show) Fix(static_cast<QToolButton*>(o));
    return false;
  }
  static void Fix(QToolButton* year) {
    const QString t = year->text();
    if (!t.isEmpty() && !t.endsWith(QStringLiteral("年"))) year->setText(t + QStringLiteral("年"));
  }
};

void MakeCalendarJapanese(QCalendarWidget* calendar) {
  calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
  auto* year = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
  if (!month || !year || !month->parentWidget()) return;
  // The year (with the place its spin box takes while it is edited, right before it) goes
  // in front of the month.
  if (auto* bar = qobject_cast<QBoxLayout*>(month->parentWidget()->layout())) {
    const int m = bar->indexOf(month);
    if (m >= 0 && m < bar->indexOf(year)) {
      QLayoutItem* item = bar->takeAt(m);
      bar->insertItem(bar->indexOf(year) + 1, item);
    }
  }
  new JapaneseCalendarHeader(year);
}

// The default categories of a new page file.
const std::vector<std::string>& DefaultCategories() {
  static const std::vector<std::string> list = {
      B(QStringLiteral("MYメモ")), B(QStringLiteral("MY日記")), B(QStringLiteral("MY詩歌")),
      B(QStringLiteral("新聞切抜き")), B(QStringLiteral("そらくも"))};
  return list;
}

// Focus and key events of the header controls.
class FieldEvents : public QObject {
 public:
  FieldEvents(shell::PageFileSession& session, const Navigator::Widgets& w, Navigator& nav)
      : session_(session), w_(w), nav_(nav) {}

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::FocusIn) {
      if (o == w_.title)
        session_.SetFocusedArea(1);
      else if (o == w_.subtitle)
        session_.SetFocusedArea(2);
      else if (o == w_.text)
        session_.SetFocusedArea(3);
      else
        session_.SetFocusedArea(0);
    } else if (e->type() == QEvent::FocusOut && o == w_.category) {
      nav_.BunruiComboBoxExit();
    } else if (e->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape &&
               (o == w_.category || o == w_.title || o == w_.subtitle)) {
      // What was typed is kept: the page takes it before the box sees the key.
      nav_.MainTablePost();
    }
    return false;
  }

 private:
  shell::PageFileSession& session_;
  const Navigator::Widgets& w_;
  Navigator& nav_;
};

}  // namespace

void Navigator::InstallFieldHandlers() {
  events_ = std::make_unique<FieldEvents>(session_, w_, *this);
  QObject* const events = events_.get();
  for (QWidget* w :
       std::initializer_list<QWidget*>{w_.category, w_.title, w_.subtitle, w_.date, w_.date_picker,
                                       w_.image_name, w_.image1, w_.image2, w_.text})
    w->installEventFilter(events);
  w_.category->setEditable(false);
  w_.category->setMaxVisibleItems(12);
  w_.title->setMaxLength(50);
  w_.subtitle->setMaxLength(50);
  // Lengths are bytes in the page: a double-byte character counts twice.
  for (QLineEdit* e : {w_.title, w_.subtitle}) {
    QObject::connect(e, &QLineEdit::textEdited, events, [e] {
      // The field's text, not the signal's: characters the page cannot hold were replaced already.
      std::string bytes = B(e->text());
      if (bytes.size() <= 50) return;
      int pos = e->cursorPosition();
      e->setText(Q(bytes.substr(0, sjis::CutLength(bytes, 50))));
      e->setCursorPosition(std::min(pos, int(e->text().size())));
      QApplication::beep();
    });
  }
  // The calendar drops down from its button.
  auto* menu = new QMenu(w_.date_picker);
  auto* calendar = new QCalendarWidget(menu);
  calendar->setObjectName(QStringLiteral("DateTimePickerCalendar"));
  MakeCalendarJapanese(calendar);
  auto* action = new QWidgetAction(menu);
  action->setDefaultWidget(calendar);
  menu->addAction(action);
  QObject::connect(w_.date_picker, &QToolButton::clicked, events, [this, menu, calendar] {
    if (!session_.IsOpen()) return;
    QDate d = picker_date_ ? QDate(picker_date_->year, picker_date_->month, picker_date_->day)
                           : QDate::currentDate();
    calendar->setSelectedDate(d);
    menu->popup(w_.date_picker->mapToGlobal(QPoint(0, w_.date_picker->height())));
  });
  QObject::connect(calendar, &QCalendarWidget::clicked, events, [this, menu](QDate d) {
    menu->close();
    DateTimePickerCloseUp(store::Date{d.year(), d.month(), d.day()});
  });
  QObject::connect(calendar, &QCalendarWidget::activated, events, [this, menu](QDate d) {
    menu->close();
    DateTimePickerCloseUp(store::Date{d.year(), d.month(), d.day()});
  });
}

void Navigator::SetBunrui(bool existing) {
  store::Table& t = session_.table();
  std::string key = settings::PerFileKeyPath(B(session_.Name()));
  category_list_.clear();
  if (existing) {
    shell_.reg().OpenKey(key, true);
    category_list_ = shell_.reg().ReadStringList("Bunrui");
    shell_.reg().CloseKey();
    selector_.SelectionOff();
    selector_.SetOrderMenu(-1);
    bool linked = session_.FieldsLinked();
    ResetLink(false);
    // Every page's category, read where the records lie (no copy per page).
    int field = t.dbf().FieldIndex("BUNRUI");
    Status st = field < 0 ? Status::Error(session_.Name().toStdString() + ": BUNRUI がありません")
                          : Status();
    if (st.ok()) {
      const store::FieldDef& fd = t.fields()[size_t(field)];
      std::unordered_set<std::string> known(category_list_.begin(), category_list_.end());
      st = t.ForEachRecord([&](std::string_view rec) {
        if (rec.size() < size_t(1 + fd.offset + fd.width)) return;
        std::string b(sjis::TrimBlanks(rec.substr(size_t(1 + fd.offset), size_t(fd.width))));
        if (!b.empty() && known.insert(b).second) category_list_.push_back(b);
      });
    }
    shell_.Report(st);
    if (st.ok()) st = t.First();
    if (linked) SetLink();
  } else {
    category_list_ = DefaultCategories();
  }
  shell_.reg().OpenKey(key, true);
  shell_.reg().WriteStringList("Bunrui", category_list_);
  shell_.reg().CloseKey();
  QStringList items;
  for (const std::string& c : category_list_) items << Q(c);
  std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  QString shown = w_.category->currentText();
  w_.category->clear();
  w_.category->addItems(items);
  if (shown.isEmpty())
    w_.category->setCurrentIndex(-1);
  else
    w_.category->setCurrentText(shown);
}

void Navigator::BunruiComboBoxExit() {
  if (!session_.IsOpen() || !session_.FieldsLinked()) return;
  std::string b = sjis::HankakuToUpperLowerCase(ShownBunrui(), 1);
  auto starts = [&](std::string_view p) { return b.compare(0, p.size(), p) == 0; };
  bool m = starts("m") || starts("\x82\x8d");  // m, ｍ
  if (!m) return;
  std::string rest = b.substr(starts("m") ? 1 : 2);
  if (!(rest.compare(0, 1, "y") == 0 || rest.compare(0, 2, "\x82\x99") == 0)) return;  // y, ｙ
  shell_.reg().OpenKey(settings::kRootKey, true);
  std::string name = shell_.reg().ReadString("MyName");
  shell_.reg().CloseKey();
  w_.subtitle->setText(Q(name));
}

void Navigator::DateTimePickerCloseUp(const store::Date& date) {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  picker_date_ = date;
  Status st = t.Edit();
  if (st.ok()) st = t.SetFieldDate("DATE", date);
  shell_.Report(st);
  shown_date_ = date;  // the record holds it now
  w_.date->setText(FormatDate(date));
  SetDateCaption();
}

// ---- files ----

void Navigator::GetShiori() {}
void Navigator::SaveShiori() {}

void Navigator::StartNewFile() {
  store::Table& t = session_.table();
  Status st = t.SetIndexName("");
  if (st.ok()) st = t.First();
  selector_.SetOrderMenu(-1);
  SetLink();
  AfterMove(true, true);
  QDate today = QDate::currentDate();
  DateTimePickerCloseUp(store::Date{today.year(), today.month(), today.day()});
  shell_.Report(st);
  w_.page_number->setText(QStringLiteral("1 "));
}

void Navigator::ClearPage() {
  w_.text->Clear();
  w_.text->SetModified(false);
  editor_->ResetUndoBuf();
  w_.category->clear();
  w_.title->clear();
  w_.subtitle->clear();
  w_.date->clear();
  w_.page_number->setText(QStringLiteral("0 "));
  images_.ClearPage();
  shown_bunrui_.clear();
  shown_title_.clear();
  shown_chosha_.clear();
  shown_date_ = picker_date_ = std::nullopt;
  ResetRecNoList();
}

}  // namespace sk::browse
