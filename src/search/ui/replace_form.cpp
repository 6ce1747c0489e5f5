#include "search/ui/replace_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/dialog_buttons.h"
#include "convert/cp932.h"

namespace sk::search {

namespace {

template <class T>
T* Named(T* w, const char* name) {
  w->setObjectName(QLatin1String(name));
  return w;
}

QComboBox* HistoryBox(const char* name) {
  auto* c = Named(new QComboBox, name);
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->setMinimumWidth(300);
  return c;
}

void Fill(QComboBox* c, const std::vector<std::string>& history) {
  c->clear();
  for (const std::string& h : history) c->addItem(cp932::Decode(h));
  if (history.empty()) c->addItem(QString());
}

}  // namespace

TReplaceForm::TReplaceForm(QWidget* parent, std::function<void(const QString&)> message)
    : QDialog(parent), message_(std::move(message)) {
  setObjectName(QStringLiteral("ReplaceForm"));
  setWindowTitle(QStringLiteral("置換"));
  auto* box = new QVBoxLayout(this);
  auto* fields = new QFormLayout;
  KensakuEdit = HistoryBox("KensakuEdit");
  ChikanEdit = HistoryBox("ChikanEdit");
  fields->addRow(QStringLiteral("検索文字列"), KensakuEdit);
  fields->addRow(QStringLiteral("置換文字列"), ChikanEdit);
  box->addLayout(fields);

  auto* range = new QGroupBox(QStringLiteral("検索範囲"));
  auto* range_box = new QVBoxLayout(range);
  OnePageRadioButton =
      Named(new QRadioButton(QStringLiteral("現ページのみ")), "OnePageRadioButton");
  AllPageRadioButton = Named(new QRadioButton(QStringLiteral("表示対象になっているすべてのページ")),
                             "AllPageRadioButton");
  range_box->addWidget(OnePageRadioButton);
  range_box->addWidget(AllPageRadioButton);
  connect(OnePageRadioButton, &QRadioButton::clicked, this, [this] { SetRangeCaptions(true); });
  connect(AllPageRadioButton, &QRadioButton::clicked, this, [this] { SetRangeCaptions(false); });

  auto* start = new QGroupBox(QStringLiteral("検索開始位置・方向"));
  auto* start_box = new QVBoxLayout(start);
  FromTopToDownRadioButton = Named(new QRadioButton, "FromTopToDownRadioButton");
  ToDownRadioButton = Named(new QRadioButton, "ToDownRadioButton");
  ToTopRadioButton = Named(new QRadioButton, "ToTopRadioButton");
  start_box->addWidget(FromTopToDownRadioButton);
  start_box->addWidget(ToDownRadioButton);
  start_box->addWidget(ToTopRadioButton);

  auto* options = new QGroupBox(QStringLiteral("オプション"));
  auto* options_box = new QVBoxLayout(options);
  MatchCaseCheckBox =
      Named(new QCheckBox(QStringLiteral("大文字・小文字を区別")), "MatchCaseCheckBox");
  KakuninCheckBox = Named(new QCheckBox(QStringLiteral("置き換えを確認")), "KakuninCheckBox");
  options_box->addWidget(MatchCaseCheckBox);
  options_box->addWidget(KakuninCheckBox);

  auto* groups = new QHBoxLayout;
  groups->addWidget(range);
  groups->addWidget(start);
  groups->addWidget(options);
  box->addLayout(groups);

  OnePageRadioButton->setChecked(true);
  FromTopToDownRadioButton->setChecked(true);
  KakuninCheckBox->setChecked(true);
  SetRangeCaptions(true);

  box->addLayout(shell::DialogButtonRow(this, true, [this] { OkBitBtnClick(); }));
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TReplaceForm::SetRangeCaptions(bool one_page) {
  FromTopToDownRadioButton->setText(one_page ? QStringLiteral("先頭から下方向へ")
                                             : QStringLiteral("先頭ページから末尾方向へ"));
  ToDownRadioButton->setText(one_page ? QStringLiteral("カーソル位置から下方向へ")
                                      : QStringLiteral("現ページ（含む）から末尾方向へ"));
  ToTopRadioButton->setText(one_page ? QStringLiteral("カーソル位置から上方向へ")
                                     : QStringLiteral("現ページ（含む）から先頭方向へ"));
}

void TReplaceForm::FormActivate(const std::vector<std::string>& kensaku,
                                const std::vector<std::string>& chikan) {
  Fill(KensakuEdit, kensaku);
  Fill(ChikanEdit, chikan);
  KensakuEdit->setCurrentIndex(0);
  KensakuEdit->setEditText(KensakuEdit->itemText(0));
  ChikanEdit->setEditText(QString());
  SetRangeCaptions(OnePageRadioButton->isChecked());
}

QString TReplaceForm::From() const { return KensakuEdit->currentText(); }
QString TReplaceForm::To() const { return ChikanEdit->currentText(); }

void TReplaceForm::OkBitBtnClick() {
  if (From().isEmpty()) {
    if (message_) message_(QStringLiteral("検索文字列を指定してください。"));
    return;
  }
  accept();
}

void TReplaceForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  KensakuEdit->setFocus();
  KensakuEdit->lineEdit()->selectAll();
}

}  // namespace sk::search
