#include "print/ui/print_render.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "convert/cp932.h"
#include "images/image_search_path.h"
#include "print/ui/print_text.h"
#include "print/ui/vertical_forms.h"

namespace sk::print {
namespace {

std::string Sjis(const char* utf8) { return cp932::EncodeReplacing(cp932::FromUtf8(utf8)); }

// Output of a command line tool, or nullopt when the tool is not installed.
std::optional<QString> Tool(const QString& program, const QStringList& args) {
  if (QStandardPaths::findExecutable(program).isEmpty()) return std::nullopt;
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

// Where the pictures of a run are drawn; a folder named by SORAKUMO_PRINT_DUMP keeps the PDFs
// and sheet images the tests make, to look at.
QString DumpDir() { return QString::fromLocal8Bit(qgetenv("SORAKUMO_PRINT_DUMP")); }

const char kText[] =
    "吾輩は猫である。名前はまだ無い。「どこで生れたか」とんと見当がつかぬ（薄暗い）。"
    "ちょっと待ってー…Qt 6.4で描く、ＡＢＣと１２３。\r\n"
    "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。\r\n";

class PrintRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFontSubstitutions();
    ASSERT_TRUE(dir_.isValid());
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir_.filePath("pic.png")));
    path_.SetStartDir(dir_.path().toStdString());
  }

  PrintRun Layout(const PrintSettings& s, int pages) {
    QtTextMeasure measure;
    QtPictureSource pictures(path_);
    PrintFlow flow(s, &measure, &pictures);
    std::vector<PrintPage> list;
    for (int i = 0; i < pages; ++i) {
      PrintPage page;
      page.title = Sjis("見出し");
      page.text = Sjis(kText) + Sjis(kText) + Sjis(kText);
      page.image_files = i == 0 ? "pic.png" : "";
      list.push_back(page);
    }
    return flow.SetLineColumnImage(list);
  }

  static PrintSettings Settings(int vertical) {
    PrintSettings s;
    s.MojiHoko = vertical;
    s.TitleTitle = true;
    s.ImagePos = 1;
    s.DocTitle = Sjis("猫の記録");
    return s;
  }

  QTemporaryDir dir_;
  images::ImageSearchPath path_;
};

TEST_F(PrintRenderTest, VerticalFormsOfBracketsPunctuationAndSmallKana) {
  const QFont font = PrintFont(Sjis("ＭＳ 明朝"), 0, 100);
  const QRawFont raw = QRawFont::fromFont(font);
  ASSERT_TRUE(raw.isValid());
  ASSERT_EQ(raw.familyName().toLower(), QStringLiteral("ipamincho"));
  const GlyphMap& forms = VerticalFormsOf(raw);
  for (const char* ch : {"、", "。", "「", "」", "（", "ー", "…", "ゃ"}) {
    SCOPED_TRACE(ch);
    const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUtf8(ch));
    ASSERT_EQ(glyphs.size(), 1);
    auto it = forms.find(glyphs[0]);
    ASSERT_NE(it, forms.end());
    EXPECT_NE(it->second, glyphs[0]);
  }
  // Kanji and ordinary kana stand as they are.
  for (const char* ch : {"国", "あ"})
    EXPECT_EQ(forms.count(raw.glyphIndexesForString(QString::fromUtf8(ch))[0]), 0u) << ch;
  EXPECT_TRUE(ReadVerticalForms(QByteArray()).empty());
  EXPECT_TRUE(ReadVerticalForms(raw.fontTable("GSUB").left(40)).empty());
}

TEST_F(PrintRenderTest, MeasuresUprightDoubleByteAndTurnedSingleByte) {
  QtTextMeasure measure;
  const int h = -1472;
  const MeasureFont across{Sjis("ＭＳ 明朝"), 0, h};
  const MeasureFont down{"@" + Sjis("ＭＳ 明朝"), 0, h};
  // IPAMincho's full-width characters advance by the em either way.
  EXPECT_EQ(measure.Width(across, Sjis("国")), 1472);
  EXPECT_EQ(measure.Width(down, Sjis("国語」")), 3 * 1472);
  const int word = measure.Width(across, "Qt6.4");
  EXPECT_GT(word, 1472);
  EXPECT_LT(word, 5 * 1472);
  EXPECT_EQ(measure.Width(down, "Qt6.4"), word);
  EXPECT_EQ(measure.Width(down, Sjis("国Qt6.4")), 1472 + word);
  // Bold text is at least as wide.
  EXPECT_GE(measure.Width(MeasureFont{Sjis("ＭＳ ゴシック"), 1, h}, "Qt6.4"),
            measure.Width(MeasureFont{Sjis("ＭＳ ゴシック"), 0, h}, "Qt6.4"));
}

TEST_F(PrintRenderTest, PicturesFoundWithTheirSizes) {
  QFile junk(dir_.filePath("junk.jpg"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not a picture");
  junk.close();
  QtPictureSource source(path_);
  const std::optional<PictureFile> found = source.Find("pic.png");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->path, dir_.filePath("pic.png").toStdString());
  EXPECT_EQ(found->width, 400);
  EXPECT_EQ(found->height, 300);
  EXPECT_TRUE(source.Find("PIC.PNG"));
  EXPECT_FALSE(source.Find("none.png"));
  EXPECT_FALSE(source.Find("junk.jpg"));
}

// In vertical writing each character stands in an em square below the one before: punctuation
// in its upper right, the long vowel mark and brackets turned along the line, a word turned.
TEST_F(PrintRenderTest, VerticalCharactersInTheirCells) {
  struct Case {
    const char* text;
    bool right, upper;  // all ink in the right half, in the upper half
    int shape;          // 1: ink taller than wide, 2: wider than tall
  };
  const Case cases[] = {
      {"、", true, true, 0},   {"。", true, true, 0},   {"ー", false, false, 1},
      {"「", false, false, 2}, {"」", false, false, 2}, {"Qt", false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PrintSettings s = Settings(1);
    s.DocTitle.clear(), s.TitleTitle = false, s.PageNum = 1;
    QtTextMeasure measure;
    PrintFlow flow(s, &measure, nullptr);
    PrintPage page;
    page.text = Sjis(c.text);
    const PrintRun run = flow.SetLineColumnImage({page});
    ASSERT_EQ(run.lines.size(), 1u);
    const PrintGeometry& g = run.geometry;
    const DeviceMapping map{300, 0, 0, 1.0};
    const QSize size(map.Length(g.PaperWidth), map.Length(g.PaperHeight));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DisplayPage(painter, run, s, 0, map, size);
    painter.end();

    // The cell: the line's band across, one em (or the word's width) down from the line's top.
    const int em = map.Length(run.lines[0].font_height);
    const QRect cell(map.X(g.PaperWidth - g.ColumnStackStart[0] - run.lines[0].font_height),
                     map.Y(g.ColumnLineStart[0]), em, map.Length(run.lines[0].used_width));
    QRect ink;
    for (int y = 0; y < size.height(); ++y)
      for (int x = cell.left() - em; x < cell.right() + em; ++x)
        if (image.pixel(x, y) != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(cell.adjusted(-2, -2, 2, 2).contains(ink)) << "ink outside its cell";
    if (c.right) {
      EXPECT_GE(ink.left(), cell.center().x());
    }
    if (c.upper) {
      EXPECT_LE(ink.bottom(), cell.center().y());
    }
    if (c.shape == 1) {
      EXPECT_GT(ink.height(), ink.width());
    }
    if (c.shape == 2) {
      EXPECT_GT(ink.width(), ink.height());
    }
  }
}

// A sheet drawn at 96 dpi has ink only inside the paper minus its margins, the page numbers
// under the bottom margin excepted; a picture that cannot be read leaves its place empty.
TEST_F(PrintRenderTest, InkStaysInsideTheMargins) {
  for (int vertical : {0, 1}) {
    SCOPED_TRACE(vertical);
    const PrintSettings s = Settings(vertical);
    const PrintRun run = Layout(s, 3);
    ASSERT_GE(run.SheetCount, 1);
    ASSERT_EQ(run.pictures.size(), 1u);
    const PrintGeometry& g = run.geometry;
    const DeviceMapping map{96, 0, 0, 1.0};
    const QSize page(map.Length(g.PaperWidth), map.Length(g.PaperHeight));

    auto draw = [&] {
      QImage image(page, QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter painter(&image);
      DisplayPage(painter, run, s, 0, map, page);
      painter.end();
      return image;
    };
    const QImage sheet = draw();
    if (!DumpDir().isEmpty())
      sheet.save(QDir(DumpDir()).filePath(QStringLiteral("sheet_%1.png").arg(vertical)));

    const int left = map.X(g.MarginLeft) - 1, right = map.X(g.PaperWidth - g.MarginRight) + 1;
    const int top = map.Y(g.MarginTop) - 1, bottom = map.Y(g.PaperHeight - g.MarginBottom) + 1;
    const int numbers_end = map.Y(g.PaperHeight - g.MarginBottom + MmToUnits(5)) +
                            map.Length(std::abs(FontHeightOfPoints(s.TextFont.size))) + 2;
    int inside = 0, numbers = 0, outside = 0;
    for (int y = 0; y < page.height(); ++y)
      for (int x = 0; x < page.width(); ++x) {
        if (sheet.pixel(x, y) == qRgb(255, 255, 255)) continue;
        if (x >= left && x <= right && y >= top && y <= bottom)
          ++inside;
        else if (y > bottom && y <= numbers_end)
          ++numbers;
        else
          ++outside;
      }
    EXPECT_GT(inside, 1000);
    EXPECT_GT(numbers, 10);
    EXPECT_EQ(outside, 0);

    // The picture is red where it is drawn; without its file the place stays white.
    const PrintPicture& pic = run.pictures[0];
    ASSERT_LT(pic.column, g.ColumnsPerSheet);
    const int k = pic.column;
    QRect place;
    if (!vertical) {
      place = QRect(map.X(g.ColumnLineStart[k] + pic.offset), map.Y(g.MarginTop + pic.stack_pos),
                    map.Length(pic.across), map.Length(pic.along));
    } else {
      const int right_edge = g.PaperWidth - g.ColumnStackStart[k] - pic.stack_pos;
      place = QRect(map.X(right_edge - pic.along), map.Y(g.ColumnLineStart[k] + pic.offset),
                    map.Length(pic.along), map.Length(pic.across));
    }
    const QPoint middle = place.center();
    EXPECT_EQ(sheet.pixel(middle), qRgb(255, 0, 0));
    ASSERT_TRUE(QFile::remove(dir_.filePath("pic.png")));
    const QImage without = draw();
    int ink = 0;
    for (int y = place.top() + 1; y < place.bottom(); ++y)
      for (int x = place.left() + 1; x < place.right(); ++x)
        ink += without.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_EQ(ink, 0);
    SetUp();  // the picture back for the next writing
  }
}

TEST_F(PrintRenderTest, PdfPagesEmbeddedFontsAndText) {
  const PrintSettings s = Settings(0);
  const PrintRun run = Layout(s, 12);
  ASSERT_GE(run.SheetCount, 2);
  const QString target = DumpDir().isEmpty() ? dir_.filePath(QStringLiteral("猫.pdf"))
                                             : QDir(DumpDir()).filePath("horizontal.pdf");
  std::vector<int> seen;
  bool cancelled = true;
  const Status status = WritePdf(
      run, s, PdfJob{target.toStdString(), "猫", 0, -1},
      [&](int done, int total) {
        seen.push_back(done);
        EXPECT_EQ(total, run.SheetCount);
        return true;
      },
      &cancelled);
  ASSERT_TRUE(status) << status.message();
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(int(seen.size()), run.SheetCount);
  ASSERT_TRUE(QFile::exists(target));
  QDir folder = QFileInfo(target).dir();
  EXPECT_EQ(folder.entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden).size(), 0)
      << "a temporary file left";

  if (auto info = Tool("pdfinfo", {target})) {
    EXPECT_TRUE(
        info->contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(run.SheetCount))))
        << info->toStdString();
    EXPECT_TRUE(info->contains(QStringLiteral("595 x 842 pts (A4)"))) << info->toStdString();
  }
  if (auto fonts = Tool("pdffonts", {target})) {
    EXPECT_TRUE(fonts->contains(QStringLiteral("IPAMincho"))) << fonts->toStdString();
    EXPECT_FALSE(fonts->contains(QRegularExpression(QStringLiteral(" no  +(yes|no) +(yes|no) "))))
        << "a font not embedded: " << fonts->toStdString();
  }
  if (auto text = Tool("pdftotext", {target, QStringLiteral("-")})) {
    EXPECT_TRUE(text->contains(QStringLiteral("猫の記録"))) << text->toStdString();
    EXPECT_TRUE(text->contains(QStringLiteral("吾輩は猫である"))) << text->left(400).toStdString();
    EXPECT_TRUE(text->contains(QStringLiteral("-2-")));
  }

  // Vertical writing for the eye, when asked for.
  if (!DumpDir().isEmpty()) {
    PrintSettings v = Settings(1);
    v.PageTitleFont.style = 1 | 4;    // bold, underlined
    v.DocTitleFont.color = 0xFF0000;  // blue
    ASSERT_TRUE(WritePdf(Layout(v, 4), v,
                         PdfJob{QDir(DumpDir()).filePath("vertical.pdf").toStdString(), "猫"}, {},
                         nullptr));
  }
}

// The PDF page is the paper of the settings, turned for the landscape ones.
TEST_F(PrintRenderTest, PdfPaperSizes) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) GTEST_SKIP();
  struct Case {
    int yoshi;
    const char* size;
  };
  const Case cases[] = {{1, "842 x 595 pts (A4)"},
                        {2, "420 x 595 pts (A5)"},
                        {5, "1032 x 729 pts"},
                        {6, "516 x 729 pts"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.yoshi);
    PrintSettings s = Settings(0);
    s.Yoshi = c.yoshi;
    const QString target = dir_.filePath(QStringLiteral("paper.pdf"));
    ASSERT_TRUE(WritePdf(Layout(s, 1), s, PdfJob{target.toStdString(), "t"}, {}, nullptr));
    const QString info = Tool(QStringLiteral("pdfinfo"), {target}).value_or(QString());
    EXPECT_TRUE(info.contains(QString::fromUtf8(c.size))) << info.toStdString();
  }
}

TEST_F(PrintRenderTest, PdfCancelledOrUnwritableLeavesNoFile) {
  const PrintSettings s = Settings(0);
  const PrintRun run = Layout(s, 6);
  const QString target = dir_.filePath(QStringLiteral("out.pdf"));
  bool cancelled = false;
  Status status = WritePdf(
      run, s, PdfJob{target.toStdString(), "t"}, [](int done, int) { return done < 1; },
      &cancelled);
  EXPECT_TRUE(status) << status.message();
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(QFile::exists(target));
  // An earlier file stays as it was.
  QFile old(target);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  status = WritePdf(
      run, s, PdfJob{target.toStdString(), "t"}, [](int, int) { return false; }, &cancelled);
  EXPECT_TRUE(cancelled);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("old"));
  old.close();
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
      << "pic.png, out.pdf";

  const std::string nowhere = dir_.filePath(QStringLiteral("no/such/folder/x.pdf")).toStdString();
  status = WritePdf(run, s, PdfJob{nowhere, "t"}, {}, &cancelled);
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find(nowhere), std::string::npos) << status.message();
  EXPECT_FALSE(cancelled);
}

}  // namespace
}  // namespace sk::print
