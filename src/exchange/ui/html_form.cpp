#include "exchange/ui/html_form.h"

#include <QCheckBox>
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/dialog_buttons.h"
#include "shell/prompter.h"
#include "convert/cp932.h"
#include "editor/text_positions.h"
#include "editor/ui/text_area.h"
#include "exchange/ui/save_text_form.h"

namespace sk::exchange {

namespace {

QFont QFontOf(const HtmlFont& f) {
  QFont font(cp932::Decode(f.Name));
  if (f.Size > 0) font.setPointSizeF(f.Size);
  const editor::FontStyle st = editor::FontStyleFromBits(f.Style);
  font.setBold(st.bold);
  font.setItalic(st.italic);
  font.setUnderline(st.underline);
  font.setStrikeOut(st.strike_out);
  return font;
}

QString Number(double v) { return QString::number(v, 'g', 15); }

}  // namespace

void ShowHtmlFont(const HtmlFont& font, QLabel* sample) {
  sample->setFont(QFontOf(font));
  QPalette pal = sample->palette();
  pal.setColor(QPalette::WindowText, editor::ColorFromBgr(uint32_t(font.Color)));
  sample->setPalette(pal);
}

THTMLForm::THTMLForm(shell::Prompter& prompter, HtmlSettings& s, const QStringList& captions,
                     QWidget* parent)
    : QDialog(parent), prompter_(prompter), s_(s) {
  setObjectName(QStringLiteral("HTMLForm"));
  setWindowTitle(QStringLiteral("HTMLの書式"));
  setModal(true);
  StartDir = QDir::currentPath();
  auto* box = new QVBoxLayout(this);

  // Left: the fonts, the document title and the page title line.
  auto* font_group = new QGroupBox(QStringLiteral("フォント"));
  auto* font_grid = new QGridLayout(font_group);
  HonbunFontButton = Button("HonbunFontButton", QStringLiteral("本文テキスト"));
  PageTitleFontButton = Button("PageTitleFontButton", QStringLiteral("ページタイトル"));
  DocumentTitleFontButton =
      Button("DocumentTitleFontButton", QStringLiteral("ドキュメントタイトル"));
  HonbunSampleLabel = new QLabel(QStringLiteral("サンプルABab"));
  HonbunSampleLabel->setObjectName(QStringLiteral("HonbunSampleLabel"));
  PageTitleSampleLabel = new QLabel(QStringLiteral("サンプルABab"));
  PageTitleSampleLabel->setObjectName(QStringLiteral("PageTitleSampleLabel"));
  DocumentTitleSampleLabel = new QLabel(QStringLiteral("サンプルABab"));
  DocumentTitleSampleLabel->setObjectName(QStringLiteral("DocumentTitleSampleLabel"));
  int row = 0;
  for (auto [button, sample] : {std::pair{HonbunFontButton, HonbunSampleLabel},
                                std::pair{PageTitleFontButton, PageTitleSampleLabel},
                                std::pair{DocumentTitleFontButton, DocumentTitleSampleLabel}}) {
    sample->setMinimumWidth(200);
    font_grid->addWidget(button, row, 0);
    font_grid->addWidget(sample, row, 1);
    ++row;
  }
  connect(HonbunFontButton, &QPushButton::clicked, this,
          [this] { ChooseFont(&honbun_, HonbunSampleLabel, 20); });
  connect(PageTitleFontButton, &QPushButton::clicked, this,
          [this] { ChooseFont(&page_title_, PageTitleSampleLabel, 30); });
  connect(DocumentTitleFontButton, &QPushButton::clicked, this,
          [this] { ChooseFont(&document_title_, DocumentTitleSampleLabel, 30); });

  auto* doc_group = new QGroupBox(QStringLiteral("ドキュメントタイトル"));
  auto* doc_row = new QHBoxLayout(doc_group);
  DocumentTitleEdit = new QLineEdit;
  DocumentTitleEdit->setObjectName(QStringLiteral("DocumentTitleEdit"));
  doc_row->addWidget(DocumentTitleEdit);

  QGroupBox* title_group =
      PageTitleGroup(captions, &TitleCheckBox, &ChoshaCheckBox, &DateCheckBox, &UserNameCheckBox);

  auto* left = new QVBoxLayout;
  left->addWidget(font_group);
  left->addWidget(doc_group);
  left->addWidget(title_group);
  left->addStretch(1);

  // Right: spacing, pictures, pages.
  auto* space_group = new QGroupBox(QStringLiteral("間隔"));
  auto* space_grid = new QGridLayout(space_group);
  GyokanEdit = NumberEdit("GyokanEdit");
  PageKanEdit = NumberEdit("PageKanEdit");
  space_grid->addWidget(new QLabel(QStringLiteral("行間隔")), 0, 0);
  space_grid->addWidget(GyokanEdit, 0, 1);
  space_grid->addWidget(new QLabel(QStringLiteral("mm")), 0, 2);
  space_grid->addWidget(new QLabel(QStringLiteral("ページ間隔")), 1, 0);
  space_grid->addWidget(PageKanEdit, 1, 1);
  space_grid->addWidget(new QLabel(QStringLiteral("行")), 1, 2);
  space_grid->setColumnStretch(3, 1);

  auto* gazo_group = new QGroupBox(QStringLiteral("画像"));
  auto* gazo_box = new QVBoxLayout(gazo_group);
  GazoCheckBox = Check("GazoCheckBox", QStringLiteral("画像を表示"));
  gazo_box->addWidget(GazoCheckBox);
  auto* pos_row = new QHBoxLayout;
  LeftRadioButton = Radio("LeftRadioButton", QStringLiteral("左端"));
  CenterRadioButton = Radio("CenterRadioButton", QStringLiteral("中央"));
  RightRadioButton = Radio("RightRadioButton", QStringLiteral("右端"));
  pos_row->addSpacing(16);
  pos_row->addWidget(LeftRadioButton);
  pos_row->addWidget(CenterRadioButton);
  pos_row->addWidget(RightRadioButton);
  pos_row->addStretch(1);
  gazo_box->addLayout(pos_row);
  auto* width_grid = new QGridLayout;
  ToSmallCheckBox = Check("ToSmallCheckBox", QStringLiteral("大きい画像を縮小  最大幅"));
  ToLargeCheckBox = Check("ToLargeCheckBox", QStringLiteral("小さい画像を拡大  最小幅"));
  GazoMaxWidthEdit = NumberEdit("GazoMaxWidthEdit");
  GazoMinWidthEdit = NumberEdit("GazoMinWidthEdit");
  width_grid->setColumnMinimumWidth(0, 16);
  width_grid->addWidget(ToSmallCheckBox, 0, 1);
  width_grid->addWidget(GazoMaxWidthEdit, 0, 2);
  width_grid->addWidget(new QLabel(QStringLiteral("mm")), 0, 3);
  width_grid->addWidget(ToLargeCheckBox, 1, 1);
  width_grid->addWidget(GazoMinWidthEdit, 1, 2);
  width_grid->addWidget(new QLabel(QStringLiteral("mm")), 1, 3);
  width_grid->setColumnStretch(4, 1);
  gazo_box->addLayout(width_grid);
  for (QCheckBox* c : {GazoCheckBox, ToSmallCheckBox, ToLargeCheckBox})
    connect(c, &QCheckBox::toggled, this, [this] { SetEnabled(); });

  QGroupBox* page_group = PageRangeGroup("NowPageRadioButton", &AllPageRadioButton,
                                         &NowPageRadioButton, &PageCountEdit);
  connect(NowPageRadioButton, &QRadioButton::toggled, this, [this] { SetEnabled(); });

  auto* right = new QVBoxLayout;
  right->addWidget(space_group);
  right->addWidget(gazo_group);
  right->addWidget(page_group);
  right->addStretch(1);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  box->addLayout(columns);

  auto* file_group = new QGroupBox(QStringLiteral("出力するHTMLファイル名"));
  auto* file_row = new QHBoxLayout(file_group);
  FileNameEdit = new QLineEdit;
  FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
  FileNameDialogButton = Button("FileNameDialogButton", QStringLiteral("..."));
  FileNameDialogButton->setFixedWidth(32);
  connect(FileNameDialogButton, &QPushButton::clicked, this,
          [this] { FileNameDialogButtonClick(); });
  file_row->addWidget(FileNameEdit, 1);
  file_row->addWidget(FileNameDialogButton);
  box->addWidget(file_group);

  box->addLayout(shell::DialogButtonRow(this, true, [this] { OkBitBtnClick(); }));
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  AllPageRadioButton->setChecked(true);
  RightRadioButton->setChecked(true);
  SetEnabled();
}

void THTMLForm::SetEnabled() {
  const bool gazo = GazoCheckBox->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{
           LeftRadioButton, CenterRadioButton, RightRadioButton, ToSmallCheckBox, ToLargeCheckBox})
    w->setEnabled(gazo);
  GazoMaxWidthEdit->setEnabled(gazo && ToSmallCheckBox->isChecked());
  GazoMinWidthEdit->setEnabled(gazo && ToLargeCheckBox->isChecked());
  PageCountEdit->setEnabled(NowPageRadioButton->isChecked());
}

void THTMLForm::FormActivate() {
  honbun_ = s_.Honbun;
  page_title_ = s_.PageTitle;
  document_title_ = s_.DocumentTitle;
  ShowHtmlFont(honbun_, HonbunSampleLabel);
  ShowHtmlFont(page_title_, PageTitleSampleLabel);
  ShowHtmlFont(document_title_, DocumentTitleSampleLabel);
  DocumentTitleEdit->setText(cp932::Decode(s_.DocumentTitleText));
  TitleCheckBox->setChecked(s_.TitleTitle);
  ChoshaCheckBox->setChecked(s_.TitleChosha);
  DateCheckBox->setChecked(s_.TitleDate);
  UserNameCheckBox->setChecked(s_.TitleUserName);
  GyokanEdit->setText(Number(s_.Gyokan));
  PageKanEdit->setText(QString::number(s_.Pagekan));
  GazoCheckBox->setChecked(s_.DispGazo);
  (s_.GazoDispPos == 1   ? LeftRadioButton
   : s_.GazoDispPos == 2 ? CenterRadioButton
                         : RightRadioButton)
      ->setChecked(true);
  ToSmallCheckBox->setChecked(s_.GazoToSmall);
  GazoMaxWidthEdit->setText(Number(s_.GazoMaxWidth));
  ToLargeCheckBox->setChecked(s_.GazoToLarge);
  GazoMinWidthEdit->setText(Number(s_.GazoMinWidth));
  (s_.AllPage ? AllPageRadioButton : NowPageRadioButton)->setChecked(true);
  PageCountEdit->setText(QString::number(s_.PageCount));
  FileNameEdit->setText(cp932::Decode(s_.HTMLFileName));
  SetEnabled();
}

void THTMLForm::OkBitBtnClick() {
  s_.Honbun = honbun_;
  s_.PageTitle = page_title_;
  s_.DocumentTitle = document_title_;
  s_.DocumentTitleText = cp932::EncodeReplacing(DocumentTitleEdit->text());
  s_.TitleTitle = TitleCheckBox->isChecked();
  s_.TitleChosha = ChoshaCheckBox->isChecked();
  s_.TitleDate = DateCheckBox->isChecked();
  s_.TitleUserName = UserNameCheckBox->isChecked();
  if (!ParseDouble(GyokanEdit->text(), &s_.Gyokan)) s_.Gyokan = 2.0;
  if (!ParseInt(PageKanEdit->text(), &s_.Pagekan)) s_.Pagekan = 2;
  s_.DispGazo = GazoCheckBox->isChecked();
  s_.GazoDispPos = LeftRadioButton->isChecked() ? 1 : CenterRadioButton->isChecked() ? 2 : 3;
  s_.GazoToSmall = ToSmallCheckBox->isChecked();
  if (!ParseDouble(GazoMaxWidthEdit->text(), &s_.GazoMaxWidth)) s_.GazoMaxWidth = 50.0;
  s_.GazoToLarge = ToLargeCheckBox->isChecked();
  if (!ParseDouble(GazoMinWidthEdit->text(), &s_.GazoMinWidth)) s_.GazoMinWidth = 30.0;
  s_.AllPage = AllPageRadioButton->isChecked();
  if (!ParseInt(PageCountEdit->text(), &s_.PageCount)) s_.PageCount = 1;
  s_.HTMLFileName = cp932::EncodeReplacing(FileNameEdit->text());
  accept();
}

void THTMLForm::ChooseFont(HtmlFont* font, QLabel* sample, double max_size) {
  QFont f = QFontOf(*font);
  QColor color = editor::ColorFromBgr(uint32_t(font->Color));
  if (!prompter_.ChooseFont(&f, &color)) return;
  font->Name = cp932::EncodeReplacing(f.family());
  font->Color = int(editor::BgrFromRgb(color.red(), color.green(), color.blue()));
  font->Style = editor::BitsFromFontStyle({f.bold(), f.italic(), f.underline(), f.strikeOut()});
  const double size = f.pointSizeF();
  if (size > 0) font->Size = size == 10 ? 10.5 : std::min(size, max_size);
  ShowHtmlFont(*font, sample);
}

void THTMLForm::FileNameDialogButtonClick() {
  ChooseSaveFileInto(prompter_, QStringLiteral("出力するHTMLファイル名"),
                     QStringLiteral("HTMLﾌｧｲﾙ(*.HTML,*.HTM)|*.HTML;*.HTM"), QStringLiteral("HTML"),
                     StartDir, FileNameEdit);
}

void THTMLForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormActivate();
  if (QScreen* sc = screen()) move(sc->availableGeometry().center() - rect().center());
}

}  // namespace sk::exchange
