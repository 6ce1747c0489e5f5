#include "print/ui/print_preview_form.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QVBoxLayout>

#include "exchange/export_run.h"
#include "print/preview_plan.h"
#include "print/print_geometry.h"
#include "print/ui/print_render.h"
#include "settings/settings_store.h"
#include "shell/busy_progress.h"
#include "shell/prompter.h"

namespace sk::print {

namespace {

constexpr std::string_view kPrintKey = "\\Software\\sorakumo\\Print";
constexpr int kScrollStep = 120;

int MmToPixels(double mm, double dpi) { return int(mm * dpi / 25.4); }

}  // namespace

double TPrintPreviewForm::Zoom = 1.0;

PreviewCanvas::PreviewCanvas(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("PreviewCanvas"));
  horizontalScrollBar()->setSingleStep(kScrollStep);
  verticalScrollBar()->setSingleStep(kScrollStep);
  horizontalScrollBar()->setPageStep(kScrollStep);
  verticalScrollBar()->setPageStep(kScrollStep);
  setFocusPolicy(Qt::StrongFocus);
}

double PreviewCanvas::Dpi() const { return viewport()->logicalDpiX(); }

void PreviewCanvas::SetPaper(int width, int height) {
  paper_ = QSize(width, height);
  horizontalScrollBar()->setRange(0, width + 40);
  verticalScrollBar()->setRange(0, height + 40);
  viewport()->update();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const double dpi = Dpi();
  const int corner = MmToPixels(5, dpi);
  const int surface = MmToPixels(364, dpi);
  p.fillRect(viewport()->rect(), palette().color(QPalette::Window));
  p.translate(corner - horizontalScrollBar()->value(), corner - verticalScrollBar()->value());
  p.fillRect(QRect(0, 0, surface, surface), palette().color(QPalette::Window));
  p.fillRect(QRect(QPoint(0, 0), paper_), Qt::white);
  if (draw_sheet) draw_sheet(p);
}

TPrintPreviewForm::TPrintPreviewForm(shell::Prompter& prompter, settings::SettingsStore& reg,
                                     const PrintRun& run, const PrintSettings& settings,
                                     const QString& page_file_name, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      reg_(reg),
      run_(run),
      settings_(settings),
      page_file_name_(page_file_name) {
  setObjectName(QStringLiteral("PrintPreviewForm"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  MainMenu = new QMenuBar(this);
  layout->setMenuBar(MainMenu);
  Canvas = new PreviewCanvas(this);
  layout->addWidget(Canvas);
  Canvas->installEventFilter(this);
  Canvas->viewport()->installEventFilter(this);

  auto add = [this](QMenu* menu, const QString& text, const char* name, auto slot) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* file = MainMenu->addMenu(QStringLiteral("ファイル(&F)"));
  PrintItem = add(file, QStringLiteral("印刷 (&P)"), "PrintItem", [this] { PrintItemClick(); });
  CloseItem = add(file, QStringLiteral("終了して書式設定に戻る (&X)"), "CloseItem",
                  [this] { reject(); });
  QMenu* page = MainMenu->addMenu(QStringLiteral("ページ(&P)"));
  NextItem = add(page, QStringLiteral("次のページへ(&N)"), "NextItem", [this] { NextPage(); });
  PrevItem = add(page, QStringLiteral("手前のページへ(&P)"), "PrevItem", [this] { PrevPage(); });
  FirstItem = add(page, QStringLiteral("最初のページへ(&F)"), "FirstItem", [this] { FirstPage(); });
  LastItem = add(page, QStringLiteral("最後のページへ(&L)"), "LastItem", [this] { LastPage(); });
  AnyItem = add(page, QStringLiteral("任意のページへ(&A)"), "AnyItem", [this] { AnyPage(); });
  QMenu* zoom = page->addMenu(QStringLiteral("表示倍率(&S)"));
  for (int i = 0; i < 7; ++i) {
    const int percent = int(kZoomSteps[i] * 100 + 0.5);
    const QString text = QStringLiteral("%1%(&%2)").arg(percent).arg(percent == 100 ? 1 : percent / 10);
    const double z = kZoomSteps[i];
    ZoomItems[i] = add(zoom, text, "ZoomItem", [this, z] { SetZoom(z); });
    ZoomItems[i]->setObjectName(QStringLiteral("Zoom%1Item").arg(percent));
  }
  QMenu* help = MainMenu->addMenu(QStringLiteral("ヘルプ(&H)"));
  HelpItem = add(help, QStringLiteral("印刷イメージヘルプ(&H)"), "HelpItem", [] {});

  reg_.OpenKey(kPrintKey, true);
  const int top = reg_.ReadInteger("PrintPreviewTop", 160);
  const int left = reg_.ReadInteger("PrintPreviewLeft", 260);
  const int width = reg_.ReadInteger("PrintPreviewWidth", 600);
  const int height = reg_.ReadInteger("PrintPreviewHeight", 480);
  reg_.CloseKey();
  resize(std::max(width, 200), std::max(height, 150));
  move(left, top);

  Canvas->draw_sheet = [this](QPainter& p) {
    const double dpi = Canvas->Dpi();
    const PaperMm mm = PaperSize(settings_.Yoshi);
    const QSize page(MmToPixels(mm.width, dpi), MmToPixels(mm.height, dpi));
    print::DisplayPage(p, run_, settings_, ShownSheet, DeviceMapping{dpi, 0, 0, Zoom}, page);
  };
  ShownSheet = 0;
  Printing = false;
  DisplayPage();
}

TPrintPreviewForm::~TPrintPreviewForm() = default;

void TPrintPreviewForm::DisplayPage() {
  const PaperOnScreen paper = PaperPixels(settings_, Canvas->Dpi(), Zoom);
  Canvas->SetPaper(paper.width, paper.height);
  DispCaption();
}

void TPrintPreviewForm::DispCaption(int printing) {
  const int a = Printing ? PrintingSheet : ShownSheet;
  QString caption = QStringLiteral("印刷イメージ（%1枚目/%2枚中）　表示倍率：%3%")
                        .arg(a + 1)
                        .arg(SheetCount())
                        .arg(QString::fromStdString(ShortestNumber(Zoom * 100)));
  if (Printing)
    caption += QStringLiteral("　　%1枚目を印刷中。しばらくお待ち下さい。").arg(printing);
  setWindowTitle(caption);
}

void TPrintPreviewForm::NextPage() {
  if (ShownSheet + 1 >= SheetCount()) return;
  ++ShownSheet;
  DisplayPage();
}

void TPrintPreviewForm::PrevPage() {
  if (ShownSheet <= 0) return;
  --ShownSheet;
  DisplayPage();
}

void TPrintPreviewForm::FirstPage() {
  ShownSheet = 0;
  DisplayPage();
}

void TPrintPreviewForm::LastPage() {
  ShownSheet = std::max(SheetCount() - 1, 0);
  DisplayPage();
}

void TPrintPreviewForm::AnyPage() {
  const std::optional<QString> text =
      prompter_.Input(QStringLiteral("任意の用紙へ"),
                      QStringLiteral("用紙番号(1～%1)を指定してください。").arg(SheetCount()), {});
  if (!text) return;
  const std::optional<int> sheet = SheetAsked(text->toStdString(), SheetCount());
  if (!sheet) {
    prompter_.Inform(QStringLiteral("お知らせ"), QStringLiteral("用紙番号を指定してください。"));
    return;
  }
  ShownSheet = *sheet;
  DisplayPage();
}

void TPrintPreviewForm::SetZoom(double zoom) {
  Zoom = zoom;
  DisplayPage();
}

void TPrintPreviewForm::PrintItemClick() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(PaperPageLayout(settings_));
  printer.setDocName(QStringLiteral("SORAKUMO(") + page_file_name_ + QStringLiteral(")"));
  printer.setFromTo(1, SheetCount());
  printer.setPrintRange(QPrinter::AllPages);
  QPrintDialog dialog(&printer, this);
  dialog.setMinMax(1, SheetCount());
  dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCollateCopies |
                    QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  if (!prompter_.RunDialog(dialog)) return;
  int first = 1, last = SheetCount();
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    first = std::clamp(printer.fromPage(), 1, SheetCount());
    last = std::clamp(printer.toPage(), first, SheetCount());
  }
  PrintSheets(printer, first, last, printer.copyCount(), printer.collateCopies());
}

bool TPrintPreviewForm::PrintSheets(QPrinter& printer, int first, int last, int copies,
                                    bool collate) {
  const PrintPass pass = SheetsToPrint(first, last, copies, collate);
  printer.setCopyCount(pass.printer_copies);
  // Printing into a file goes to a file beside it first, renamed when complete, so a cancelled
  // or failed run leaves no half-written file under the name chosen.
  const QString target = printer.outputFileName();
  exchange::AsideFile aside;
  if (!target.isEmpty()) {
    if (Status st = aside.Open(target.toStdString()); !st.ok()) {
      prompter_.Error(QString::fromStdString(st.message()));
      return false;
    }
    printer.setOutputFileName(QString::fromStdString(aside.temp_path()));
  }

  PrintingSheet = ShownSheet;
  const double dpi = printer.resolution();
  const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
  const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
  const DeviceMapping map{dpi, double(page.left() - paper.left()), double(page.top() - paper.top()),
                          1.0};
  QPainter painter;
  if (!painter.begin(&printer)) {
    printer.setOutputFileName(target);
    prompter_.Error(QStringLiteral("プリンタ %1 に印刷を始められませんでした。")
                        .arg(target.isEmpty() ? printer.printerName() : target));
    return false;
  }
  Printing = true;
  bool completed = true;
  {
    shell::BusyProgress busy(this, QStringLiteral("印刷しています"), QStringLiteral("枚"));
    const store::Table::Progress progress = busy.Callback();
    for (size_t i = 0; i < pass.sheets.size(); ++i) {
      if (progress && !progress(uint32_t(i), uint32_t(pass.sheets.size()))) {
        completed = false;
        break;
      }
      const int n = pass.sheets[i];
      DispCaption(n);
      ShownSheet = n - 1;
      if (i > 0) printer.newPage();
      print::DisplayPage(painter, run_, settings_, n - 1, map, page.size());
    }
    if (!completed) printer.abort();
    painter.end();
  }
  Printing = false;
  ShownSheet = PrintingSheet;
  DispCaption();
  Canvas->viewport()->update();
  printer.setOutputFileName(target);
  if (!completed || target.isEmpty()) return completed;
  // A file not committed is removed with `aside`.
  if (Status st = aside.Commit(); !st.ok()) {
    prompter_.Error(QString::fromStdString(st.message()));
    return false;
  }
  return true;
}

bool TPrintPreviewForm::HandleKey(int key) {
  QScrollBar* h = Canvas->horizontalScrollBar();
  QScrollBar* v = Canvas->verticalScrollBar();
  switch (key) {
    case Qt::Key_PageUp: PrevPage(); return true;
    case Qt::Key_PageDown: NextPage(); return true;
    case Qt::Key_Home: h->setValue(0), v->setValue(0); return true;
    case Qt::Key_End: h->setValue(h->maximum()), v->setValue(v->maximum()); return true;
    case Qt::Key_Left: h->setValue(h->value() - kScrollStep); return true;
    case Qt::Key_Right: h->setValue(h->value() + kScrollStep); return true;
    case Qt::Key_Up: v->setValue(v->value() - kScrollStep); return true;
    case Qt::Key_Down: v->setValue(v->value() + kScrollStep); return true;
    default: return false;
  }
}

bool TPrintPreviewForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->modifiers() == Qt::NoModifier || k->modifiers() == Qt::KeypadModifier)
      if (HandleKey(k->key())) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TPrintPreviewForm::keyPressEvent(QKeyEvent* e) {
  if (HandleKey(e->key())) return;
  QDialog::keyPressEvent(e);
}

void TPrintPreviewForm::done(int r) {
  reg_.OpenKey(kPrintKey, true);
  reg_.WriteInteger("PrintPreviewTop", y());
  reg_.WriteInteger("PrintPreviewLeft", x());
  reg_.WriteInteger("PrintPreviewWidth", width());
  reg_.WriteInteger("PrintPreviewHeight", height());
  reg_.CloseKey();
  QDialog::done(r);
}

}  // namespace sk::print
