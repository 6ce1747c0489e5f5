#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/cp932.h"
#include "settings/main_settings.h"

namespace sk::settings {
namespace {

using Lines = std::vector<std::string>;

// CP932 bytes of UTF-8 text.
std::string J(std::string_view utf8) {
  std::string out;
  EXPECT_TRUE(cp932::FromUtf8ToCp932(utf8, &out)) << utf8;
  return out;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::string Path() const { return (dir_.path() + "/sorakumo.conf").toStdString(); }
  void WriteFile(const QByteArray& content) const {
    QFile f(QString::fromStdString(Path()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  QStringList FilesInDir() const { return QDir(dir_.path()).entryList(QDir::Files); }

  QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, DefaultPathFollowsTheEnvironment) {
  const QByteArray saved[] = {qgetenv("SORAKUMO_CONFIG_DIR"), qgetenv("XDG_CONFIG_HOME"),
                              qgetenv("HOME")};
  qputenv("HOME", "/home/u");
  qputenv("XDG_CONFIG_HOME", "/xdg");
  qputenv("SORAKUMO_CONFIG_DIR", "/tmp/t");
  EXPECT_EQ(SettingsStore::DefaultPath(), "/tmp/t/sorakumo.conf");
  qunsetenv("SORAKUMO_CONFIG_DIR");
  EXPECT_EQ(SettingsStore::DefaultPath(), "/xdg/sorakumo/sorakumo.conf");
  qputenv("XDG_CONFIG_HOME", "relative");  // not absolute: ignored
  EXPECT_EQ(SettingsStore::DefaultPath(), "/home/u/.config/sorakumo/sorakumo.conf");
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsStore::DefaultPath(), "/home/u/.config/sorakumo/sorakumo.conf");
  const char* names[] = {"SORAKUMO_CONFIG_DIR", "XDG_CONFIG_HOME", "HOME"};
  for (int i = 0; i < 3; ++i) {
    if (saved[i].isNull()) {
      qunsetenv(names[i]);
    } else {
      qputenv(names[i], saved[i]);
    }
  }
}

TEST_F(SettingsStoreTest, ValuesRoundTripThroughTheFile) {
  const std::string sub = std::string(kRootKey) + "\\" + J("日記 a%b;c=d [x].dbf");
  const std::string odd_bytes = "\x80\xA0\xFD\x85\x40@x, y;z\r\n\t\"=\\ end\x82";
  {
    SettingsStore store(Path());
    ASSERT_TRUE(store.OpenKey(sub, true));
    store.WriteString("Text", J("ＭＳ 明朝　表示"));
    store.WriteString("Odd", odd_bytes);
    store.WriteString("Empty", "");
    store.WriteString(J("記念日"), J("元日"));
    store.WriteInteger("Min", INT_MIN);
    store.WriteInteger("Max", INT_MAX);
    store.WriteBool("On", true);
    store.WriteBool("Off", false);
    store.WriteFloat("F", -12.75);
    store.WriteStringList("L", {J("一行目"), "", "a\\b"});
    store.CloseKey();
    ASSERT_TRUE(store.Sync());
  }
  SettingsStore store(Path());
  EXPECT_EQ(store.TakeNotice(), "");
  ASSERT_TRUE(store.OpenKey(sub, false));
  EXPECT_EQ(store.ReadString("Text"), J("ＭＳ 明朝　表示"));
  EXPECT_EQ(store.ReadString("Odd"), odd_bytes);
  EXPECT_TRUE(store.ValueExists("Empty"));
  EXPECT_EQ(store.ReadString("Empty", "x"), "");
  EXPECT_EQ(store.ReadString(J("記念日")), J("元日"));
  EXPECT_EQ(store.ReadInteger("Min"), INT_MIN);
  EXPECT_EQ(store.ReadInteger("Max"), INT_MAX);
  EXPECT_EQ(store.ReadInteger("On"), 1);  // bools are the integers 0 and 1
  EXPECT_EQ(store.ReadInteger("Off", 7), 0);
  EXPECT_TRUE(store.ReadBool("On"));
  EXPECT_FALSE(store.ReadBool("Off", true));
  EXPECT_EQ(store.ReadFloat("F"), -12.75);
  EXPECT_EQ(store.ReadStringList("L"), (Lines{J("一行目"), "", "a\\b"}));
  EXPECT_EQ(store.ReadString("L"), J("一行目") + "\r\n\r\na\\b\r\n");
}

TEST_F(SettingsStoreTest, FloatIsEightLittleEndianBytesAndAnyPatternRoundTrips) {
  // Patterns that stress the file's escaping: every byte value next to hex digits, NUL and "\".
  auto pattern = [](int b) {
    const unsigned char bytes[8] = {static_cast<unsigned char>(b), '1', 'a',
                                    static_cast<unsigned char>(b), 0,   'F',
                                    static_cast<unsigned char>(b), '\\'};
    uint64_t bits;
    std::memcpy(&bits, bytes, 8);  // the test host is little-endian, like the file
    return bits;
  };
  {
    SettingsStore store(Path());
    ASSERT_TRUE(store.OpenKey(kRootKey, true));
    store.WriteFloat("MaxOrikaeshiHabaCm", 1.5);
    for (int b = 0; b < 256; ++b) {
      store.WriteFloat("P" + std::to_string(b), std::bit_cast<double>(pattern(b)));
    }
  }
  {
    QSettings raw(QString::fromStdString(Path()), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Software/sorakumo/MaxOrikaeshiHabaCm"),
              QVariant(QByteArray("\0\0\0\0\0\0\xF8\x3F", 8)));
  }
  SettingsStore store(Path());
  ASSERT_TRUE(store.OpenKey(kRootKey, false));
  EXPECT_EQ(store.ReadFloat("MaxOrikaeshiHabaCm"), 1.5);
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(std::bit_cast<uint64_t>(store.ReadFloat("P" + std::to_string(b))), pattern(b))
        << "byte " << b;
  }
}

TEST_F(SettingsStoreTest, WrongTypeReadsAsTheDefault) {
  WriteFile(
      "[Software]\n"
      "sorakumo\\Word=12abc\n"
      "sorakumo\\Huge=4294967296\n"
      "sorakumo\\Digits=@ByteArray(12345678)\n"
      "sorakumo\\Short=@ByteArray(1234567)\n"
      "sorakumo\\Text=1.5\n"
      "sorakumo\\Yes=true\n"
      "sorakumo\\Two=2\n"
      "sorakumo\\Spaced= 42 \n"
      "sorakumo\\Invalid=@Invalid()\n"
      "sorakumo\\Comma=a, b\n");
  SettingsStore store(Path());
  EXPECT_EQ(store.TakeNotice(), "");
  ASSERT_TRUE(store.OpenKey(kRootKey, false));
  for (const char* name : {"Word", "Huge", "Digits", "Short", "Text", "Yes", "Invalid"}) {
    EXPECT_TRUE(store.ValueExists(name)) << name;
    EXPECT_EQ(store.ReadInteger(name, -7), -7) << name;
  }
  EXPECT_EQ(store.ReadInteger("Spaced"), 42);
  EXPECT_TRUE(store.ReadBool("Yes", true));
  EXPECT_FALSE(store.ReadBool("Yes", false));
  EXPECT_TRUE(store.ReadBool("Two", false));  // any value but 0 is true
  EXPECT_EQ(store.ReadFloat("Short", 2.5), 2.5);
  EXPECT_EQ(store.ReadFloat("Text", 2.5), 2.5);
  EXPECT_EQ(store.ReadString("Digits", "d"), "d");
  EXPECT_EQ(store.ReadStringList("Digits", {"d"}), Lines{"d"});
  EXPECT_EQ(store.ReadString("Comma"), "a, b");  // unquoted commas split in INI; joined again
}

TEST_F(SettingsStoreTest, ReadingNeverWritesAndKeysNeedCreation) {
  {
    SettingsStore store(Path());
    EXPECT_FALSE(store.OpenKey("\\Software\\sorakumo\\Print", false));
    store.WriteInteger("X", 1);  // no key open: dropped
    EXPECT_EQ(store.ReadInteger("X", 5), 5);

    ASSERT_TRUE(store.OpenKey("\\Software\\sorakumo\\Print", true));
    EXPECT_FALSE(store.ValueExists("X"));
    EXPECT_EQ(store.ReadInteger("X", 5), 5);
    EXPECT_EQ(store.ReadStringList("L", {"a"}), Lines{"a"});
    MainWindowSettings main;
    main.Read(store);
    ASSERT_TRUE(store.Sync());
  }
  EXPECT_TRUE(FilesInDir().isEmpty()) << FilesInDir().join(",").toStdString();

  // A created key stays open-able in this process, from any store on the file, parents too.
  SettingsStore other(Path());
  EXPECT_TRUE(other.OpenKey("\\Software\\sorakumo\\Print", false));
  EXPECT_TRUE(other.OpenKey("\\Software", false));
  EXPECT_FALSE(other.OpenKey("\\Software\\sorakumo\\HTML", false));
  ASSERT_TRUE(other.OpenKey("\\Software\\sorakumo\\HTML\\Deep", true));
  other.WriteInteger("X", 3);
  ASSERT_TRUE(other.Sync());

  // A key that holds a subkey exists in the file.
  QSettings raw(QString::fromStdString(Path()), QSettings::IniFormat);
  EXPECT_EQ(raw.value("Software/sorakumo/HTML/Deep/X").toInt(), 3);
}

TEST(SettingsKeyNameTest, PerFileKeyName) {
  struct Case {
    std::string path;
    std::string name;
  };
  const Case cases[] = {
      {"/home/a/Diary.DBF", "diary.dbf"},
      {"C:\\old\\MEMO.DBF", "memo.dbf"},
      {"D:Memo.Dbf", "memo.dbf"},
      {"memo.dbf", "memo.dbf"},
      // 0x5C inside a double-byte character is no separator; full-width letters keep their case.
      {J("/x/表ＡＢ\\能Q.DBF"), J("能q.dbf")},
      {J("C:\\表ＡＢ.DBF"), J("表ＡＢ.dbf")},
      {J("/x/ﾀﾞｲｱﾘｰ.DBF"), J("ﾀﾞｲｱﾘｰ.dbf")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PerFileKeyName(c.path), c.name) << cp932::ToUtf8(c.path);
  }
  EXPECT_EQ(PerFileKeyPath("/a/Memo.DBF"), "\\Software\\sorakumo\\memo.dbf");
}

TEST_F(SettingsStoreTest, SameFileNameInTwoFoldersSharesTheSubkey) {
  {
    SettingsStore store(Path());
    ASSERT_TRUE(store.OpenKey(PerFileKeyPath("/home/a/memo.dbf"), true));
    store.WriteStringList("Bunrui", {J("日記"), J("仕事")});
  }
  SettingsStore store(Path());
  ASSERT_TRUE(store.OpenKey(PerFileKeyPath("/mnt/b/MEMO.DBF"), false));
  EXPECT_EQ(store.ReadStringList("Bunrui"), (Lines{J("日記"), J("仕事")}));
  // Japanese file names too, with a 0x5C trail byte in the key path.
  ASSERT_TRUE(store.OpenKey(PerFileKeyPath(J("/a/表.DBF")), true));
  store.WriteInteger("OpenCount", 4);
  store.Sync();
  SettingsStore again(Path());
  ASSERT_TRUE(again.OpenKey(PerFileKeyPath(J("C:\\b\\表.dbf")), false));
  EXPECT_EQ(again.ReadInteger("OpenCount"), 4);
}

TEST(SettingsStringListTest, SplitAndJoin) {
  struct Case {
    std::string value;
    Lines lines;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},          {"", {}},       {"a\r\nb", {"a", "b"}},
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},  {"\r\n", {""}}, {"a\nb\rc\r\r\n", {"a", "b", "c", ""}},
      {J("表\r\n能"), {J("表"), J("能")}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitStringList(c.value), c.lines) << c.value;
  }
  EXPECT_EQ(JoinStringList({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinStringList({}), "");
}

TEST_F(SettingsStoreTest, UnreadableFileIsSetAsideWithOneNotice) {
  struct Case {
    const char* what;
    QByteArray content;
    bool set_aside;
  };
  const Case cases[] = {
      // QSettings reports a format error only for a section header without "]".
      {"unclosed section", "[Software\nsorakumo\\Top=5\n", true},
      {"NUL bytes", QByteArray("[Software]\nsorakumo\\Top=5\n\0\0\0\0", 30), true},
      {"not UTF-8", "\xFF\xFE\x89PNG garbage\nsorakumo\\Top=5\n", true},
      // A line without "=" is skipped by QSettings; the rest of the file is kept.
      {"stray line", "[Software]\nstray line\nsorakumo\\Top=5\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const QString& f : FilesInDir()) QFile::remove(dir_.path() + "/" + f);
    WriteFile(c.content);
    SettingsStore store(Path());
    const std::string notice = store.TakeNotice();
    EXPECT_EQ(store.TakeNotice(), "");  // given once
    store.OpenKey(kRootKey, true);
    if (!c.set_aside) {
      EXPECT_EQ(notice, "");
      EXPECT_EQ(store.ReadInteger("Top"), 5);
      continue;
    }
    EXPECT_NE(notice.find(Path()), std::string::npos) << notice;
    EXPECT_FALSE(store.ValueExists("Top"));
    const QStringList aside = QDir(dir_.path()).entryList({"sorakumo.conf.broken-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_NE(notice.find(aside[0].toStdString()), std::string::npos) << notice;
    QFile kept(dir_.path() + "/" + aside[0]);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), c.content);
    // The store works on a fresh file from here on.
    store.WriteInteger("Top", 8);
    ASSERT_TRUE(store.Sync());
    SettingsStore again(Path());
    EXPECT_EQ(again.TakeNotice(), "");
    again.OpenKey(kRootKey, false);
    EXPECT_EQ(again.ReadInteger("Top"), 8);
  }
}

// ---- The main window's values ----

enum class Kind { kInt, kBool, kFloat, kString, kList };
struct Expected {
  const char* name;
  Kind kind;
  const char* value;  // UTF-8; a list as entries joined by "|"
};

// Every value the main window stores, with its default.
const Expected kMainDefaults[] = {
    {"DisplayStatusBar", Kind::kInt, "0"},
    {"Top", Kind::kInt, "10"},
    {"Left", Kind::kInt, "130"},
    {"Height", Kind::kInt, "748"},
    {"Width", Kind::kInt, "650"},
    {"TextImageLocation", Kind::kInt, "2"},
    {"TextImageWH", Kind::kInt, "-1"},
    {"ImageForm", Kind::kInt, "2"},
    {"BunruiWidth", Kind::kInt, "83"},
    {"TitleWidth", Kind::kInt, "146"},
    {"ChoshaWidth", Kind::kInt, "146"},
    {"DateWidth", Kind::kInt, "119"},
    {"SmallCaptionDisp", Kind::kBool, "1"},
    {"SmallWindowFontName", Kind::kString, "ＭＳ Ｐゴシック"},
    {"SmallWindowFontSize", Kind::kInt, "10"},
    {"SmallWindowFontColor", Kind::kInt, "0"},
    {"SmallWindowFontStyle", Kind::kInt, "0"},
    {"FontName", Kind::kString, "ＭＳ 明朝"},
    {"TextFontSizeB", Kind::kInt, "10"},
    {"FontColor", Kind::kInt, "0"},
    {"FontStyle", Kind::kInt, "0"},
    {"TextBackColor", Kind::kInt, "16777215"},
    {"ImageBackColor", Kind::kInt, "15327190"},
    {"LastAccessedDBFileName", Kind::kString, ""},
    {"LastAccessedTxtFileName", Kind::kString, ""},
    {"RecentOpenedImageFileName", Kind::kString, ""},
    {"RecentOpenedImageFileDir", Kind::kString, ""},
    {"RecentOpenedTextFileName", Kind::kString, ""},
    {"RecentOpenedDBFAppendFileName", Kind::kString, ""},
    {"VScrollBarMode", Kind::kInt, "0"},
    {"WordWrapMode", Kind::kInt, "0"},
    {"TextFileWildCard", Kind::kString, "*.txt;*.htm*;*.tex"},
    {"TopMargin", Kind::kInt, "5"},
    {"LeftMargin", Kind::kInt, "20"},
    {"RightMargin", Kind::kInt, "20"},
    {"MaxOrikaeshiHabaCm", Kind::kFloat, "0"},
    {"ItemizeMode", Kind::kBool, "0"},
    {"ItemChar", Kind::kString, "●○◎★☆◆◇■□▲△▼▽・①②③④⑤⑥⑦⑧⑨"},
    {"ItemIndent", Kind::kInt, "2"},
    {"MiddleSkipPageCount", Kind::kInt, "10"},
    {"TabCount", Kind::kInt, "2"},
    {"AskOverWrite", Kind::kBool, "1"},
    {"ParIndent", Kind::kInt, "0"},
    {"CurSorPosAfterPaste", Kind::kInt, "0"},
    {"NotFoundMode", Kind::kInt, "0"},
    {"DispMemorialDay", Kind::kBool, "1"},
    {"ColorOfMemorialDay", Kind::kInt, "255"},
    {"HLComment", Kind::kList, "//|%"},
    {"HLKakko", Kind::kList, "<>"},
    {"HLCommand", Kind::kList, "\\|#"},
    {"HLKeyWordA", Kind::kList, ""},
    {"HLKeyWordB", Kind::kList, ""},
    {"HLKeyWordKanA", Kind::kList, "●"},
    {"HLKeyWordKanB", Kind::kList, "そらくも"},
    {"HLKeyWordKigoA", Kind::kList, ""},
    {"HLKeyWordKigoB", Kind::kList, ""},
    {"HLCommentStyle", Kind::kInt, "0"},
    {"HLKakkoStyle", Kind::kInt, "0"},
    {"HLCommandStyle", Kind::kInt, "0"},
    {"HLKeyWordAStyle", Kind::kInt, "0"},
    {"HLKeyWordBStyle", Kind::kInt, "0"},
    {"HLCommentColor", Kind::kInt, "0"},
    {"HLKakkoColor", Kind::kInt, "0"},
    {"HLCommandColor", Kind::kInt, "0"},
    {"HLKeyWordAColor", Kind::kInt, "16711680"},
    {"HLKeyWordBColor", Kind::kInt, "255"},
    {"HighLight", Kind::kInt, "1"},
    {"UnselectAfterCopy", Kind::kBool, "0"},
    {"DeleteSelectedStr", Kind::kBool, "0"},
    {"AddPageMode", Kind::kString, "0000000"},
    {"OpenIME", Kind::kBool, "0"},
    {"BackUp", Kind::kBool, "1"},
    {"DoGazoRefresh", Kind::kBool, "0"},
    {"GazoRefreshInterval", Kind::kInt, "2000"},
    {"FusenAutoRead", Kind::kBool, "1"},
    {"URLMail", Kind::kBool, "1"},
    {"AutoOpenFile", Kind::kBool, "0"},
    {"BackUpDeapth", Kind::kInt, "3"},
    {"OpenCountOfFileSlim", Kind::kInt, "10"},
    {"HideImageArea", Kind::kBool, "0"},
    {"TypeOfDateForTextOutput", Kind::kInt, "1"},
};

Lines ListOf(std::string_view joined) {
  Lines out;
  if (joined.empty()) return out;
  for (size_t pos = 0;;) {
    const size_t bar = joined.find('|', pos);
    out.push_back(J(joined.substr(pos, bar - pos)));
    if (bar == std::string_view::npos) return out;
    pos = bar + 1;
  }
}

TEST_F(SettingsStoreTest, MainSettingsEmptyStoreGivesDefaultsAndWriteStoresEveryValue) {
  {
    SettingsStore store(Path());
    MainWindowSettings s;
    s.Top = 99;  // Read starts over from the defaults
    s.Read(store);
    EXPECT_TRUE(s.first_run);
    MainWindowSettings defaults;
    defaults.first_run = true;
    EXPECT_EQ(s, defaults);
    EXPECT_EQ(s.TextImageWH, -1);  // derived by the window
    s.Write(store);
  }
  SettingsStore store(Path());
  ASSERT_TRUE(store.OpenKey(kRootKey, false));
  for (const Expected& e : kMainDefaults) {
    SCOPED_TRACE(e.name);
    ASSERT_TRUE(store.ValueExists(e.name));
    switch (e.kind) {
      case Kind::kInt:
      case Kind::kBool:  // stored as the integer 0 or 1
        EXPECT_EQ(store.ReadInteger(e.name, INT_MIN), std::stoi(e.value));
        break;
      case Kind::kFloat:
        EXPECT_EQ(store.ReadFloat(e.name, -1), std::stod(e.value));
        break;
      case Kind::kString:
        EXPECT_EQ(store.ReadString(e.name, "?"), J(e.value));
        break;
      case Kind::kList:
        EXPECT_EQ(store.ReadStringList(e.name, {"?"}), ListOf(e.value));
        break;
    }
  }
  EXPECT_FALSE(store.ValueExists("ImageDir"));  // kept only once folders are named
  MainWindowSettings again;
  again.Read(store);
  EXPECT_FALSE(again.first_run);
  EXPECT_EQ(again, MainWindowSettings{});
}

TEST_F(SettingsStoreTest, MainSettingsRoundTripAndClamps) {
  MainWindowSettings s;
  s.Top = -20;
  s.TextImageWH = 300;
  s.SmallCaptionDisp = false;
  s.FontName = J("ＩＰＡ明朝");
  s.MaxOrikaeshiHabaCm = 12.7;
  s.HLComment = {J("※"), ";"};
  s.HLKeyWordA = {"if", "else"};
  s.ImageDir = J("/home/u/画像*;/tmp");
  s.BackUp = false;
  {
    SettingsStore store(Path());
    s.Write(store);
  }
  SettingsStore store(Path());
  MainWindowSettings back;
  back.Read(store);
  EXPECT_EQ(back, s);

  struct Case {
    int backup_depth, slim;
    int read_depth, read_slim;
  };
  const Case cases[] = {{0, 0, 1, 10}, {12, 3, 9, 3}, {-5, -1, 1, -1}, {9, 1, 9, 1}};
  for (const Case& c : cases) {
    store.OpenKey(kRootKey, true);
    store.WriteInteger("BackUpDeapth", c.backup_depth);
    store.WriteInteger("OpenCountOfFileSlim", c.slim);
    back.Read(store);
    EXPECT_EQ(back.BackUpDeapth, c.read_depth) << c.backup_depth;
    EXPECT_EQ(back.OpenCountOfFileSlim, c.read_slim) << c.slim;
  }
}

TEST_F(SettingsStoreTest, MainSettingsWrongTypesReadDefaults) {
  WriteFile(
      "[Software]\n"
      "sorakumo\\Top=abc\n"
      "sorakumo\\Left=@ByteArray(12345678)\n"
      "sorakumo\\SmallCaptionDisp=false\n"
      "sorakumo\\FontName=@ByteArray(x)\n"
      "sorakumo\\MaxOrikaeshiHabaCm=12.5\n"
      "sorakumo\\HLComment=@ByteArray(12345678)\n"
      "sorakumo\\Width=700\n");
  SettingsStore store(Path());
  MainWindowSettings s;
  s.Read(store);
  EXPECT_FALSE(s.first_run);  // Top is there, if unreadable
  MainWindowSettings expected;
  expected.Width = 700;
  EXPECT_EQ(s, expected);
}

}  // namespace
}  // namespace sk::settings
