// The exports as other programs read them: the HTML in a headless browser, the TeX through platex.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/cp932.h"
#include "exchange/export_format.h"
#include "exchange/export_test_util.h"

namespace sk::exchange {
namespace {

using test::Export;
using test::J;

bool WriteBytes(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  return f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

struct ProgramRun {
  bool finished = false;
  int exit_code = -1;
  QByteArray out, err;
};

ProgramRun RunProgram(const QString& program, const QStringList& args, const QString& dir,
                      int timeout_ms) {
  QProcess p;
  p.setWorkingDirectory(dir);
  p.start(program, args);
  ProgramRun r;
  if (!p.waitForStarted(10000)) return r;
  r.finished = p.waitForFinished(timeout_ms);
  if (!r.finished) {
    p.kill();
    p.waitForFinished(5000);
  }
  r.exit_code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  return r;
}

// A 24-bit BMP of w x h pixels in two colours.
std::string SmallBmp(int w, int h) {
  const int row = (w * 3 + 3) / 4 * 4;
  const uint32_t size = uint32_t(54 + row * h);
  std::string b(size, '\0');
  auto put32 = [&b](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  b[26] = 1;
  b[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t at = size_t(54 + y * row + x * 3);
      const bool stripe = (x / 8 + y / 8) % 2 == 0;
      b[at] = char(stripe ? 0xC0 : 0x30);  // blue
      b[at + 1] = char(stripe ? 0x80 : 0xA0);
      b[at + 2] = char(stripe ? 0x20 : 0xE0);
    }
  return b;
}

TEST(ExportRenderTest, BrowserReadsTheHtmlAsShiftJis) {
  const QString chromium = QStandardPaths::findExecutable("chromium");
  if (chromium.isEmpty()) GTEST_SKIP() << "chromium がないので HTML の表示確認を省略";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(WriteBytes(dir.filePath("flower.bmp"), SmallBmp(40, 30)));

  HtmlSettings s;
  s.DocumentTitleText = J("そらの記録");
  s.DocumentTitle.Size = 20;
  s.DocumentTitle.Style = 1;
  s.PageTitle.Color = 0x00804000;  // dark blue
  s.PageTitle.Style = 1;
  s.GazoToLarge = true;
  HtmlContext c;
  c.page_file_name = J("日記.dbf");
  c.my_name = J("山田花子");
  c.min_image_pixels = HtmlImagePixels(96, 30);
  c.max_image_pixels = HtmlImagePixels(96, 50);
  const std::string folder = J(dir.path().toStdString());
  c.find_image = [folder](std::string_view bare) -> std::optional<std::string> {
    return folder + "/" + std::string(bare);
  };
  c.image_size = [](const std::string&, int* w, int* h) {
    *w = 40, *h = 30;
    return true;
  };
  std::vector<ExportPage> pages(3);
  pages[0].title = J("桜の季節");
  pages[0].subtitle = J("散歩");
  pages[0].date = "20100321";
  pages[0].text = J("川沿いの桜が満開になった。\r\n風が少し冷たい。");
  pages[0].imagefile = J("flower");
  pages[1].title = J("雨の日");
  pages[1].date = "20100322";
  pages[1].text = J("一日中雨だった。\r\n本を読んで過ごした。");
  pages[2].title = J("晴れ");
  pages[2].date = "20100323";
  pages[2].text = J("洗濯物がよく乾いた。");
  HtmlWriter w(s, c);
  const QString html = dir.filePath("export.html");
  ASSERT_TRUE(WriteBytes(html, Export(w, pages)));

  const QString url = "file://" + html;
  // A profile of its own, so that runs at the same time do not share one.
  const QStringList common = {"--headless", "--no-sandbox", "--disable-gpu",
                              "--user-data-dir=" + dir.filePath("profile")};
  ProgramRun dom = RunProgram(chromium, common + QStringList{"--dump-dom", url}, dir.path(), 90000);
  ASSERT_TRUE(dom.finished) << "chromium did not finish";
  ASSERT_EQ(dom.exit_code, 0) << dom.err.toStdString();
  const std::string text = dom.out.toStdString();
  for (const char* want : {"桜の季節", "雨の日", "晴れ", "川沿いの桜が満開になった。",
                           "本を読んで過ごした。", "そらの記録", "2010年3月22日(月)", "山田花子"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  EXPECT_NE(text.find("flower.bmp"), std::string::npos);

  QDir().mkpath("screenshots");
  const QString png = QDir("screenshots").absoluteFilePath("html_export.png");
  QFile::remove(png);
  ProgramRun shot = RunProgram(
      chromium, common + QStringList{"--screenshot=" + png, "--window-size=800,600", url},
      dir.path(), 90000);
  ASSERT_TRUE(shot.finished);
  EXPECT_EQ(shot.exit_code, 0) << shot.err.toStdString();
  EXPECT_GT(QFileInfo(png).size(), 1000);
}

// The page count of a DVI file from its postamble; -1 when the file is not a DVI.
int DviPageCount(const QByteArray& dvi) {
  qsizetype end = dvi.size();
  while (end > 0 && uint8_t(dvi[end - 1]) == 223) --end;
  if (end < 6 || dvi.size() - end < 4) return -1;
  const qsizetype q_at = end - 5;  // post_post, q[4], id[1]
  if (uint8_t(dvi[q_at - 1]) != 249) return -1;
  uint32_t q = 0;
  for (int i = 0; i < 4; ++i) q = (q << 8) | uint8_t(dvi[q_at + i]);
  if (qsizetype(q) + 29 > dvi.size() || uint8_t(dvi[q]) != 248) return -1;
  return (uint8_t(dvi[q + 27]) << 8) | uint8_t(dvi[q + 28]);
}

void CompileTex(const TexSettings& s, const char* name) {
  const QString platex = QStandardPaths::findExecutable("platex");
  if (platex.isEmpty()) GTEST_SKIP() << "platex がないので TeX の組版確認を省略";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::vector<ExportPage> pages(3);
  pages[0].title = J("春");
  pages[0].subtitle = J("散歩");
  pages[0].date = "20100321";
  pages[0].text =
      J("川沿いの桜が満開になった。１２，３歩，歩いた。\r\n\r\n次の段落。\\clearpage\r\n");
  pages[1].title = J("数式");
  pages[1].date = "20100322";
  pages[1].text = J("式 $x^2+y^2=1$ もそのまま。\r\n\\clearpage\r\n\r\n");
  pages[2].date = "20100323";
  pages[2].text = J("おしまい。");
  TexWriter w(s, J("山田花子"), store::Date{2026, 1, 7});
  const QString base = QString::fromLatin1(name);
  ASSERT_TRUE(WriteBytes(dir.filePath(base + ".tex"), Export(w, pages)));

  // The file is Shift_JIS; platex reads UTF-8 unless told otherwise.
  ProgramRun r = RunProgram(
      platex, {"-kanji=sjis", "-interaction=nonstopmode", "-halt-on-error", base + ".tex"},
      dir.path(), 120000);
  ASSERT_TRUE(r.finished) << "platex did not finish";
  QFile log(dir.filePath(base + ".log"));
  const QByteArray log_text = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
  ASSERT_EQ(r.exit_code, 0) << r.out.toStdString() << "\n" << log_text.toStdString();
  QFile dvi(dir.filePath(base + ".dvi"));
  ASSERT_TRUE(dvi.open(QIODevice::ReadOnly));
  EXPECT_EQ(DviPageCount(dvi.readAll()), 3);
}

TEST(ExportRenderTest, PlatexCompilesTheHorizontalA4Export) {
  TexSettings s;
  s.DocumentTitle = J("そらの記録");
  CompileTex(s, "horizontal");
}

TEST(ExportRenderTest, PlatexCompilesTheVerticalA5LandscapeExport) {
  TexSettings s;
  s.Yoshi = 1;
  s.YoshiMuki = 1;
  s.MojiHoko = 1;
  s.Dangumi = 1;
  s.LeftMargin = s.RightMargin = s.TopMargin = s.BottomMargin = 15;
  s.DocumentTitle = J("縦書きの記録");
  CompileTex(s, "vertical");
}

}  // namespace
}  // namespace sk::exchange
