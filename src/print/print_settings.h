// The print settings as the layout reads them: the values of the print settings dialog at the
// moment a layout is built.  The number boxes of the dialog are free text, so their values are
// kept as the text shown and converted (with a default for a text that is no number) when used.
// Font names are CP932 bytes, as every name the program keeps.
#pragma once

#include <string>
#include <vector>

namespace sk::settings {
class SettingsStore;
}

namespace sk::print {

// The three text kinds of a layout, each with its own font.
enum TextKind { kBodyText = 0, kPageTitle = 1, kDocTitle = 2 };

struct PrintFontSetting {
  std::string name = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";  // "ＭＳ 明朝"
  double size = 10.6;                                         // points
  int style = 0;  // bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out
  int color = 0;  // 0x00BBGGRR
};

struct PrintSettings {
  int Yoshi = 0;     // paper: 0 A4 portrait, 1 A4 landscape, ... 7 B5 landscape
  int MojiHoko = 0;  // 0 horizontal, 1 vertical writing
  int Fukuro = 1;    // 1: bag binding (two pages side by side on a sheet)
  int Dangumi = 0;   // 0 one column, 1 two columns per page
  std::string LeftMargin = "20", RightMargin = "20", TopMargin = "20", BottomMargin = "20";  // mm
  std::string FukuroWidth = "40";  // mm, blank between the halves in bag binding
  std::string Dankan = "10";       // mm, gap between columns
  std::string Gyokan = "2";        // mm, gap between lines
  std::string Pagekan = "20";      // mm, gap after one page's text
  std::string ParIndent = "0";     // full-width characters, first line of a paragraph
  int ImagePos = 0;                // 0 no pictures, 1 line start, 2 line end
  std::string ImageWidth = "50";   // mm, size of a picture across the line
  bool CommaHenkan = true;         // vertical writing: "，" -> "、"
  bool NumHenkan = true;           // vertical writing: full-width digits -> kanji digits
  bool DocTitleOneColumn = true;   // document title one column wide in two-column layouts
  PrintFontSetting DocTitleFont{.size = 12};
  PrintFontSetting PageTitleFont{.size = 11};
  PrintFontSetting TextFont{.size = 10.6};
  int TabCount = 2;  // the main window's tab width in half-width characters

  // The rest of the dialog: what the page flow and the preview read besides the above.
  bool ToLarge = false;         // enlarge small pictures (shown and kept; the layout scales all)
  int PageNum = 0;              // 0 print page numbers, 1 not
  bool AllPage = true;          // all pages of the selection, else PageCount from the current
  std::string PageCount = "1";  // pages from the current one (text of the box)
  bool TitleTitle = false, TitleSubTitle = false, TitleDate = false, TitleUserName = false;
  std::vector<std::string> DocTitleHistory;  // the document titles used, most recent first
  std::string DocTitle;                      // the document title to print ("" none)
  std::string MyName;  // the user name of the main settings
};

// The dialog's values kept under the key "\Software\sorakumo\Print": each read once when the
// dialog is made and written whenever it closes.  Number boxes are stored as floats (a text that
// is no number stores its default; the page count truncated to an integer, 1 when no number) and
// shown in the shortest decimal form.  TabCount and DocTitle are not stored.
void LoadPrintSettings(settings::SettingsStore& reg, PrintSettings* s);
void SavePrintSettings(settings::SettingsStore& reg, const PrintSettings& s);
// A number in the shortest decimal form that reads back as the same double ("20", "10.5").
std::string ShortestNumber(double v);

}  // namespace sk::print
