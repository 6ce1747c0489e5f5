#include "exchange/export_format.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "convert/cp932.h"
#include "exchange/export_test_util.h"
#include "settings/settings_store.h"

namespace sk::exchange {
namespace {

using test::Export;
using test::J;

const std::vector<std::string>& Captions() {
  static const std::vector<std::string> c = {J("分類"), J("タイトル"), J("サブタイトル"), J("日付"),
                                             J("画像ファイル")};
  return c;
}

std::string GoldenPath(const std::string& name) {
  return std::string(SORAKUMO_SOURCE_DIR) + "/src/exchange/testdata/" + name;
}

// Compares bytes with a fixture; SORAKUMO_UPDATE_GOLDEN=1 rewrites the fixture instead.  On a
// mismatch the first differing line is shown (decoded for reading).
void ExpectGolden(const std::string& name, const std::string& actual) {
  const std::string path = GoldenPath(name);
  const char* update = std::getenv("SORAKUMO_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "missing fixture " << path;
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string expected = ss.str();
  if (expected == actual) return;
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  auto line_of = [at](const std::string& s) {
    size_t b = s.rfind('\n', at == 0 ? 0 : at - 1);
    b = (b == std::string::npos || at == 0) ? 0 : b + 1;
    size_t e = s.find('\n', at);
    return cp932::ToUtf8(s.substr(b, e == std::string::npos ? std::string::npos : e - b));
  };
  const size_t line_no = size_t(std::count(expected.begin(), expected.begin() + at, '\n')) + 1;
  ADD_FAILURE() << name << " differs at byte " << at << " (line " << line_no << ")\n"
                << "  expected: " << line_of(expected) << "\n"
                << "  actual:   " << line_of(actual) << "\n"
                << "  sizes: expected " << expected.size() << ", actual " << actual.size();
}

// ---- Plain text ----

ExportPage SpringPage() {
  ExportPage p;
  p.bunrui = J("日記");
  p.title = J("春");
  p.date = "20100321";
  p.text = J("一行目\r\n二行目");
  return p;
}

TEST(TextExportTest, WritesTheDefaultRecord) {
  std::string out;
  TextOfOneDayToFile(SpringPage(), TextExportSettings{}, 1, Captions(), &out);
  EXPECT_EQ(out, J("●2010/03/21\n●分類 = 日記\n●タイトル = 春\n●サブタイトル = \n"
                   "●画像ファイル = \n一行目\n二行目\n\n\n"));
}

TEST(TextExportTest, DateStyles) {
  struct Case {
    const char* date;
    int code;
    const char* want;
  } const cases[] = {
      {"20100321", 1, "2010/03/21"},
      {"20100321", 2, "2010年3月21日"},
      {"20100321", 3, "2010年3月21日（日）"},
      {"20100321", 4, "March 21, 2010"},
      {"20100321", 5, "Sunday, March 21, 2010"},
      {"20100321", 6, "２０１０／０３／２１"},
      {"20100321", 7, "２０１０年３月２１日"},
      {"20100321", 8, "２０１０年３月２１日（日）"},
      {"20100321", 9, "二〇一〇年三月二一日"},
      {"20100321", 10, "二〇一〇年三月二一日（日）"},
      {"20240105", 4, "January 5, 2024"},
      {"20240105", 9, "二〇二四年一月五日"},
      {"20240105", 5, "Friday, January 5, 2024"},
      {"20241231", 3, "2024年12月31日（火）"},
      {"20240229", 1, "2024/02/29"},
      {"00050704", 1, "0005/07/04"},
      {"20100321", 0, ""},
      {"20100321", 11, ""},
      {"", 1, ""},
      {"20230229", 2, ""},
      {"2010032", 1, ""},
      {"2010-3-1", 1, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatTextDate(c.date, c.code), J(c.want)) << c.date << " code " << c.code;
}

TEST(TextExportTest, DateLineFollowsTheCode) {
  TextExportSettings s;
  s.SaveBunrui = s.SaveTitle = s.SaveChosha = s.SaveImageFileName = s.SaveText = false;
  s.PageKan = 0;
  ExportPage p = SpringPage();
  p.date = "20240105";
  for (int code : {4, 9, 0, 11}) {
    std::string out;
    TextOfOneDayToFile(p, s, code, Captions(), &out);
    const std::string want = code == 4   ? J("●January 5, 2024\n")
                             : code == 9 ? J("●二〇二四年一月五日\n")
                                         : "";
    EXPECT_EQ(out, want) << "code " << code;
  }
  // A page without a date keeps its date line, empty.
  p.date = "";
  std::string out;
  TextOfOneDayToFile(p, s, 1, Captions(), &out);
  EXPECT_EQ(out, J("●\n"));
}

TEST(TextExportTest, OptionsAndEmptyLines) {
  TextExportSettings off;
  off.SaveBunrui = off.SaveTitle = off.SaveChosha = off.SaveDate = off.SaveImageFileName =
      off.SaveText = false;
  off.PageKan = 0;
  std::string out;
  TextOfOneDayToFile(SpringPage(), off, 1, Captions(), &out);
  EXPECT_EQ(out, "");
  off.PageKan = 3;  // the empty lines come whatever the options
  TextOfOneDayToFile(SpringPage(), off, 1, Captions(), &out);
  EXPECT_EQ(out, "\n\n\n");

  TextExportSettings only_fields;
  only_fields.SaveDate = only_fields.SaveText = false;
  only_fields.PageKan = 0;
  ExportPage p;
  p.bunrui = J("  日記 \t ");
  p.title = J(" 春　");  // the full-width space is not a blank
  p.subtitle = J("副題  ");
  p.imagefile = J(" *memo.txt;a.jpg;;写真 ");
  out.clear();
  TextOfOneDayToFile(p, only_fields, 1, Captions(), &out);
  EXPECT_EQ(out, J("●分類 = 日記\n●タイトル = 春　\n●サブタイトル = 副題\n"
                   "●画像ファイル = a.jpg;;写真\n"));
}

TEST(TextExportTest, TextLineEnds) {
  TextExportSettings s;
  s.SaveBunrui = s.SaveTitle = s.SaveChosha = s.SaveDate = s.SaveImageFileName = false;
  s.PageKan = 1;
  struct Case {
    const char* text;
    const char* want;
  } const cases[] = {
      {"", "\n"},
      {"one", "one\n\n"},
      {"a\r\nb", "a\nb\n\n"},
      {"a\r\nb\r\n", "a\nb\n\n"},
      {"a\rb\nc", "a\nb\nc\n\n"},
      {"a\r\n\r\n", "a\n\n\n"},
      {"\r\n", "\n\n"},
      {"a\r", "a\n\n"},
      {"a\n\r\nb", "a\n\nb\n\n"},
      {"表\r\n<&>\t ", "表\n<&>\t \n\n"},
  };
  for (const Case& c : cases) {
    ExportPage p;
    p.text = J(c.text);
    std::string out;
    TextOfOneDayToFile(p, s, 1, Captions(), &out);
    EXPECT_EQ(out, J(c.want)) << c.text;
  }
}

TEST(TextExportTest, LongTextsWithLineEndsAtEveryPlaceOfABlock) {
  // Line ends of every kind at every distance from the 16- and 64-byte blocks the text is copied
  // in, against the lines written one by one.
  TextExportSettings s;
  s.SaveBunrui = s.SaveTitle = s.SaveChosha = s.SaveDate = s.SaveImageFileName = false;
  s.PageKan = 0;
  const char* const kEnds[] = {"\r\n", "\r", "\n", "\r\r\n", "\n\r"};
  for (size_t shift = 0; shift < 70; ++shift) {
    std::string text(shift, 'x');
    for (int i = 0; i < 60; ++i)
      text += std::string(size_t(i * 7 % 23), 'a' + char(i % 26)) + kEnds[i % 5];
    text += shift % 2 ? "tail" : "";
    std::string want;
    for (std::string_view line : SplitTextLines(text)) want.append(line).append("\n");
    ExportPage p;
    p.text = text;
    std::string out;
    TextOfOneDayToFile(p, s, 1, Captions(), &out);
    ASSERT_EQ(out, want) << shift;
  }
}

TEST(TextExportTest, SplitTextLines) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitTextLines(""), V{});
  EXPECT_EQ(SplitTextLines("a"), V{"a"});
  EXPECT_EQ(SplitTextLines("a\r\nb\rc\nd\r\n"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTextLines("\r\n\r\n"), (V{"", ""}));
  EXPECT_EQ(SplitTextLines("a\n\r\n"), (V{"a", ""}));
}

TEST(TextExportTest, ExporterAppendsPagesAndConvertsToUtf8) {
  const std::vector<ExportPage> pages = {SpringPage(), SpringPage()};
  TextExporter cp(TextExportSettings{}, 3, Captions());
  const std::string sjis = Export(cp, pages);
  std::string one;
  TextOfOneDayToFile(SpringPage(), TextExportSettings{}, 3, Captions(), &one);
  EXPECT_EQ(sjis, one + one);

  TextExporter utf(TextExportSettings{}, 3, Captions(), true);
  const std::string utf8 = Export(utf, pages);
  const std::string page_utf8 =
      "●2010年3月21日（日）\n●分類 = 日記\n●タイトル = 春\n●サブタイトル = \n"
      "●画像ファイル = \n一行目\n二行目\n\n\n";
  EXPECT_EQ(utf8, page_utf8 + page_utf8);
}

TEST(FormatTest, TitleDateAndNumbers) {
  EXPECT_EQ(FormatTitleDate("20100321", false), J("2010年3月21日(日)"));
  EXPECT_EQ(FormatTitleDate("20100321", true), J("二〇一〇年三月二一日（日）"));
  EXPECT_EQ(FormatTitleDate("20240106", false), J("2024年1月6日(土)"));
  EXPECT_EQ(FormatTitleDate("", false), "");
  EXPECT_EQ(FormatTitleDate("20241301", true), "");

  EXPECT_EQ(FormatNumber(10.5), "10.5");
  EXPECT_EQ(FormatNumber(2.0 * 2.834645669291339 + 10.5), "16.1692913385827");
  EXPECT_EQ(FormatNumber(210 - 25.4 - 25.4), "159.2");
  EXPECT_EQ(FormatNumber(25.4 - 25.4), "0");
  EXPECT_EQ(FormatNumber(20 - 25.4), "-5.4");
  EXPECT_EQ(FormatNumber(1e20), "1e+20");

  EXPECT_EQ(HtmlImagePixels(96, 50), 188);
  EXPECT_EQ(HtmlImagePixels(96, 30), 113);
  EXPECT_EQ(HtmlImagePixels(72, 25.4), 71);  // 71.99999... truncated
}

// ---- HTML ----

HtmlContext FakeContext() {
  HtmlContext c;
  c.page_file_name = J("日記帳.dbf");
  c.my_name = J("山田");
  c.max_image_pixels = 188;
  c.min_image_pixels = 113;
  c.find_image = [](std::string_view bare) -> std::optional<std::string> {
    if (bare.find("missing") != std::string_view::npos) return std::nullopt;
    return "/img/" + std::string(bare);
  };
  c.image_size = [](const std::string& path, int* w, int* h) {
    if (path == "/img/wide.jpg") {
      *w = 800, *h = 600;
    } else if (path == "/img/small.bmp") {
      *w = 100, *h = 75;
    } else if (path == "/img/mid.jpeg") {
      *w = 150, *h = 100;
    } else {
      return false;
    }
    return true;
  };
  return c;
}

std::vector<ExportPage> ThreeHtmlPages() {
  ExportPage a;
  a.title = J(" 春の日 ");
  a.subtitle = J("散歩");
  a.date = "20100321";
  a.text = J("桜が咲いた。\r\n<b>太字</b> & 記号\r\n");
  // Kept: wide.jpg, small (looked up as small.bmp), mid.jpeg, a gif with a folder (as it
  // stands, no size); skipped: a PNG, a name no folder holds, a text file.
  a.imagefile = J("*memo.txt;wide.jpg;small;clip.png;missing.jpg;mid.jpeg;/pics/anim.gif;x.txt");
  ExportPage b;
  b.title = J("雨");
  b.date = "20100322";
  b.text = J("一行だけ");
  b.imagefile = J("wide.jpg");
  ExportPage c;
  c.date = "";
  c.text = "";
  return {a, b, c};
}

TEST(HtmlExportTest, ThreePagesWithRightImagesAndDocumentTitle) {
  HtmlSettings s;
  s.DocumentTitleText = J("春の記録");
  s.DocumentTitle.Size = 18;
  s.DocumentTitle.Style = 1;
  s.PageTitle.Size = 12;
  s.PageTitle.Color = 0x000000FF;  // red
  s.PageTitle.Style = 4 | 8;       // underline; strike-out has no tag
  s.Honbun.Style = 1 | 2 | 4;
  s.Honbun.Color = 0x00336699;  // RGB 99 66 33
  s.GazoToSmall = s.GazoToLarge = true;
  HtmlWriter w(s, FakeContext());
  ExpectGolden("html_three_pages.html", Export(w, ThreeHtmlPages()));
}

TEST(HtmlExportTest, PlainPagesWithCentredImages) {
  HtmlSettings s;
  s.TitleTitle = s.TitleChosha = s.TitleDate = s.TitleUserName = false;
  s.GazoDispPos = 2;
  s.Pagekan = 1;
  s.Gyokan = 0;
  HtmlWriter w(s, FakeContext());
  ExpectGolden("html_plain.html", Export(w, ThreeHtmlPages()));
}

TEST(HtmlExportTest, ImageTableNeedsImageFolders) {
  HtmlSettings s;
  s.GazoDispPos = 1;
  HtmlContext c = FakeContext();
  c.find_image = nullptr;
  HtmlWriter w(s, c);
  const std::string out = Export(w, ThreeHtmlPages());
  EXPECT_EQ(out.find("<TABLE"), std::string::npos);
  EXPECT_EQ(out.find("CLEAR="), std::string::npos);

  s.DispGazo = false;
  HtmlWriter off(s, FakeContext());
  EXPECT_EQ(Export(off, ThreeHtmlPages()).find("<TABLE"), std::string::npos);

  // Left tables: the next separator clears the left side.
  s.DispGazo = true;
  HtmlWriter left(s, FakeContext());
  const std::string l = Export(left, ThreeHtmlPages());
  EXPECT_NE(l.find("<TABLE BORDER=0 CELLSPACING=0 CELLPADDING=10 ALIGN=left>\n"
                   "<TR><TD ALIGN=left><IMG SRC=\"/img/wide.jpg\"></TD></TR>\n"),
            std::string::npos);
  EXPECT_NE(l.find("\n<BR CLEAR=left><BR><BR>\n"), std::string::npos);
}

TEST(HtmlExportTest, PicturePathsAreWrittenAsUrls) {
  HtmlSettings s;
  HtmlContext c = FakeContext();
  c.find_image = [](std::string_view bare) -> std::optional<std::string> {
    return "/img/" + std::string(bare);
  };
  ExportPage p;
  p.date = "20100321";
  // Bytes that would end the attribute or the path are encoded; a double-byte name stays as it
  // stands (its second byte 0x5C is not a separator to encode).
  p.imagefile = "a\"b#1%20?.jpg;" + J("表.jpg");
  HtmlWriter w(s, c);
  const std::string out = Export(w, {p});
  EXPECT_NE(out.find("<IMG SRC=\"/img/a%22b%231%2520%3F.jpg\">"), std::string::npos) << out;
  EXPECT_NE(out.find("<IMG SRC=\"/img/" + J("表.jpg") + "\">"), std::string::npos);
}

// ---- TeX ----

std::vector<ExportPage> TexPages() {
  ExportPage a;
  a.title = J("春");
  a.subtitle = J(" 散歩 ");
  a.date = "20100321";
  a.text = J("今日は１２，３歩，歩いた。$x^2$\r\n\r\n二段落目 % そのまま\r\n\r\n\r\n");
  ExportPage b;
  b.title = "";
  b.date = "20240105";
  b.text = J("２０２４年の\\textbf{初日}");
  return {a, b};
}

TEST(TexExportTest, DefaultPreambleAndPages) {
  TexSettings s;
  s.DocumentTitle = J("日々の記録");
  TexWriter w(s, J("山田"), store::Date{2026, 1, 7});
  const std::string out = Export(w, TexPages());
  EXPECT_EQ(out.substr(0, out.find('\n')), "\\documentstyle[a4j,fleqn,tascmac]{jarticle}");
  ExpectGolden("tex_a4_horizontal.tex", out);
}

TEST(TexExportTest, VerticalA5Landscape) {
  TexSettings s;
  s.Yoshi = 1;
  s.YoshiMuki = 1;
  s.MojiHoko = 1;
  s.MojiSize = 1;
  s.Dangumi = 1;
  s.Style = 1;
  s.LeftMargin = 20;
  s.TopMargin = 15;
  s.InputFileName = {J(" /home/u/tex/macros.sty "), "", "  ", J("c:\\old\\縦.tex")};
  s.DocumentTitle = J("縦書きの記録");
  TexWriter w(s, J("山田"), store::Date{2026, 1, 7});
  const std::string out = Export(w, TexPages());
  EXPECT_EQ(out.substr(0, out.find('\n')),
            "\\documentstyle[a5j,11pt,twocolumn,fleqn,tascmac]{treport}");
  ExpectGolden("tex_a5_vertical_landscape.tex", out);
}

TEST(TexExportTest, VerticalA5PortraitWithoutTitles) {
  TexSettings s;
  s.Yoshi = 1;
  s.MojiHoko = 1;
  s.MojiSize = 2;
  s.Style = 2;
  s.TitleTitle = s.TitleChosha = s.TitleDate = s.TitleUserName = false;
  s.NumHenkan = false;
  TexWriter w(s, J("山田"), store::Date{2026, 1, 7});
  const std::string out = Export(w, TexPages());
  EXPECT_EQ(out.substr(0, out.find('\n')), "\\documentstyle[a5p,12pt,fleqn,tascmac]{tbook}");
  ExpectGolden("tex_a5_vertical_portrait.tex", out);
}

TEST(TexExportTest, EmptyDocumentTitleAndSingleLineEnds) {
  TexSettings s;
  s.KaigyoHenkan = false;
  s.TitleChosha = s.TitleDate = s.TitleUserName = false;
  TexWriter w(s, J("山田"), store::Date{2026, 1, 7});
  std::string head;
  w.Head(&head);
  EXPECT_EQ(head.find("\\title"), std::string::npos);
  EXPECT_EQ(head.find("\\maketitle"), std::string::npos);
  EXPECT_EQ(head.find("\\author"), std::string::npos);
  EXPECT_TRUE(head.ends_with("\\begin{document}\n\\baselineskip=5.52777777777778mm\n")) << head;
  std::string page;
  w.Page(TexPages()[0], &page);
  EXPECT_EQ(page, J("\\noindent\n{\\large\\bf 春　}\n\n\\smallskip\n"
                    "今日は１２，３歩，歩いた。$x^2$\n\n二段落目 % そのまま\n"));
  page.clear();
  w.Page(TexPages()[1], &page);
  EXPECT_EQ(page, J("\n\\vskip 13mm\n\\noindent\n{\\large\\bf }\n\n\\smallskip\n"
                    "２０２４年の\\textbf{初日}\n"));
}

TEST(TexExportTest, MojiHenkan) {
  struct Case {
    const char* in;
    bool num, comma;
    const char* want;
  } const cases[] = {
      {"１２，３", true, true, "一二、三"},
      {"１２，３", true, false, "一二，三"},
      {"１２，３", false, true, "１２、３"},
      {"１２，３", false, false, "１２，３"},
      {"0123,４５６７８９０", true, true, "0123,四五六七八九〇"},
  };
  for (const Case& c : cases) EXPECT_EQ(MojiHenkan(J(c.in), c.num, c.comma), J(c.want)) << c.in;
  // A lone lead byte at the end is kept.
  EXPECT_EQ(MojiHenkan(J("ア，") + "\x82", true, true), J("ア、") + "\x82");
}

// ---- Settings ----

class ExportSettingsTest : public ::testing::Test {
 protected:
  std::string Path() const { return (dir_.path() + "/sorakumo.conf").toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(ExportSettingsTest, MissingValuesGiveTheDefaults) {
  settings::SettingsStore reg(Path());
  TextExportSettings t;
  t.PageKan = 9;
  t.Load(reg);
  EXPECT_EQ(t, TextExportSettings{});
  HtmlSettings h;
  h.Gyokan = 7;
  h.Load(reg);
  EXPECT_EQ(h, HtmlSettings{});
  EXPECT_EQ(h.PageTitle.Size, 10.5);
  TexSettings x;
  x.InputFileName = {"a"};
  x.Load(reg);
  EXPECT_EQ(x, TexSettings{});
}

TEST_F(ExportSettingsTest, RoundTripThroughTheFile) {
  TextExportSettings t;
  t.FileName = J("/home/u/日記.txt");
  t.AllPage = false;
  t.PageCount = 5;
  t.SaveBunrui = t.SaveChosha = t.SaveText = false;
  t.PageKan = 0;

  HtmlSettings h;
  h.Honbun = {J("IPA明朝"), 0x00123456, 10.5, 7};
  h.PageTitle = {J("ゴシック"), 0xFF, 10.5, 1};
  h.DocumentTitle = {"Serif", 0xFF00, 24.75, 2};
  h.DocumentTitleText = J("表題");
  h.TitleChosha = h.TitleUserName = false;
  h.Gyokan = 1.25;
  h.Pagekan = 4;
  h.DispGazo = false;
  h.GazoDispPos = 1;
  h.GazoToSmall = h.GazoToLarge = true;
  h.GazoMaxWidth = 60.5;
  h.GazoMinWidth = 12.25;
  h.AllPage = false;
  h.PageCount = 3;
  h.HTMLFileName = J("/tmp/出力.html");

  TexSettings x;
  x.Yoshi = 3;
  x.YoshiMuki = 1;
  x.MojiHoko = 1;
  x.MojiSize = 2;
  x.Dangumi = 1;
  x.Style = 2;
  x.Gyokan = 1.5;
  x.Dankan = 8;
  x.Pagekan = 20;
  x.LeftMargin = 10.1;
  x.RightMargin = 11.2;
  x.TopMargin = 12.3;
  x.BottomMargin = 13.4;
  x.ParIndent = 2;
  x.InputFileName = {"a.sty", J("縦.tex")};
  x.TeXFileName = J("出力.tex");
  x.DocumentTitle = J("表題");
  x.TitleDate = false;
  x.AllPage = false;
  x.PageCount = 7;
  x.CommaHenkan = x.NumHenkan = x.KaigyoHenkan = false;
  {
    settings::SettingsStore reg(Path());
    t.Save(reg);
    h.Save(reg);
    x.Save(reg);
    ASSERT_TRUE(reg.Sync().ok());
  }
  settings::SettingsStore reg(Path());
  TextExportSettings t2;
  t2.Load(reg);
  EXPECT_EQ(t2, t);
  HtmlSettings h2;
  h2.Load(reg);
  // The two title sizes are kept as whole points.
  HtmlSettings want = h;
  want.PageTitle.Size = 10;
  want.DocumentTitle.Size = 24;
  EXPECT_EQ(h2, want);
  EXPECT_EQ(h2.Honbun.Size, 10.5);
  TexSettings x2;
  x2.Load(reg);
  EXPECT_EQ(x2, x);

  // The values live under their own keys with their own names.
  ASSERT_TRUE(reg.OpenKey("\\Software\\sorakumo\\HTML", false));
  EXPECT_EQ(reg.ReadString("DocumentTitle"), J("表題"));
  EXPECT_EQ(reg.ReadInteger("PageTitleFontSize", -1), 10);
  EXPECT_EQ(reg.ReadFloat("HonbunFontSize", -1), 10.5);
  ASSERT_TRUE(reg.OpenKey("\\Software\\sorakumo\\TeX", false));
  EXPECT_EQ(reg.ReadStringList("InputFileName"), x.InputFileName);
  ASSERT_TRUE(reg.OpenKey(settings::kRootKey, false));
  EXPECT_EQ(reg.ReadInteger("SaveTextPageCount", -1), 5);
  EXPECT_FALSE(reg.ReadBool("SaveTextSaveBunrui", true));
}

}  // namespace
}  // namespace sk::exchange
