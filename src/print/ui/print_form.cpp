#include "print/ui/print_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "convert/cp932.h"
#include "editor/text_positions.h"
#include "editor/ui/text_area.h"
#include "settings/settings_store.h"
#include "shell/prompter.h"

namespace sk::print {

namespace {

constexpr int kMaxTitleHistory = 20;

QLineEdit* NumberBox(const char* name) {
  auto* e = new QLineEdit;
  e->setObjectName(QString::fromLatin1(name));
  e->setAttribute(Qt::WA_InputMethodEnabled, false);
  e->setFixedWidth(56);
  return e;
}

QLabel* Label(const char* name, const QString& text) {
  auto* l = new QLabel(text);
  if (name) l->setObjectName(QString::fromLatin1(name));
  return l;
}

template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QFont QFontOf(const PrintFontSetting& f) {
  QFont font(cp932::Decode(f.name));
  const int size = int(f.size);  // shown toward zero
  if (size > 0) font.setPointSize(size);
  const editor::FontStyle st = editor::FontStyleFromBits(f.style);
  font.setBold(st.bold);
  font.setItalic(st.italic);
  font.setUnderline(st.underline);
  font.setStrikeOut(st.strike_out);
  return font;
}

QString Text(const std::string& cp932_text) { return cp932::Decode(cp932_text); }
std::string Bytes(const QString& text) { return cp932::EncodeReplacing(text); }

}  // namespace

// ---- RadioGroup ----

RadioGroup::RadioGroup(const char* name, const QString& caption, const QStringList& items)
    : QGroupBox(caption), group_(new QButtonGroup(this)) {
  setObjectName(QString::fromLatin1(name));
  auto* box = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i]);
    b->setObjectName(QString::fromLatin1(name) + QString::number(i));
    group_->addButton(b, i);
    buttons_.push_back(b);
    box->addWidget(b);
  }
}

int RadioGroup::ItemIndex() const { return group_->checkedId(); }

void RadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < int(buttons_.size())) {
    buttons_[size_t(index)]->setChecked(true);
  } else if (QAbstractButton* b = group_->checkedButton()) {
    group_->setExclusive(false);
    b->setChecked(false);
    group_->setExclusive(true);
  }
}

void RadioGroup::SetItems(const QStringList& items) {
  for (size_t i = 0; i < buttons_.size() && int(i) < items.size(); ++i)
    buttons_[i]->setText(items[int(i)]);
}

void ShowPrintFont(const PrintFontSetting& font, QLabel* panel) {
  panel->setFont(QFontOf(font));
  QPalette pal = panel->palette();
  pal.setColor(QPalette::WindowText, editor::ColorFromBgr(uint32_t(font.color)));
  panel->setPalette(pal);
}

// ---- TPrintForm ----

TPrintForm::TPrintForm(shell::Prompter& prompter, settings::SettingsStore& reg,
                       std::function<void()> show_preview, QWidget* parent)
    : QDialog(parent), prompter_(prompter), reg_(reg), show_preview_(std::move(show_preview)) {
  setObjectName(QStringLiteral("PrintForm"));
  setWindowTitle(QStringLiteral("印刷書式設定"));
  setModal(true);
  auto* box = new QVBoxLayout(this);

  // Left column: paper, direction, binding, columns, margins and spacing.
  auto* paper_group = new QGroupBox(QStringLiteral("用紙"));
  auto* paper_row = new QHBoxLayout(paper_group);
  YoshiComboBox = Named(new QComboBox, "YoshiComboBox");
  YoshiComboBox->addItems({QStringLiteral("A4縦"), QStringLiteral("A4横"), QStringLiteral("A5縦"),
                           QStringLiteral("A5横"), QStringLiteral("B4縦"), QStringLiteral("B4横"),
                           QStringLiteral("B5縦"), QStringLiteral("B5横")});
  paper_row->addWidget(YoshiComboBox);
  MojiHokoRadioGroup = new RadioGroup("MojiHokoRadioGroup", QStringLiteral("文字方向"),
                                      {QStringLiteral("横書き"), QStringLiteral("縦書き")});
  FukuroRadioGroup = new RadioGroup("FukuroRadioGroup", QStringLiteral("袋とじ"),
                                    {QStringLiteral("しない"), QStringLiteral("する")});
  DangumiRadioGroup = new RadioGroup("DangumiRadioGroup", QStringLiteral("段組"),
                                     {QStringLiteral("１段組"), QStringLiteral("２段組")});

  auto* space_group = new QGroupBox(QStringLiteral("余白と間隔"));
  auto* grid = new QGridLayout(space_group);
  LeftMarginEdit = NumberBox("LeftMarginEdit");
  RightMarginEdit = NumberBox("RightMarginEdit");
  TopMarginEdit = NumberBox("TopMarginEdit");
  BottomMarginEdit = NumberBox("BottomMarginEdit");
  FukuroWidthEdit = NumberBox("FukuroWidthEdit");
  DankanEdit = NumberBox("DankanEdit");
  GyokanEdit = NumberBox("GyokanEdit");
  PageKanEdit = NumberBox("PageKanEdit");
  ParIndentEdit = NumberBox("ParIndentEdit");
  FukuroWidthLabel = Label("FukuroWidthLabel", QStringLiteral("袋とじの中央余白"));
  FukuroWidthMmLabel = Label("FukuroWidthMmLabel", QStringLiteral("mm"));
  DankanLabel = Label("DankanLabel", QStringLiteral("段間隔"));
  DankanMmLabel = Label("DankanMmLabel", QStringLiteral("mm"));
  struct Row {
    QLabel* label;
    QLineEdit* edit;
    QLabel* unit;
  } rows[] = {
      {Label(nullptr, QStringLiteral("左マージン")), LeftMarginEdit, Label(nullptr, "mm")},
      {Label(nullptr, QStringLiteral("右マージン")), RightMarginEdit, Label(nullptr, "mm")},
      {Label(nullptr, QStringLiteral("上マージン")), TopMarginEdit, Label(nullptr, "mm")},
      {Label(nullptr, QStringLiteral("下マージン")), BottomMarginEdit, Label(nullptr, "mm")},
      {FukuroWidthLabel, FukuroWidthEdit, FukuroWidthMmLabel},
      {DankanLabel, DankanEdit, DankanMmLabel},
      {Label(nullptr, QStringLiteral("行間隔")), GyokanEdit, Label(nullptr, "mm")},
      {Label(nullptr, QStringLiteral("ページ間隔")), PageKanEdit, Label(nullptr, "mm")},
      {Label(nullptr, QStringLiteral("段落頭字下げ")), ParIndentEdit,
       Label(nullptr, QStringLiteral("文字(全角)"))},
  };
  int r = 0;
  for (const Row& row : rows) {
    grid->addWidget(row.label, r, 0);
    grid->addWidget(row.edit, r, 1);
    grid->addWidget(row.unit, r, 2);
    ++r;
  }

  auto* left = new QVBoxLayout;
  left->addWidget(paper_group);
  auto* radios = new QHBoxLayout;
  radios->addWidget(MojiHokoRadioGroup);
  radios->addWidget(FukuroRadioGroup);
  radios->addWidget(DangumiRadioGroup);
  left->addLayout(radios);
  left->addWidget(space_group);
  left->addStretch(1);

  // Middle column: fonts, page title items, document title.
  auto* font_group = new QGroupBox(QStringLiteral("フォント"));
  auto* font_grid = new QGridLayout(font_group);
  DocTitleFontButton =
      Named(new QPushButton(QStringLiteral("ドキュメントタイトル")), "DocTitleFontButton");
  PageTitleFontButton =
      Named(new QPushButton(QStringLiteral("ページタイトル")), "PageTitleFontButton");
  TextFontButton = Named(new QPushButton(QStringLiteral("本文")), "TextFontButton");
  DocTitlePanel = Label("DocTitlePanel", QStringLiteral("サンプルABC"));
  PageTitlePanel = Label("PageTitlePanel", QStringLiteral("サンプルABC"));
  TextPanel = Label("TextPanel", QStringLiteral("サンプルABC"));
  r = 0;
  for (auto [button, panel] :
       {std::pair{DocTitleFontButton, DocTitlePanel},
        std::pair{PageTitleFontButton, PageTitlePanel}, std::pair{TextFontButton, TextPanel}}) {
    panel->setMinimumWidth(180);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    font_grid->addWidget(button, r, 0);
    font_grid->addWidget(panel, r, 1);
    ++r;
  }
  connect(DocTitleFontButton, &QPushButton::clicked, this, [this] { DocTitleFontButtonClick(); });
  connect(PageTitleFontButton, &QPushButton::clicked, this, [this] { PageTitleFontButtonClick(); });
  connect(TextFontButton, &QPushButton::clicked, this, [this] { TextFontButtonClick(); });

  auto* title_group = new QGroupBox(QStringLiteral("ページタイトルの項目"));
  auto* title_row = new QHBoxLayout(title_group);
  TitleCheckBox = Named(new QCheckBox, "TitleCheckBox");
  SubTitleCheckBox = Named(new QCheckBox, "SubTitleCheckBox");
  DateCheckBox = Named(new QCheckBox, "DateCheckBox");
  UserNameCheckBox = Named(new QCheckBox(QStringLiteral("ユーザー名")), "UserNameCheckBox");
  for (QCheckBox* c : {TitleCheckBox, SubTitleCheckBox, DateCheckBox, UserNameCheckBox})
    title_row->addWidget(c);

  auto* doc_group = new QGroupBox(QStringLiteral("ドキュメント・タイトル"));
  auto* doc_box = new QVBoxLayout(doc_group);
  DocumentTitleEdit = Named(new QComboBox, "DocumentTitleEdit");
  DocumentTitleEdit->setEditable(true);
  DocumentTitleEdit->setInsertPolicy(QComboBox::NoInsert);
  DocumentTitleEdit->setMinimumWidth(260);
  doc_box->addWidget(DocumentTitleEdit);
  auto* width_row = new QHBoxLayout;
  TitleWidthLabel = Label("TitleWidthLabel", QStringLiteral("タイトル幅"));
  OneColumnRadioButton =
      Named(new QRadioButton(QStringLiteral("１カラム幅")), "OneColumnRadioButton");
  TwoColumnRadioButton =
      Named(new QRadioButton(QStringLiteral("２カラム幅")), "TwoColumnRadioButton");
  width_row->addWidget(TitleWidthLabel);
  width_row->addWidget(OneColumnRadioButton);
  width_row->addWidget(TwoColumnRadioButton);
  width_row->addStretch(1);
  doc_box->addLayout(width_row);

  auto* middle = new QVBoxLayout;
  middle->addWidget(font_group);
  middle->addWidget(title_group);
  middle->addWidget(doc_group);
  middle->addStretch(1);

  // Right column: pictures, conversions, page numbers, pages.
  ImagePosRadioGroup =
      new RadioGroup("ImagePosRadioGroup", QStringLiteral("画像の位置"),
                     {QStringLiteral("なし"), QStringLiteral("左寄せ"), QStringLiteral("右寄せ")});
  auto* image_row = new QGridLayout;
  ImageWidthLabel = Label("ImageWidthLabel", QStringLiteral("画像の横幅"));
  ImageWidthEdit = NumberBox("ImageWidthEdit");
  ImageWidthMmLabel = Label("ImageWidthMmLabel", QStringLiteral("mm"));
  ToLargeCheckBox = Named(new QCheckBox(QStringLiteral("小さい画像\nは拡大")), "ToLargeCheckBox");
  image_row->addWidget(ImageWidthLabel, 0, 0);
  image_row->addWidget(ImageWidthEdit, 0, 1);
  image_row->addWidget(ImageWidthMmLabel, 0, 2);
  image_row->addWidget(ToLargeCheckBox, 1, 0, 1, 3);
  qobject_cast<QVBoxLayout*>(ImagePosRadioGroup->layout())->addLayout(image_row);

  auto* henkan_group = new QGroupBox(QStringLiteral("縦書きの変換"));
  auto* henkan_box = new QVBoxLayout(henkan_group);
  CommaHenkanCheckBox =
      Named(new QCheckBox(QStringLiteral("「，」→「、」")), "CommaHenkanCheckBox");
  NumHenkanCheckBox = Named(new QCheckBox(QStringLiteral("全角数字→漢数字")), "NumHenkanCheckBox");
  henkan_box->addWidget(CommaHenkanCheckBox);
  henkan_box->addWidget(NumHenkanCheckBox);

  PageNumRadioGroup = new RadioGroup("PageNumRadioGroup", QStringLiteral("ページ番号印刷"),
                                     {QStringLiteral("する"), QStringLiteral("しない")});

  auto* page_group = new QGroupBox(QStringLiteral("印刷するページ"));
  auto* page_grid = new QGridLayout(page_group);
  AllPageRadioButton =
      Named(new QRadioButton(QStringLiteral("選択されている全ページ")), "AllPageRadioButton");
  NowPageRadioButton =
      Named(new QRadioButton(QStringLiteral("現ページ(含む)から")), "NowPageRadioButton");
  PageCountEdit = NumberBox("PageCountEdit");
  page_grid->addWidget(AllPageRadioButton, 0, 0, 1, 3);
  page_grid->addWidget(NowPageRadioButton, 1, 0);
  page_grid->addWidget(PageCountEdit, 1, 1);
  page_grid->addWidget(Label(nullptr, QStringLiteral("ページ")), 1, 2);

  auto* right = new QVBoxLayout;
  right->addWidget(ImagePosRadioGroup);
  right->addWidget(henkan_group);
  right->addWidget(PageNumRadioGroup);
  right->addWidget(page_group);
  right->addStretch(1);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(middle);
  columns->addLayout(right);
  box->addLayout(columns);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  PrintBitBtn = Named(new QPushButton(QStringLiteral("印刷イメージ作成")), "PrintBitBtn");
  PrintBitBtn->setDefault(true);
  EndBitBtn = Named(new QPushButton(QStringLiteral("終了して戻る")), "EndBitBtn");
  HelpBitBtn = Named(new QPushButton(QStringLiteral("ヘルプ")), "HelpBitBtn");
  HelpBitBtn->setEnabled(false);  // the dialogs have no help pages to open
  buttons->addWidget(PrintBitBtn);
  buttons->addWidget(EndBitBtn);
  buttons->addWidget(HelpBitBtn);
  box->addLayout(buttons);
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  connect(PrintBitBtn, &QPushButton::clicked, this, [this] { PrintBitBtnClick(); });
  connect(EndBitBtn, &QPushButton::clicked, this, [this] { EndBitBtnClick(); });
  connect(FukuroRadioGroup->Group(), &QButtonGroup::idClicked, this,
          [this] { FukuroRadioGroupClick(); });
  connect(DangumiRadioGroup->Group(), &QButtonGroup::idClicked, this,
          [this] { DangumiRadioGroupClick(); });
  connect(ImagePosRadioGroup->Group(), &QButtonGroup::idClicked, this,
          [this] { ImagePosRadioGroupClick(); });
  connect(MojiHokoRadioGroup->Group(), &QButtonGroup::idClicked, this,
          [this] { MojiHokoRadioGroupClick(); });
  connect(AllPageRadioButton, &QRadioButton::clicked, this, [this] { AllPageRadioButtonClick(); });
  connect(NowPageRadioButton, &QRadioButton::clicked, this, [this] { NowPageRadioButtonClick(); });

  LoadPrintSettings(reg_, &s_);
  ShowValues();
}

std::array<std::pair<QLineEdit*, std::string*>, 11> TPrintForm::NumberBoxes() {
  return {{{LeftMarginEdit, &s_.LeftMargin},
           {RightMarginEdit, &s_.RightMargin},
           {TopMarginEdit, &s_.TopMargin},
           {BottomMarginEdit, &s_.BottomMargin},
           {FukuroWidthEdit, &s_.FukuroWidth},
           {DankanEdit, &s_.Dankan},
           {GyokanEdit, &s_.Gyokan},
           {PageKanEdit, &s_.Pagekan},
           {ParIndentEdit, &s_.ParIndent},
           {ImageWidthEdit, &s_.ImageWidth},
           {PageCountEdit, &s_.PageCount}}};
}

void TPrintForm::ShowValues() {
  YoshiComboBox->setCurrentIndex(s_.Yoshi >= 0 && s_.Yoshi < 8 ? s_.Yoshi : -1);
  MojiHokoRadioGroup->SetItemIndex(s_.MojiHoko);
  FukuroRadioGroup->SetItemIndex(s_.Fukuro);
  DangumiRadioGroup->SetItemIndex(s_.Dangumi);
  for (auto [edit, text] : NumberBoxes())
    edit->setText(Text(*text));
  ImagePosRadioGroup->SetItemIndex(s_.ImagePos);
  ToLargeCheckBox->setChecked(s_.ToLarge);
  CommaHenkanCheckBox->setChecked(s_.CommaHenkan);
  NumHenkanCheckBox->setChecked(s_.NumHenkan);
  PageNumRadioGroup->SetItemIndex(s_.PageNum);
  AllPageRadioButton->setChecked(s_.AllPage);
  NowPageRadioButton->setChecked(!s_.AllPage);
  TitleCheckBox->setChecked(s_.TitleTitle);
  SubTitleCheckBox->setChecked(s_.TitleSubTitle);
  DateCheckBox->setChecked(s_.TitleDate);
  UserNameCheckBox->setChecked(s_.TitleUserName);
  (s_.DocTitleOneColumn ? OneColumnRadioButton : TwoColumnRadioButton)->setChecked(true);
  ShowHistory();
}

void TPrintForm::ShowHistory() {
  const QString text = DocumentTitleEdit->currentText();
  DocumentTitleEdit->clear();
  for (const std::string& t : s_.DocTitleHistory) DocumentTitleEdit->addItem(Text(t));
  DocumentTitleEdit->setEditText(text);
}

void TPrintForm::TakeValues() {
  s_.Yoshi = YoshiComboBox->currentIndex();
  s_.MojiHoko = MojiHokoRadioGroup->ItemIndex();
  s_.Fukuro = FukuroRadioGroup->ItemIndex();
  s_.Dangumi = DangumiRadioGroup->ItemIndex();
  for (auto [edit, text] : NumberBoxes())
    *text = Bytes(edit->text());
  s_.ImagePos = ImagePosRadioGroup->ItemIndex();
  s_.ToLarge = ToLargeCheckBox->isChecked();
  s_.CommaHenkan = CommaHenkanCheckBox->isChecked();
  s_.NumHenkan = NumHenkanCheckBox->isChecked();
  s_.PageNum = PageNumRadioGroup->ItemIndex();
  s_.AllPage = AllPageRadioButton->isChecked();
  s_.TitleTitle = TitleCheckBox->isChecked();
  s_.TitleSubTitle = SubTitleCheckBox->isChecked();
  s_.TitleDate = DateCheckBox->isChecked();
  s_.TitleUserName = UserNameCheckBox->isChecked();
  s_.DocTitleOneColumn = OneColumnRadioButton->isChecked();
  s_.DocTitle = Bytes(DocumentTitleEdit->currentText());
}

PrintSettings TPrintForm::Values() {
  TakeValues();
  return s_;
}

void TPrintForm::FormActivate() {
  TitleCheckBox->setText(FieldCaptions.value(1));
  SubTitleCheckBox->setText(FieldCaptions.value(2));
  DateCheckBox->setText(FieldCaptions.value(3));
  ShowPrintFont(s_.DocTitleFont, DocTitlePanel);
  ShowPrintFont(s_.PageTitleFont, PageTitlePanel);
  ShowPrintFont(s_.TextFont, TextPanel);
  NowPageRadioButton->setChecked(!AllPageRadioButton->isChecked());
  if (!s_.DocTitleHistory.empty()) DocumentTitleEdit->setEditText(Text(s_.DocTitleHistory[0]));
  FukuroRadioGroupClick();
  DangumiRadioGroupClick();
  ImagePosRadioGroupClick();
  MojiHokoRadioGroupClick();
  AllPageRadioButtonClick();
  PrintBitBtn->setFocus();
}

void TPrintForm::FukuroRadioGroupClick() {
  const bool on = FukuroRadioGroup->ItemIndex() == 1;
  FukuroWidthEdit->setEnabled(on);
  FukuroWidthLabel->setEnabled(on);
  FukuroWidthMmLabel->setEnabled(on);
}

void TPrintForm::DangumiRadioGroupClick() {
  const bool two = DangumiRadioGroup->ItemIndex() == 1;
  for (QWidget* w :
       std::initializer_list<QWidget*>{DankanEdit, DankanLabel, DankanMmLabel, TitleWidthLabel,
                                       OneColumnRadioButton, TwoColumnRadioButton})
    w->setEnabled(two);
}

void TPrintForm::ImagePosRadioGroupClick() {
  const bool images = ImagePosRadioGroup->ItemIndex() != 0;
  ImageWidthEdit->setEnabled(images);
  ImageWidthLabel->setEnabled(images);
  ImageWidthMmLabel->setEnabled(images);
}

void TPrintForm::MojiHokoRadioGroupClick() {
  const bool vertical = MojiHokoRadioGroup->ItemIndex() == 1;
  CommaHenkanCheckBox->setEnabled(vertical);
  NumHenkanCheckBox->setEnabled(vertical);
  if (vertical) {
    ImagePosRadioGroup->SetItems(
        {QStringLiteral("なし"), QStringLiteral("上寄せ"), QStringLiteral("下寄せ")});
    ImageWidthLabel->setText(QStringLiteral("画像の高さ"));
  } else {
    ImagePosRadioGroup->SetItems(
        {QStringLiteral("なし"), QStringLiteral("左寄せ"), QStringLiteral("右寄せ")});
    ImageWidthLabel->setText(QStringLiteral("画像の横幅"));
  }
}

void TPrintForm::AllPageRadioButtonClick() {
  PageCountEdit->setEnabled(NowPageRadioButton->isChecked());
}

void TPrintForm::ChooseFont(PrintFontSetting* font, QLabel* panel) {
  QFont f = QFontOf(*font);
  QColor color = editor::ColorFromBgr(uint32_t(font->color));
  if (!prompter_.ChooseFont(&f, &color)) return;
  font->name = Bytes(f.family());
  font->color = int(editor::BgrFromRgb(color.red(), color.green(), color.blue()));
  font->style = editor::BitsFromFontStyle({f.bold(), f.italic(), f.underline(), f.strikeOut()});
  const double size = f.pointSizeF();
  // Whole points, except that 10 stands for the 10.6 points the body text prints best at.
  if (size > 0) font->size = size == 10 ? 10.6 : std::trunc(size);
  ShowPrintFont(*font, panel);
}

void TPrintForm::PrintBitBtnClick() {
  const QString title = DocumentTitleEdit->currentText().trimmed();
  if (!title.isEmpty()) {
    std::vector<std::string>& h = s_.DocTitleHistory;
    const std::string bytes = Bytes(title);
    const auto it = std::find(h.begin(), h.end(), bytes);
    if (it != h.end()) h.erase(it);
    h.insert(h.begin(), bytes);
    if (int(h.size()) > kMaxTitleHistory) h.resize(kMaxTitleHistory);
    ShowHistory();
  }
  DocumentTitleEdit->setEditText(title);
  if (show_preview_) show_preview_();
}

void TPrintForm::done(int r) {
  TakeValues();
  SavePrintSettings(reg_, s_);
  QDialog::done(r);
}

void TPrintForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormActivate();
  if (QScreen* sc = screen()) move(sc->availableGeometry().center() - rect().center());
}

}  // namespace sk::print
