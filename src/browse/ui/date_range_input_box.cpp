// The page selection dialog.  It edits a PageSelection only when OK succeeds; a bad date leaves
// the selection exactly as it was.
#include "browse/ui/date_range_input_box.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <charconv>

#include "shell/prompter.h"
#include "convert/cp932.h"
#include "convert/sjis.h"
#include "settings/settings_store.h"

namespace sk::browse {

namespace {

constexpr std::string_view kTitleHistoryName = "DateRangeTitleList";
constexpr std::string_view kChoshaHistoryName = "DateRangeChoshaList";
constexpr store::Date kFirstDate{1900, 1, 1};
constexpr store::Date kLastDate{2099, 12, 31};

const char* const kDefaultCaptions[] = {"分類", "タイトル", "サブタイトル", "日付"};

QString Caption(const std::vector<std::string>& captions, size_t i) {
  return QString::fromStdString(i < captions.size() ? captions[i] : kDefaultCaptions[i]);
}

QString Q(std::string_view cp932) { return cp932::Decode(cp932); }
std::string B(const QString& text) { return cp932::EncodeReplacing(text); }

std::string Trim(std::string_view s) { return std::string(sjis::TrimBlanks(s)); }

std::vector<std::string> ReadHistory(settings::SettingsStore& store, std::string_view name) {
  std::vector<std::string> h = store.ReadStringList(name);
  if (h.empty()) h.emplace_back();
  return h;
}

// Refills a history box without disturbing the text in its edit field.
void FillHistory(QComboBox* box, const std::vector<std::string>& history) {
  const QString text = box->currentText();
  box->clear();
  for (const std::string& h : history) box->addItem(Q(h));
  box->setEditText(text);
}

QLabel* Note(const char* utf8) { return new QLabel(QString::fromUtf8(utf8)); }

QComboBox* HistoryBox() {
  auto* box = new QComboBox;
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);  // the history is kept by OK, not by Enter
  box->setMinimumContentsLength(24);
  return box;
}

QLineEdit* DateBox() {
  auto* edit = new QLineEdit;
  // Dates are typed in half-width digits; the input method stays closed.
  edit->setAttribute(Qt::WA_InputMethodEnabled, false);
  edit->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
  edit->setMaxLength(10);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 16);
  return edit;
}

}  // namespace

TDateRangeInputBox::TDateRangeInputBox(settings::SettingsStore& store, shell::Prompter& prompter,
                                       QWidget* parent)
    : QDialog(parent), store_(store), prompter_(prompter) {
  setObjectName(QStringLiteral("DateRangeInputBox"));
  setWindowTitle(QStringLiteral("表示するページを選択"));
  setModal(true);

  // Left: the categories.
  auto* left = new QGroupBox;
  auto* left_box = new QVBoxLayout(left);
  BunruiLabel = new QLabel;
  SelectAllRadioButton = new QRadioButton;
  SelectSomeRadioButton = new QRadioButton;
  BunruiListBox = new QListWidget;
  BunruiListBox->setSelectionMode(QAbstractItemView::MultiSelection);
  BunruiListBox->setMinimumHeight(220);
  left_box->addWidget(BunruiLabel);
  left_box->addWidget(SelectAllRadioButton);
  left_box->addWidget(SelectSomeRadioButton);
  left_box->addWidget(BunruiListBox);

  // Right: date range, title, subtitle.
  auto* date_panel = new QGroupBox;
  auto* date_box = new QVBoxLayout(date_panel);
  DateLabel = new QLabel;
  FromDateEdit = DateBox();
  ToDateEdit = DateBox();
  auto* range = new QHBoxLayout;
  range->addWidget(FromDateEdit);
  range->addWidget(Note("～"));
  range->addWidget(ToDateEdit);
  range->addStretch();
  date_box->addWidget(DateLabel);
  date_box->addLayout(range);
  date_box->addWidget(Note("空白の側は「制限なし」"));

  auto text_panel = [](QLabel*& label, QComboBox*& edit) {
    auto* panel = new QGroupBox;
    auto* v = new QVBoxLayout(panel);
    label = new QLabel;
    edit = HistoryBox();
    v->addWidget(label);
    v->addWidget(Note("次の文字列を含むものを選択"));
    v->addWidget(edit);
    v->addWidget(Note("空白だと「制限なし」"));
    return panel;
  };
  QGroupBox* title_panel = text_panel(TitleLabel, TitleEdit);
  QGroupBox* chosha_panel = text_panel(ChoshaLabel, ChoshaEdit);

  auto* right = new QVBoxLayout;
  right->addWidget(date_panel);
  right->addWidget(title_panel);
  right->addWidget(chosha_panel);

  auto* buttons = new QHBoxLayout;
  OkBtn = new QPushButton(QStringLiteral("OK"));
  CancelBtn = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"));
  HelpBtn = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ"));
  ResetBitBtn = new QPushButton(QStringLiteral("選択を解除"));
  OkBtn->setDefault(true);
  buttons->addWidget(ResetBitBtn);
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);

  auto* grid = new QGridLayout(this);
  grid->addWidget(left, 0, 0);
  grid->addLayout(right, 0, 1);
  grid->addLayout(buttons, 1, 0, 1, 2);
  grid->setSizeConstraint(QLayout::SetFixedSize);  // a dialog that cannot be resized

  SetCaptions({});
  SelectAllRadioButton->setChecked(true);
  BunruiRadioButtonClick();

  connect(SelectAllRadioButton, &QRadioButton::toggled, this, [this] { BunruiRadioButtonClick(); });
  connect(SelectSomeRadioButton, &QRadioButton::toggled, this,
          [this] { BunruiRadioButtonClick(); });
  connect(ResetBitBtn, &QPushButton::clicked, this, [this] { ResetBitBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(OkBtn, &QPushButton::clicked, this, [this] {
    if (bound_) OkBtnClick(*bound_);
  });

  store_.OpenKey(settings::kRootKey, true);
  title_history_ = ReadHistory(store_, kTitleHistoryName);
  chosha_history_ = ReadHistory(store_, kChoshaHistoryName);
  store_.CloseKey();
}

void TDateRangeInputBox::SetCaptions(const std::vector<std::string>& field_captions) {
  const QString category = Caption(field_captions, 0);
  BunruiLabel->setText(category + QStringLiteral("(複数選択可)"));
  SelectAllRadioButton->setText(QStringLiteral("すべての") + category + QStringLiteral("を表示"));
  SelectSomeRadioButton->setText(QStringLiteral("表示する") + category + QStringLiteral("を制限"));
  TitleLabel->setText(Caption(field_captions, 1));
  ChoshaLabel->setText(Caption(field_captions, 2));
  DateLabel->setText(Caption(field_captions, 3) + QStringLiteral(" (西暦年/月/日)"));
}

void TDateRangeInputBox::Prepare(const std::vector<std::string>& category_list,
                                 const PageSelection& selection) {
  BunruiListBox->clear();
  for (const std::string& c : category_list) BunruiListBox->addItem(Q(c));
  if (selection.BunruiSelectMode) {
    SelectSomeRadioButton->setChecked(true);
    for (const std::string& num : selection.SelBunruiNumList) {
      int n = -1;
      const char* end = num.data() + num.size();
      auto [p, ec] = std::from_chars(num.data(), end, n);
      if (ec != std::errc() || p != end || num.empty()) continue;
      if (n < 0 || n >= BunruiListBox->count()) continue;
      BunruiListBox->item(n)->setSelected(true);
    }
  } else {
    SelectAllRadioButton->setChecked(true);
  }
  BunruiRadioButtonClick();
}

void TDateRangeInputBox::FormActivate(const std::vector<std::string>& field_captions,
                                      const PageSelection& selection, bool filtered) {
  SetCaptions(field_captions);
  FillHistory(TitleEdit, title_history_);
  FillHistory(ChoshaEdit, chosha_history_);
  if (filtered) {
    if (selection.DateSelectMode) {
      FromDateEdit->setText(Q(FormatSelectionDate(selection.SelStartDate)));
      ToDateEdit->setText(Q(FormatSelectionDate(selection.SelEndDate)));
    } else {
      FromDateEdit->clear();
      ToDateEdit->clear();
    }
    if (selection.TitleSelectMode) TitleEdit->setEditText(Q(selection.SelTitle));
    if (selection.ChoshaSelectMode) ChoshaEdit->setEditText(Q(selection.SelChosha));
    BunruiRadioButtonClick();
  } else {
    ResetBitBtnClick();
    FromDateEdit->setFocus();
  }
}

bool TDateRangeInputBox::OkBtnClick(PageSelection& selection) {
  const PageSelection before = selection;
  selection.BunruiSelectMode = false;
  selection.DateSelectMode = false;
  selection.TitleSelectMode = false;
  selection.ChoshaSelectMode = false;

  // Dates: an empty side is open; a side that is not a date cancels the whole dialog.
  const std::string from = Trim(B(FromDateEdit->text()));
  const std::string to = Trim(B(ToDateEdit->text()));
  if (!from.empty() || !to.empty()) {
    selection.DateSelectMode = true;
    const std::string* bad = nullptr;
    auto side = [&bad](const std::string& text, store::Date& date, const store::Date& open) {
      if (text.empty()) {
        date = open;
      } else if (std::optional<store::Date> d = ParseSelectionDate(text)) {
        date = *d;
      } else if (!bad) {
        bad = &text;
      }
    };
    side(from, selection.SelStartDate, kFirstDate);
    side(to, selection.SelEndDate, kLastDate);
    if (bad) {
      prompter_.Inform(QStringLiteral("入力ミス"),
                       Q(*bad) + QStringLiteral(" は日付データではありません。"));
      selection = before;
      reject();
      return false;
    }
  }

  // Categories: the marked entries in list order; "all" keeps the old lists.
  if (SelectSomeRadioButton->isChecked()) {
    selection.SelBunruiList.clear();
    selection.SelBunruiNumList.clear();
    for (int i = 0; i < BunruiListBox->count(); ++i) {
      QListWidgetItem* item = BunruiListBox->item(i);
      if (!item->isSelected()) continue;
      selection.SelBunruiList.push_back(B(item->text()));
      selection.SelBunruiNumList.push_back(std::to_string(i));
    }
    selection.BunruiSelectMode = !selection.SelBunruiList.empty();
  }

  // Title and subtitle: the text as typed goes into the history, even when empty.
  auto text_condition = [](QComboBox* edit, bool& mode, std::string& value,
                           std::vector<std::string>& history) {
    const std::string typed = B(edit->currentText());
    if (!Trim(typed).empty()) {
      mode = true;
      value = Trim(sjis::ToLowerKeepLength(typed));
    }
    PushHistory(history, typed);
  };
  text_condition(TitleEdit, selection.TitleSelectMode, selection.SelTitle, title_history_);
  text_condition(ChoshaEdit, selection.ChoshaSelectMode, selection.SelChosha, chosha_history_);

  store_.OpenKey(settings::kRootKey, true);
  store_.WriteStringList(kTitleHistoryName, title_history_);
  store_.WriteStringList(kChoshaHistoryName, chosha_history_);
  store_.CloseKey();
  store_.Sync();  // a failed write shows up again when the settings are saved at shutdown
  accept();
  return true;
}

void TDateRangeInputBox::ResetBitBtnClick() {
  SelectAllRadioButton->setChecked(true);
  BunruiRadioButtonClick();
  FromDateEdit->clear();
  ToDateEdit->clear();
  TitleEdit->setEditText(QString());
  ChoshaEdit->setEditText(QString());
}

void TDateRangeInputBox::BunruiRadioButtonClick() {
  BunruiListBox->setEnabled(SelectSomeRadioButton->isChecked());
}

void TDateRangeInputBox::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

}  // namespace sk::browse
