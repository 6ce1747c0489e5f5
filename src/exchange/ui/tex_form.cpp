#include "exchange/ui/tex_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "shell/dialog_buttons.h"
#include "shell/prompter.h"
#include "convert/cp932.h"
#include "convert/sjis.h"
#include "exchange/ui/save_text_form.h"

namespace sk::exchange {

namespace {

QString Number(double v) { return QString::number(v, 'g', 15); }

// A number box with its label before and its unit after, on one row of a grid.
void AddNumberRow(QGridLayout* grid, int row, const QString& label, QLineEdit* edit,
                  const QString& unit) {
  grid->addWidget(new QLabel(label), row, 0);
  grid->addWidget(edit, row, 1);
  grid->addWidget(new QLabel(unit), row, 2);
}

double NumberOr(const QLineEdit* edit, double fallback) {
  double v = fallback;
  return ParseDouble(edit->text(), &v) ? v : fallback;
}

}  // namespace

TexRadioGroup::TexRadioGroup(const char* name, const QString& title, const QStringList& items)
    : QGroupBox(title), group_(new QButtonGroup(this)) {
  setObjectName(QLatin1String(name));
  auto* box = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* r = new QRadioButton(items[i]);
    group_->addButton(r, i);
    box->addWidget(r);
  }
  box->addStretch(1);
}

int TexRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TexRadioGroup::SetItemIndex(int index) {
  if (QRadioButton* r = Button(index)) r->setChecked(true);
}

QRadioButton* TexRadioGroup::Button(int index) const {
  return static_cast<QRadioButton*>(group_->button(index));
}

TTeXForm::TTeXForm(shell::Prompter& prompter, TexSettings& s, const QStringList& captions,
                   QWidget* parent)
    : QDialog(parent), prompter_(prompter), s_(s) {
  setObjectName(QStringLiteral("TeXForm"));
  setWindowTitle(QStringLiteral("TeXの書式"));
  setModal(true);
  StartDir = QDir::currentPath();
  auto* box = new QVBoxLayout(this);

  YoshiRadioGroup =
      new TexRadioGroup("YoshiRadioGroup", QStringLiteral("用紙"), {"A4", "A5", "B4", "B5"});
  YoshiMukiRadioGroup = new TexRadioGroup("YoshiMukiRadioGroup", QStringLiteral("用紙の向き"),
                                          {QStringLiteral("縦置き"), QStringLiteral("横置き")});
  MojiHokoRadioGroup = new TexRadioGroup("MojiHokoRadioGroup", QStringLiteral("文字方向"),
                                         {QStringLiteral("横書き"), QStringLiteral("縦書き")});
  MojiSizeRadioGroup = new TexRadioGroup("MojiSizeRadioGroup", QStringLiteral("文字サイズ"),
                                         {"10pt", "11pt", "12pt"});
  DangumiRadioGroup = new TexRadioGroup("DangumiRadioGroup", QStringLiteral("段組"),
                                        {QStringLiteral("１段組"), QStringLiteral("２段組")});
  StyleRadioGroup = new TexRadioGroup("StyleRadioGroup", QStringLiteral("スタイル"),
                                      {"article", "report", "book"});
  auto* groups = new QHBoxLayout;
  for (TexRadioGroup* g : {YoshiRadioGroup, YoshiMukiRadioGroup, MojiHokoRadioGroup,
                           MojiSizeRadioGroup, DangumiRadioGroup, StyleRadioGroup})
    groups->addWidget(g);
  box->addLayout(groups);
  connect(DangumiRadioGroup->Group(), &QButtonGroup::idToggled, this, [this] { SetEnabled(); });

  // Spacing, margins and the substitutions side by side.
  auto* space_group = new QGroupBox(QStringLiteral("間隔"));
  auto* space_grid = new QGridLayout(space_group);
  GyokanEdit = NumberEdit("GyokanEdit");
  DankanEdit = NumberEdit("DankanEdit");
  PageKanEdit = NumberEdit("PageKanEdit");
  ParIndentEdit = NumberEdit("ParIndentEdit");
  AddNumberRow(space_grid, 0, QStringLiteral("行間隔"), GyokanEdit, QStringLiteral("mm"));
  AddNumberRow(space_grid, 1, QStringLiteral("段間隔"), DankanEdit, QStringLiteral("mm"));
  AddNumberRow(space_grid, 2, QStringLiteral("ページ間隔"), PageKanEdit, QStringLiteral("mm"));
  AddNumberRow(space_grid, 3, QStringLiteral("段落頭字下げ"), ParIndentEdit,
               QStringLiteral("文字"));

  auto* margin_group = new QGroupBox(QStringLiteral("マージン"));
  auto* margin_grid = new QGridLayout(margin_group);
  LeftMarginEdit = NumberEdit("LeftMarginEdit");
  RightMarginEdit = NumberEdit("RightMarginEdit");
  TopMarginEdit = NumberEdit("TopMarginEdit");
  BottomMarginEdit = NumberEdit("BottomMarginEdit");
  AddNumberRow(margin_grid, 0, QStringLiteral("左マージン"), LeftMarginEdit, QStringLiteral("mm"));
  AddNumberRow(margin_grid, 1, QStringLiteral("右マージン"), RightMarginEdit, QStringLiteral("mm"));
  AddNumberRow(margin_grid, 2, QStringLiteral("上マージン"), TopMarginEdit, QStringLiteral("mm"));
  AddNumberRow(margin_grid, 3, QStringLiteral("下マージン"), BottomMarginEdit,
               QStringLiteral("mm"));

  auto* henkan_group = new QGroupBox(QStringLiteral("変換"));
  auto* henkan_box = new QVBoxLayout(henkan_group);
  CommaHenkanCheckBox = Check("CommaHenkanCheckBox", QStringLiteral("「，」 → 「、」"));
  NumHenkanCheckBox = Check("NumHenkanCheckBox", QStringLiteral("全角数字 → 漢数字"));
  KaigyoHenkanCheckBox = Check("KaigyoHenkanCheckBox", QStringLiteral("改行 → ダブル改行"));
  for (QCheckBox* c : {CommaHenkanCheckBox, NumHenkanCheckBox, KaigyoHenkanCheckBox})
    henkan_box->addWidget(c);
  henkan_box->addStretch(1);

  auto* numbers = new QHBoxLayout;
  numbers->addWidget(space_group);
  numbers->addWidget(margin_group);
  numbers->addWidget(henkan_group, 1);
  box->addLayout(numbers);

  // The files to \input on the left; the page title line and the pages on the right.
  auto* input_group = new QGroupBox(QStringLiteral("インプット・ファイル名"));
  auto* input_box = new QVBoxLayout(input_group);
  InputFileNameMemo = new QPlainTextEdit;
  InputFileNameMemo->setObjectName(QStringLiteral("InputFileNameMemo"));
  InputFileNameMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  InputFileNameMemo->setMinimumHeight(72);
  // As tall as the groups beside it.
  InputFileNameMemo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  input_box->addWidget(InputFileNameMemo);

  QGroupBox* title_group =
      PageTitleGroup(captions, &TitleCheckBox, &ChoshaCheckBox, &DateCheckBox, &UserNameCheckBox);

  QGroupBox* page_group = PageRangeGroup("NowPageRadioButton", &AllPageRadioButton,
                                         &NowPageRadioButton, &PageCountEdit);
  connect(NowPageRadioButton, &QRadioButton::toggled, this, [this] { SetEnabled(); });

  auto* right = new QVBoxLayout;
  right->addWidget(title_group);
  right->addWidget(page_group);
  auto* middle = new QHBoxLayout;
  middle->addWidget(input_group, 1);
  middle->addLayout(right);
  box->addLayout(middle);

  auto* file_group = new QGroupBox(QStringLiteral("出力するＴｅＸファイル名"));
  auto* file_row = new QHBoxLayout(file_group);
  TeXFileNameEdit = new QLineEdit;
  TeXFileNameEdit->setObjectName(QStringLiteral("TeXFileNameEdit"));
  SpeedButton1 = new QPushButton(QStringLiteral("..."));
  SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
  SpeedButton1->setFixedWidth(32);
  connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
  file_row->addWidget(TeXFileNameEdit, 1);
  file_row->addWidget(SpeedButton1);
  box->addWidget(file_group);

  auto* doc_group = new QGroupBox(QStringLiteral("ドキュメント・タイトル"));
  auto* doc_row = new QHBoxLayout(doc_group);
  DocumentTitleEdit = new QLineEdit;
  DocumentTitleEdit->setObjectName(QStringLiteral("DocumentTitleEdit"));
  doc_row->addWidget(DocumentTitleEdit, 1);
  doc_row->addWidget(new QLabel(QStringLiteral("（ない場合には空白のまま）")));
  box->addWidget(doc_group);

  box->addLayout(shell::DialogButtonRow(this, true, [this] { OkBitBtnClick(); }));
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  for (TexRadioGroup* g : {YoshiRadioGroup, YoshiMukiRadioGroup, MojiHokoRadioGroup,
                           MojiSizeRadioGroup, DangumiRadioGroup, StyleRadioGroup})
    g->SetItemIndex(0);
  AllPageRadioButton->setChecked(true);
  SetEnabled();
}

void TTeXForm::SetEnabled() {
  DankanEdit->setEnabled(DangumiRadioGroup->ItemIndex() == 1);
  PageCountEdit->setEnabled(NowPageRadioButton->isChecked());
}

void TTeXForm::FormActivate() {
  YoshiRadioGroup->SetItemIndex(s_.Yoshi);
  YoshiMukiRadioGroup->SetItemIndex(s_.YoshiMuki);
  MojiHokoRadioGroup->SetItemIndex(s_.MojiHoko);
  MojiSizeRadioGroup->SetItemIndex(s_.MojiSize);
  DangumiRadioGroup->SetItemIndex(s_.Dangumi);
  StyleRadioGroup->SetItemIndex(s_.Style);
  GyokanEdit->setText(Number(s_.Gyokan));
  DankanEdit->setText(Number(s_.Dankan));
  PageKanEdit->setText(Number(s_.Pagekan));
  LeftMarginEdit->setText(Number(s_.LeftMargin));
  RightMarginEdit->setText(Number(s_.RightMargin));
  TopMarginEdit->setText(Number(s_.TopMargin));
  BottomMarginEdit->setText(Number(s_.BottomMargin));
  ParIndentEdit->setText(Number(s_.ParIndent));
  QStringList lines;
  for (const std::string& l : s_.InputFileName) lines << cp932::Decode(l);
  InputFileNameMemo->setPlainText(lines.join(QLatin1Char('\n')));
  TeXFileNameEdit->setText(cp932::Decode(s_.TeXFileName));
  DocumentTitleEdit->setText(cp932::Decode(s_.DocumentTitle));
  TitleCheckBox->setChecked(s_.TitleTitle);
  ChoshaCheckBox->setChecked(s_.TitleChosha);
  DateCheckBox->setChecked(s_.TitleDate);
  UserNameCheckBox->setChecked(s_.TitleUserName);
  (s_.AllPage ? AllPageRadioButton : NowPageRadioButton)->setChecked(true);
  PageCountEdit->setText(QString::number(s_.PageCount));
  CommaHenkanCheckBox->setChecked(s_.CommaHenkan);
  NumHenkanCheckBox->setChecked(s_.NumHenkan);
  KaigyoHenkanCheckBox->setChecked(s_.KaigyoHenkan);
  SetEnabled();
}

void TTeXForm::OkBitBtnClick() {
  const TexSettings d;  // the defaults
  s_.Yoshi = std::max(0, YoshiRadioGroup->ItemIndex());
  s_.YoshiMuki = std::max(0, YoshiMukiRadioGroup->ItemIndex());
  s_.MojiHoko = std::max(0, MojiHokoRadioGroup->ItemIndex());
  s_.MojiSize = std::max(0, MojiSizeRadioGroup->ItemIndex());
  s_.Dangumi = std::max(0, DangumiRadioGroup->ItemIndex());
  s_.Style = std::max(0, StyleRadioGroup->ItemIndex());
  s_.Gyokan = NumberOr(GyokanEdit, d.Gyokan);
  s_.Dankan = NumberOr(DankanEdit, d.Dankan);
  s_.Pagekan = NumberOr(PageKanEdit, d.Pagekan);
  s_.LeftMargin = NumberOr(LeftMarginEdit, d.LeftMargin);
  s_.RightMargin = NumberOr(RightMarginEdit, d.RightMargin);
  s_.TopMargin = NumberOr(TopMarginEdit, d.TopMargin);
  s_.BottomMargin = NumberOr(BottomMarginEdit, d.BottomMargin);
  s_.ParIndent = NumberOr(ParIndentEdit, d.ParIndent);
  s_.InputFileName.clear();
  QStringList lines = InputFileNameMemo->toPlainText().split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  for (const QString& l : lines) s_.InputFileName.push_back(cp932::EncodeReplacing(l));
  // Only the name itself decides whether an extension is missing: a dot in a folder does not.
  QString file = TeXFileNameEdit->text();
  const QString name = file.mid(file.lastIndexOf(QLatin1Char('/')) + 1);
  if (!name.isEmpty() && !name.contains(QLatin1Char('.'))) file += QStringLiteral(".tex");
  s_.TeXFileName = cp932::EncodeReplacing(file);
  // Blanks as the rest of the program trims them: half-width only.
  s_.DocumentTitle =
      std::string(sjis::TrimBlanks(cp932::EncodeReplacing(DocumentTitleEdit->text())));
  s_.TitleTitle = TitleCheckBox->isChecked();
  s_.TitleChosha = ChoshaCheckBox->isChecked();
  s_.TitleDate = DateCheckBox->isChecked();
  s_.TitleUserName = UserNameCheckBox->isChecked();
  s_.AllPage = AllPageRadioButton->isChecked();
  if (!ParseInt(PageCountEdit->text(), &s_.PageCount)) s_.PageCount = d.PageCount;
  s_.CommaHenkan = CommaHenkanCheckBox->isChecked();
  s_.NumHenkan = NumHenkanCheckBox->isChecked();
  s_.KaigyoHenkan = KaigyoHenkanCheckBox->isChecked();
  accept();
}

void TTeXForm::SpeedButton1Click() {
  ChooseSaveFileInto(prompter_, QStringLiteral("出力するTEXファイル名"),
                     QStringLiteral("TEXﾌｧｲﾙ(*.TEX)|*.TEX"), QStringLiteral("TEX"), StartDir,
                     TeXFileNameEdit);
}

void TTeXForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormActivate();
  if (QScreen* sc = screen()) move(sc->availableGeometry().center() - rect().center());
}

}  // namespace sk::exchange
