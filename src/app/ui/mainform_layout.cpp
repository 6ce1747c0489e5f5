// The regions of the main window, their sizes, fonts and the text/image arrangement.
#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/shell_logic.h"
#include "app/ui/mainform.h"
#include "editor/ui/field_edit.h"
#include "editor/ui/text_area.h"
#include "images/ui/image_side.h"

namespace sk::app {

namespace {

QColor FromBgr(int bgr) { return editor::ColorFromBgr(uint32_t(bgr)); }

void Paint(QWidget* w, int bgr) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, FromBgr(bgr));
  p.setColor(QPalette::Base, FromBgr(bgr));
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QFont MakeFont(const QString& family, int pixel_height, int style) {
  QFont f(family);
  f.setPixelSize(std::max(1, -pixel_height));
  const editor::FontStyle s = editor::FontStyleFromBits(style);
  f.setBold(s.bold);
  f.setItalic(s.italic);
  f.setUnderline(s.underline);
  f.setStrikeOut(s.strike_out);
  return f;
}

// A captioned header field: a small caption strip above its control.
QWidget* FieldPanel(const char* name, QLabel** label, QWidget* control) {
  auto* panel = new QWidget;
  panel->setObjectName(QString::fromLatin1(name));
  auto* box = new QVBoxLayout(panel);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  *label = new QLabel;
  (*label)->setIndent(2);
  box->addWidget(*label);
  box->addWidget(control);
  box->addStretch(0);
  return panel;
}

}  // namespace

void TSDIAppForm::BuildRegions() {
  SpeedPanel = new QToolBar(QStringLiteral("SpeedPanel"), this);
  SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
  SpeedPanel->setMovable(false);
  SpeedPanel->setFloatable(false);
  SpeedPanel->setFixedHeight(25);
  SpeedPanel->setIconSize(QSize(16, 16));
  SpeedPanel->setContextMenuPolicy(Qt::PreventContextMenu);

  auto* central = new QWidget(this);
  auto* vbox = new QVBoxLayout(central);
  vbox->setContentsMargins(0, 0, 0, 0);
  vbox->setSpacing(0);

  // Toolbar row: the buttons, and the page number at the right end outside the toolbar, so that
  // buttons that do not fit go to the toolbar's overflow menu while the page number stays in view.
  auto* toolbar_row = new QHBoxLayout;
  toolbar_row->setContentsMargins(0, 0, 4, 0);
  toolbar_row->setSpacing(2);
  toolbar_row->addWidget(SpeedPanel, 1);
  RecNoLabel = new QLabel(QStringLiteral("0 "));
  RecNoLabel->setObjectName(QStringLiteral("RecNoLabel"));
  RecNoLabel->setStatusTip(QStringLiteral("ページ番号"));
  RecNoLabel->setToolTip(QStringLiteral("ページ番号"));
  toolbar_row->addWidget(RecNoLabel, 0);
  vbox->addLayout(toolbar_row, 0);

  // Header row.
  Panel1 = new QSplitter(Qt::Horizontal);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setOpaqueResize(true);
  Panel1->setChildrenCollapsible(false);
  Panel1->setHandleWidth(3);
  BunruiComboBox = new QComboBox;
  BunruiComboBox->setObjectName(QStringLiteral("BunruiComboBox"));
  BunruiComboBox->setEditable(false);
  TitleEdit = new editor::FieldEdit;
  TitleEdit->setObjectName(QStringLiteral("TitleEdit"));
  ChoshaEdit = new editor::FieldEdit;
  ChoshaEdit->setObjectName(QStringLiteral("ChoshaEdit"));
  Panel9 = new QWidget;
  auto* dbox = new QHBoxLayout(Panel9);
  dbox->setContentsMargins(0, 0, 0, 0);
  dbox->setSpacing(0);
  DateEdit = new QLineEdit;
  DateEdit->setObjectName(QStringLiteral("DateEdit"));
  DateEdit->setReadOnly(true);
  DateTimePicker = new QToolButton;
  DateTimePicker->setObjectName(QStringLiteral("DateTimePicker"));
  DateTimePicker->setArrowType(Qt::DownArrow);
  dbox->addWidget(DateEdit, 1);
  dbox->addWidget(DateTimePicker, 0);
  ImageFileNameEdit = new QLineEdit;
  ImageFileNameEdit->setObjectName(QStringLiteral("ImageFileNameEdit"));
  ImageFileNameEdit->setReadOnly(true);
  BunruiPanel = FieldPanel("BunruiPanel", &Labels[0], BunruiComboBox);
  TitlePanel = FieldPanel("TitlePanel", &Labels[1], TitleEdit);
  ChoshaPanel = FieldPanel("ChoshaPanel", &Labels[2], ChoshaEdit);
  DatePanel = FieldPanel("DatePanel", &Labels[3], Panel9);
  ImagePanel = FieldPanel("ImagePanel", &Labels[4], ImageFileNameEdit);
  for (int i = 0; i < 5; ++i) {
    Labels[size_t(i)]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    // A caption longer than its field is cut rather than widening the field.
    Labels[size_t(i)]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  }
  for (QWidget* w : {BunruiPanel, TitlePanel, ChoshaPanel, DatePanel, ImagePanel})
    Panel1->addWidget(w);
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(BunruiComboBox->model(), signal, this, [this] { FitHeaderWidths(); });
  connect(BunruiComboBox->model(), &QAbstractItemModel::modelReset, this,
          [this] { FitHeaderWidths(); });
  for (int i = 0; i < 4; ++i) Panel1->setStretchFactor(i, 0);
  Panel1->setStretchFactor(4, 1);
  connect(Panel1, &QSplitter::splitterMoved, this, [this] { Panel1->refresh(); });
  vbox->addWidget(Panel1, 0);

  // Text side.
  Panel2 = new QWidget;
  Panel2->setObjectName(QStringLiteral("Panel2"));
  auto* grid = new QGridLayout(Panel2);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  Panel5 = new QWidget;
  Panel5->setObjectName(QStringLiteral("Panel5"));
  Panel4 = new QWidget;
  Panel4->setObjectName(QStringLiteral("Panel4"));
  TextMemo = new editor::TextArea;
  TextMemo->setObjectName(QStringLiteral("TextMemo"));
  TextMemo->setFrameShape(QFrame::NoFrame);
  grid->addWidget(Panel5, 0, 0, 1, 2);
  grid->addWidget(Panel4, 1, 0);
  grid->addWidget(TextMemo, 1, 1);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(1, 1);

  // Image side.
  Panel3 = new QWidget;
  Panel3->setObjectName(QStringLiteral("Panel3"));
  auto* ibox = new QBoxLayout(QBoxLayout::TopToBottom, Panel3);
  ibox->setContentsMargins(0, 0, 0, 0);
  ibox->setSpacing(0);
  Image1Panel = new QScrollArea;
  Image1Panel->setObjectName(QStringLiteral("Image1Panel"));
  Image2Panel = new QScrollArea;
  Image2Panel->setObjectName(QStringLiteral("Image2Panel"));
  Image1Panel->setStatusTip(QStringLiteral("第１画像領域"));
  Image1Panel->setToolTip(QStringLiteral("第１画像領域"));
  Image2Panel->setStatusTip(QStringLiteral("第２画像領域"));
  Image2Panel->setToolTip(QStringLiteral("第２画像領域"));
  for (QScrollArea* a : {Image1Panel, Image2Panel}) {
    a->setFrameShape(QFrame::NoFrame);
    a->setAlignment(Qt::AlignCenter);
    a->setContextMenuPolicy(Qt::CustomContextMenu);
    ibox->addWidget(a, 1);
  }

  Split = new QSplitter(Qt::Horizontal);
  Split->setObjectName(QStringLiteral("Split"));
  Split->setChildrenCollapsible(false);
  Split->setHandleWidth(3);
  Split->addWidget(Panel2);
  Split->addWidget(Panel3);
  connect(Split, &QSplitter::splitterMoved, this, [this] { SplitMoved(); });
  vbox->addWidget(Split, 1);
  setCentralWidget(central);

  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setSizeGripEnabled(true);
  const int widths[4] = {50, 45, 55, 50};
  for (int i = 0; i < 4; ++i) {
    auto* l = new QLabel;
    l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    l->setMinimumWidth(widths[i]);
    if (i < 3) l->setFixedWidth(widths[i]);
    StatusPanels[size_t(i)] = l;
    StatusBar->addWidget(l, i == 3 ? 1 : 0);
  }
  setStatusBar(StatusBar);

  setMinimumSize(445, 200);
}

void TSDIAppForm::ApplyTextFont() {
  TextMemo->setFont(MakeFont(Q(Conf.FontName), TextFontHeight(Conf.TextFontSizeB, logicalDpiY()),
                             Conf.FontStyle));
  QPalette p = TextMemo->palette();
  p.setColor(QPalette::Text, FromBgr(Conf.FontColor));
  TextMemo->setPalette(p);
}

void TSDIAppForm::ApplySettings() {
  Reg.OpenKey(settings::kRootKey, true);
  ApplyTextFont();
  TextMemo->SetBackColor(uint32_t(Conf.TextBackColor));
  for (QWidget* w : {Panel2, Panel4, Panel5}) Paint(w, Conf.TextBackColor);
  for (QScrollArea* a : {Image1Panel, Image2Panel}) Paint(a, Conf.ImageBackColor);
  Paint(Panel3, Conf.ImageBackColor);
  SetCaptionIzonKomoku();
  session_.SetLastAccessed(Q(Conf.LastAccessedDBFileName));
  Panel5->setFixedHeight(std::max(0, Conf.TopMargin));
  Panel4->setFixedWidth(std::max(0, Conf.LeftMargin));
  SetModeChecks();
  ApplyMiddleSkipCaptions();
  TextMemo->SetHiraganaMode(Conf.OpenIME);
  Reg.CloseKey();
}

void TSDIAppForm::SetSmallWindowFont() {
  QFont f =
      MakeFont(Q(Conf.SmallWindowFontName),
               SmallFontHeight(Conf.SmallWindowFontSize, logicalDpiY()), Conf.SmallWindowFontStyle);
  for (QWidget* w : std::initializer_list<QWidget*>{BunruiComboBox, TitleEdit, ChoshaEdit, DateEdit,
                                                    ImageFileNameEdit}) {
    w->setFont(f);
    QPalette p = w->palette();
    p.setColor(QPalette::Text, FromBgr(Conf.SmallWindowFontColor));
    p.setColor(QPalette::ButtonText, FromBgr(Conf.SmallWindowFontColor));
    w->setPalette(p);
  }
  FitHeaderWidths();
}

// The category box is at least as wide as its widest category and the date box as the widest
// date, in the font they show; the stored widths apply above that.
void TSDIAppForm::FitHeaderWidths() {
  QFontMetrics fm(DateEdit->font());
  // A line edit's own size hint is 17 "x" and its frame and margins: the text takes the x's place.
  int chrome = DateEdit->sizeHint().width() - 17 * fm.horizontalAdvance(QLatin1Char('x'));
  DateEdit->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("0000/00/00(水)")) + chrome + 2);

  QFontMetrics cfm(BunruiComboBox->font());
  int widest = 0;
  for (int i = 0; i < BunruiComboBox->count(); ++i)
    widest = std::max(widest, cfm.horizontalAdvance(BunruiComboBox->itemText(i)));
  QStyleOptionComboBox opt;
  opt.initFrom(BunruiComboBox);
  opt.editable = false;
  QSize need = BunruiComboBox->style()->sizeFromContents(
      QStyle::CT_ComboBox, &opt, QSize(widest + 2, cfm.height()), BunruiComboBox);
  BunruiComboBox->setMinimumWidth(need.width());
}

void TSDIAppForm::SetSmallCaptionPanel() {
  int font_height = SmallFontHeight(Conf.SmallWindowFontSize, logicalDpiY());
  int h = HeaderControlHeight(font_height);
  int c = Conf.SmallCaptionDisp ? 14 : 0;
  Panel1->setFixedHeight(h + c);
  for (QLabel* l : Labels) {
    l->setFixedHeight(c);
    l->setVisible(c > 0);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{BunruiComboBox, TitleEdit, ChoshaEdit, Panel9,
                                                    ImageFileNameEdit, DateEdit, DateTimePicker})
    w->setFixedHeight(h);
}

void TSDIAppForm::SetImageCursor(int kind, const QCursor& cursor) {
  if (kind != 2) Image1Panel->setCursor(cursor);
  if (kind != 1) Image2Panel->setCursor(cursor);
}

void TSDIAppForm::ShowHint(const QString& hint) { StatusPanels[3]->setText(hint); }

void TSDIAppForm::SetStatusText(int panel, const QString& text) {
  if (panel >= 0 && size_t(panel) < StatusPanels.size()) StatusPanels[size_t(panel)]->setText(text);
}

void TSDIAppForm::MakeImageArea(bool hide_check, bool layout, bool split) {
  auto hide_images = [this] { Panel3->hide(); };
  if (hide_check && Conf.HideImageArea && Images->NoImageNames()) {
    hide_images();
    return;
  }
  if (layout) {
    int loc = Conf.TextImageLocation;
    if (loc < 0 || loc > 3) {
      hide_images();
    } else {
      Split->setOrientation(loc <= 1 ? Qt::Horizontal : Qt::Vertical);
      bool images_first = (loc == 1 || loc == 3);
      Split->insertWidget(0, images_first ? Panel3 : Panel2);
      Split->insertWidget(1, images_first ? Panel2 : Panel3);
      Panel3->show();
      int total = loc <= 1 ? Split->width() : Split->height();
      int first = std::clamp(Conf.TextImageWH, 40, std::max(40, total - 40));
      Split->setSizes({first, std::max(40, total - first - Split->handleWidth())});
    }
  }
  if (split) {
    auto* box = static_cast<QBoxLayout*>(Panel3->layout());
    switch (Conf.ImageForm) {
      case 1:
        box->setDirection(QBoxLayout::TopToBottom);
        Image2Panel->show();
        break;
      case 2:
        box->setDirection(QBoxLayout::LeftToRight);
        Image2Panel->show();
        break;
      default:
        Image2Panel->hide();
        break;
    }
  }
}

void TSDIAppForm::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  FormResize();
}

void TSDIAppForm::FormResize() {
  // The minimum size (445 x 200) is kept by the window itself.
  SplitMoved();
}

void TSDIAppForm::SplitMoved() {
  if (!FileIsOpen() || Panel3->isHidden()) return;
  if (!Images->NoImageNames() || !Conf.HideImageArea) {
    QList<int> sizes = Split->sizes();
    int loc = Conf.TextImageLocation;
    if (loc >= 0 && loc <= 3 && sizes.size() == 2)
      Conf.TextImageWH = std::max(40, sizes[0]);
    else if (loc < 0 || loc > 3)
      Conf.TextImageWH = 0;
  }
  Images->RedrawSoon();
}

}  // namespace sk::app
