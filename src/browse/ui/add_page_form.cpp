// The add-page dialog.  Its controls map one to one onto the seven characters of AddPageMode; the
// view-mode group is the only control whose state outlives an opening without being stored.
#include "browse/ui/add_page_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace sk::browse {

namespace {

// The field captions used when the caller passes fewer than four.
const char* const kDefaultCaptions[] = {"分類", "タイトル", "サブタイトル", "日付"};

QString Caption(const std::vector<std::string>& captions, size_t i) {
  return QString::fromStdString(i < captions.size() ? captions[i] : kDefaultCaptions[i]);
}

}  // namespace

AddPageChoice ParseAddPageMode(std::string_view mode) {
  auto on = [&](size_t i) { return i < mode.size() && mode[i] == '1'; };
  AddPageChoice c;
  c.copy = on(0);
  c.bunrui = on(1);
  c.title = on(2);
  c.chosha = on(3);
  c.text = on(4);
  c.date = on(5);
  c.view_mode = on(6);
  return c;
}

std::string FormatAddPageMode(const AddPageChoice& c) {
  std::string s;
  for (bool b : {c.copy, c.bunrui, c.title, c.chosha, c.text, c.date, c.view_mode}) {
    s += b ? '1' : '0';
  }
  return s;
}

TAddPageForm::TAddPageForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AddPageForm"));
  setWindowTitle(QStringLiteral("新しいページを追加"));
  setModal(true);

  auto* box = new QVBoxLayout(this);

  auto* how = new QGroupBox(QStringLiteral("ページの追加方法"));
  auto* how_box = new QVBoxLayout(how);
  NotCopyRadioButton = new QRadioButton(QStringLiteral("空白のページを追加"));
  CopyRadioButton =
      new QRadioButton(QStringLiteral("現在開かれているページからデータをコピーして追加"));
  NotCopyRadioButton->setChecked(true);
  how_box->addWidget(NotCopyRadioButton);
  how_box->addWidget(CopyRadioButton);

  GroupBox2 = new QGroupBox(QStringLiteral("コピーする項目"));
  auto* items = new QVBoxLayout(GroupBox2);
  CheckBox1 = new QCheckBox(Caption({}, 0));
  CheckBox2 = new QCheckBox(Caption({}, 1));
  CheckBox3 = new QCheckBox(Caption({}, 2));
  CheckBox5 = new QCheckBox(Caption({}, 3));
  CheckBox4 = new QCheckBox(QStringLiteral("テキスト"));
  for (QCheckBox* c : {CheckBox1, CheckBox2, CheckBox3, CheckBox5, CheckBox4}) {
    items->addWidget(c);
  }
  auto* indent = new QHBoxLayout;
  indent->addSpacing(20);
  indent->addWidget(GroupBox2);
  how_box->addLayout(indent);
  box->addWidget(how);

  PageViewModeRadioGroup =
      new QGroupBox(QStringLiteral("ページ固有の表示モードを現ページから引き継ぐ"));
  auto* view_box = new QHBoxLayout(PageViewModeRadioGroup);
  TakeOverRadioButton = new QRadioButton(QStringLiteral("引き継ぐ"));
  KeepOwnRadioButton = new QRadioButton(QStringLiteral("引き継がない"));
  TakeOverRadioButton->setChecked(true);
  view_box->addWidget(TakeOverRadioButton);
  view_box->addWidget(KeepOwnRadioButton);
  view_box->addStretch();
  box->addWidget(PageViewModeRadioGroup);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  OkBitBtn = new QPushButton(QStringLiteral("OK"));
  CancelBitBtn = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"));
  HelpBitBtn = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ"));
  OkBitBtn->setDefault(true);
  buttons->addWidget(OkBitBtn);
  buttons->addWidget(CancelBitBtn);
  buttons->addWidget(HelpBitBtn);
  box->addLayout(buttons);

  // Switching the mode only enables or disables the check boxes; their marks stay.
  connect(NotCopyRadioButton, &QRadioButton::toggled, this, [this] { SetCheckBoxEnabled(); });
  connect(CopyRadioButton, &QRadioButton::toggled, this, [this] { SetCheckBoxEnabled(); });
  connect(OkBitBtn, &QPushButton::clicked, this, [this] { OkBitBtnClick(); });
  connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
  SetCheckBoxEnabled();
}

void TAddPageForm::FormActivate(const std::string& add_page_mode,
                                const std::vector<std::string>& field_captions,
                                bool page_has_view_mode) {
  const AddPageChoice c = ParseAddPageMode(add_page_mode);
  CopyRadioButton->setChecked(c.copy);
  NotCopyRadioButton->setChecked(!c.copy);
  CheckBox1->setChecked(c.bunrui);
  CheckBox2->setChecked(c.title);
  CheckBox3->setChecked(c.chosha);
  CheckBox4->setChecked(c.text);
  CheckBox5->setChecked(c.date);
  SetCheckBoxEnabled();
  CheckBox1->setText(Caption(field_captions, 0));
  CheckBox2->setText(Caption(field_captions, 1));
  CheckBox3->setText(Caption(field_captions, 2));
  CheckBox5->setText(Caption(field_captions, 3));
  // Which of the two items is selected is left as the user last chose it.
  PageViewModeRadioGroup->setEnabled(page_has_view_mode);
}

std::string TAddPageForm::OkBitBtnClick() {
  AddPageChoice c;
  c.copy = CopyRadioButton->isChecked();
  c.bunrui = CheckBox1->isChecked();
  c.title = CheckBox2->isChecked();
  c.chosha = CheckBox3->isChecked();
  c.text = CheckBox4->isChecked();
  c.date = CheckBox5->isChecked();
  c.view_mode = PageViewModeRadioGroup->isEnabled() && TakeOverRadioButton->isChecked();
  result_ = FormatAddPageMode(c);
  accept();
  return result_;
}

void TAddPageForm::SetCheckBoxEnabled() {
  const bool copy = CopyRadioButton->isChecked();
  GroupBox2->setEnabled(copy);
  for (QCheckBox* c : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5}) c->setEnabled(copy);
}

void TAddPageForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

}  // namespace sk::browse
