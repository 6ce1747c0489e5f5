#include "search/ui/find_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/dialog_buttons.h"
#include "convert/cp932.h"

namespace sk::search {

namespace {

QRadioButton* Radio(const char* name) {
  auto* r = new QRadioButton;
  r->setObjectName(QLatin1String(name));
  return r;
}

}  // namespace

TFindForm::TFindForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FindForm"));
  setWindowTitle(QStringLiteral("テキスト検索"));
  auto* box = new QVBoxLayout(this);
  Label1 = new QLabel(QStringLiteral("検索したい本文テキスト中の文字列を入力してください。"));
  Label1->setObjectName(QStringLiteral("Label1"));
  box->addWidget(Label1);
  auto* input_row = new QHBoxLayout;
  Label2 = new QLabel(QStringLiteral("検索文字列"));
  Label2->setObjectName(QStringLiteral("Label2"));
  FindMojiEdit = new QComboBox;
  FindMojiEdit->setObjectName(QStringLiteral("FindMojiEdit"));
  FindMojiEdit->setEditable(true);
  FindMojiEdit->setInsertPolicy(QComboBox::NoInsert);
  FindMojiEdit->setMinimumWidth(320);
  Label2->setBuddy(FindMojiEdit);
  input_row->addWidget(Label2);
  input_row->addWidget(FindMojiEdit, 1);
  box->addLayout(input_row);

  MatchCaseCheckBox = new QCheckBox(QStringLiteral("大文字・小文字を区別する"));
  MatchCaseCheckBox->setObjectName(QStringLiteral("MatchCaseCheckBox"));
  OnlyOnePageCheckBox = new QCheckBox(QStringLiteral("現ページのみを検索"));
  OnlyOnePageCheckBox->setObjectName(QStringLiteral("OnlyOnePageCheckBox"));
  connect(OnlyOnePageCheckBox, &QCheckBox::clicked, this, [this](bool on) { SetHokoCaption(on); });
  auto* checks = new QHBoxLayout;
  checks->addWidget(MatchCaseCheckBox);
  checks->addWidget(OnlyOnePageCheckBox);
  checks->addStretch(1);
  box->addLayout(checks);

  auto* direction = new QGroupBox;
  direction_box_ = direction;
  auto* grid = new QGridLayout(direction);
  NextRadioButton = Radio("NextRadioButton");
  PriorRadioButton = Radio("PriorRadioButton");
  FromTopRadioButton = Radio("FromTopRadioButton");
  FromLastRadioButton = Radio("FromLastRadioButton");
  grid->addWidget(NextRadioButton, 0, 0);
  grid->addWidget(PriorRadioButton, 1, 0);
  grid->addWidget(FromTopRadioButton, 0, 1);
  grid->addWidget(FromLastRadioButton, 1, 1);
  NextRadioButton->setChecked(true);
  SetHokoCaption(false);
  box->addWidget(direction);

  auto* hints = new QWidget;
  hints_ = hints;
  auto* hint_box = new QGridLayout(hints);
  hint_box->setContentsMargins(0, 0, 0, 0);
  hint_box->addWidget(new QLabel(QStringLiteral("ＯＲ検索の場合")), 0, 0);
  hint_box->addWidget(new QLabel(QStringLiteral("いくつでも，半角の「|」で区切って入力します。")),
                      0, 1);
  hint_box->addWidget(new QLabel(QStringLiteral("ＡＮＤ検索の場合")), 1, 0);
  hint_box->addWidget(new QLabel(QStringLiteral("いくつでも，半角の「&」で区切って入力します。")),
                      1, 1);
  hint_box->addWidget(new QLabel(QStringLiteral("(注) OR と AND を組み合わせることはできません。")),
                      2, 0, 1, 2);
  box->addWidget(hints);

  box->addLayout(shell::DialogButtonRow(this, true, [this] { accept(); }));
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TFindForm::SetHokoCaption(bool in_page) {
  NextRadioButton->setText(in_page ? QStringLiteral("カーソル位置から下方へ")
                                   : QStringLiteral("現ページ（含む）から末尾方向へ"));
  PriorRadioButton->setText(in_page ? QStringLiteral("カーソル位置から上方へ")
                                    : QStringLiteral("現ページ（含む）から先頭方向へ"));
  FromTopRadioButton->setText(in_page ? QStringLiteral("先頭から下方へ")
                                      : QStringLiteral("先頭ページから末尾方向へ"));
  FromLastRadioButton->setText(in_page ? QStringLiteral("末尾から上方へ")
                                       : QStringLiteral("末尾のページから先頭方向へ"));
}

void TFindForm::FormActivate(int kind, const std::vector<std::string>& history) {
  FindMojiEdit->clear();
  for (const std::string& h : history) FindMojiEdit->addItem(cp932::Decode(h));
  if (history.empty()) FindMojiEdit->addItem(QString());
  FindMojiEdit->setCurrentIndex(0);
  FindMojiEdit->setEditText(FindMojiEdit->itemText(0));
  FindMojiEdit->lineEdit()->selectAll();
  // The text and image file name searches label the directions from the "current page only"
  // box (the image file name search keeps the labels its box last gave them); the title and
  // subtitle searches always name pages.
  if (kind == 1 || kind == 5) SetHokoCaption(OnlyOnePageCheckBox->isChecked());
  if (kind == 3 || kind == 4) SetHokoCaption(false);
}

void TFindForm::ShowDateLayout(bool date) {
  Label2->setText(date ? QStringLiteral("検索年月日") : QStringLiteral("検索文字列"));
  MatchCaseCheckBox->setVisible(!date);
  OnlyOnePageCheckBox->setVisible(!date);
  direction_box_->setVisible(!date);
  hints_->setVisible(!date);
}

QString TFindForm::Input() const { return FindMojiEdit->currentText(); }

bool TFindForm::Forward() const {
  return NextRadioButton->isChecked() || FromTopRadioButton->isChecked();
}

bool TFindForm::FromEdge() const {
  return FromTopRadioButton->isChecked() || FromLastRadioButton->isChecked();
}

void TFindForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FindMojiEdit->setFocus();
  FindMojiEdit->lineEdit()->selectAll();
}

}  // namespace sk::search
