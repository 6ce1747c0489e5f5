// The print preview: the caption, moving between sheets, the sheet asked for by number, zoom and
// the scroll ranges, the keys, the window's place kept under "Print", and printing a range with
// collated copies into a file through the print dialog.
#include "print/ui/print_preview_form.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/test_window.h"
#include "print/preview_plan.h"
#include "print/ui/print_render.h"
#include "settings/settings_store.h"

namespace sk::print {
namespace {

using app::test::ScriptedPrompter;

constexpr std::string_view kPrintKey = "\\Software\\sorakumo\\Print";

// Pages enough for several sheets: one column, no bag binding, so one page of paper per sheet.
std::vector<PrintPage> ManyPages(int n) {
  std::vector<PrintPage> pages;
  for (int i = 0; i < n; ++i) {
    PrintPage p;
    p.title = "Page " + std::to_string(i + 1);
    for (int l = 0; l < 60; ++l) p.text += "\x82\xa0\x82\xa2\x82\xa4\x81\x42\r\n";  // あいう。
    pages.push_back(p);
  }
  return pages;
}

int PdfPageCount(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray pdf = f.readAll();
  return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page/") +
             pdf.count("/Type /Page>") + pdf.count("/Type /Page "));
}

class PrintPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    InstallFontSubstitutions();
    settings_.Fukuro = 0;
    settings_.TitleTitle = true;
    PrintFlow flow(settings_, &measure_, nullptr);
    run_ = flow.SetLineColumnImage(ManyPages(8));
    ASSERT_GE(run_.SheetCount, 4);
    TPrintPreviewForm::Zoom = 1.0;
  }
  std::unique_ptr<TPrintPreviewForm> Make() {
    return std::make_unique<TPrintPreviewForm>(prompter_, reg_, run_, settings_,
                                               QStringLiteral("Sample"));
  }

  QTemporaryDir dir_;
  settings::SettingsStore reg_{(dir_.path() + "/sorakumo.conf").toStdString()};
  ScriptedPrompter prompter_;
  PrintSettings settings_;
  QtTextMeasure measure_;
  PrintRun run_;
};

TEST_F(PrintPreviewTest, CaptionAndMovingBetweenSheets) {
  auto f = Make();
  const int n = f->SheetCount();
  EXPECT_EQ(f->windowTitle(),
            QStringLiteral("印刷イメージ（1枚目/%1枚中）　表示倍率：100%").arg(n));
  f->PrevItem->trigger();
  EXPECT_EQ(f->ShownSheet, 0);
  f->NextItem->trigger();
  EXPECT_EQ(f->ShownSheet, 1);
  f->LastItem->trigger();
  EXPECT_EQ(f->ShownSheet, n - 1);
  f->NextItem->trigger();
  EXPECT_EQ(f->ShownSheet, n - 1);
  f->FirstItem->trigger();
  EXPECT_EQ(f->ShownSheet, 0);
  f->ZoomItems[2]->trigger();  // 80%
  EXPECT_EQ(f->windowTitle(), QStringLiteral("印刷イメージ（1枚目/%1枚中）　表示倍率：80%").arg(n));

  // A sheet by number: 0 is the first, 99 the last, "abc" a notice and no move.
  prompter_.inputs = {QStringLiteral("3"), QStringLiteral("99"), QStringLiteral("0"),
                      QStringLiteral("abc"), std::nullopt};
  f->AnyItem->trigger();
  EXPECT_EQ(f->ShownSheet, 2);
  EXPECT_EQ(prompter_.shown.back(), QStringLiteral("input|任意の用紙へ"));
  f->AnyItem->trigger();
  EXPECT_EQ(f->ShownSheet, n - 1);
  f->AnyItem->trigger();
  EXPECT_EQ(f->ShownSheet, 0);
  f->NextItem->trigger();
  f->AnyItem->trigger();
  EXPECT_EQ(f->ShownSheet, 1);
  EXPECT_EQ(prompter_.shown.back(), QStringLiteral("お知らせ|用紙番号を指定してください。"));
  f->AnyItem->trigger();  // cancelled
  EXPECT_EQ(f->ShownSheet, 1);
}

TEST_F(PrintPreviewTest, ZoomScrollRangesKeysAndZoomKeptForTheRun) {
  auto f = Make();
  f->ZoomItems[5]->trigger();  // 50%
  const PaperOnScreen half = PaperPixels(settings_, f->Canvas->Dpi(), 0.5);
  EXPECT_EQ(f->Canvas->Paper(), QSize(half.width, half.height));
  QScrollBar* h = f->Canvas->horizontalScrollBar();
  QScrollBar* v = f->Canvas->verticalScrollBar();
  EXPECT_EQ(h->maximum(), half.scroll_width);
  EXPECT_EQ(v->maximum(), half.scroll_height);

  QTest::keyClick(f->Canvas, Qt::Key_PageDown);
  EXPECT_EQ(f->ShownSheet, 1);
  QTest::keyClick(f->Canvas, Qt::Key_PageUp);
  EXPECT_EQ(f->ShownSheet, 0);
  QTest::keyClick(f->Canvas, Qt::Key_End);
  EXPECT_EQ(h->value(), h->maximum());
  EXPECT_EQ(v->value(), v->maximum());
  QTest::keyClick(f->Canvas, Qt::Key_Up);
  EXPECT_EQ(v->value(), v->maximum() - 120);
  QTest::keyClick(f->Canvas, Qt::Key_Right);
  EXPECT_EQ(h->value(), h->maximum());
  QTest::keyClick(f->Canvas, Qt::Key_Home);
  EXPECT_EQ(h->value(), 0);
  EXPECT_EQ(v->value(), 0);
  QTest::keyClick(f->Canvas, Qt::Key_Left);
  EXPECT_EQ(h->value(), 0);

  // The window's place is kept when it closes; the zoom for the next opening.
  f->move(30, 40);
  f->resize(640, 500);
  f->reject();
  reg_.OpenKey(kPrintKey, true);
  EXPECT_EQ(reg_.ReadInteger("PrintPreviewWidth", 0), 640);
  EXPECT_EQ(reg_.ReadInteger("PrintPreviewHeight", 0), 500);
  reg_.CloseKey();
  auto again = Make();
  EXPECT_TRUE(again->windowTitle().endsWith(QStringLiteral("表示倍率：50%")));
  EXPECT_EQ(again->width(), 640);
}

TEST_F(PrintPreviewTest, PrintsARangeWithCollatedCopiesIntoAFile) {
  auto f = Make();
  f->NextItem->trigger();
  const QString pdf = dir_.path() + "/out.pdf";
  prompter_.dialogs.push_back([&](QDialog& d) {
    auto* dialog = qobject_cast<QPrintDialog*>(&d);
    if (!dialog) return false;
    QPrinter* p = dialog->printer();
    p->setOutputFileName(pdf);
    p->setPrintRange(QPrinter::PageRange);
    p->setFromTo(2, 3);
    p->setCopyCount(2);
    p->setCollateCopies(true);
    return true;
  });
  f->PrintItem->trigger();
  EXPECT_EQ(PdfPageCount(pdf), 4);  // 2, 3, 2, 3
  // Nothing left beside it.
  EXPECT_TRUE(QDir(dir_.path()).entryList({".*"}, QDir::Files | QDir::Hidden).isEmpty());
  EXPECT_EQ(f->ShownSheet, 1);
  EXPECT_FALSE(f->Printing);
  EXPECT_TRUE(f->windowTitle().startsWith(QStringLiteral("印刷イメージ（2枚目/")));

  // A dialog cancelled prints nothing.
  QFile::remove(pdf);
  f->PrintItem->trigger();
  EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace
}  // namespace sk::print
