// The three export formats: plain text, HTML and TeX, one page at a time.
//
// Everything here is CP932 bytes in and out.  A writer is told about the document once (Head),
// then about each page in the order they are written (Page), then closes it (Tail); it appends
// its bytes to a string and never touches a file (export_run.h writes them).
//
// Plain text (TextOfOneDayToFile), lines ending in LF only, each line only when its option is on:
//   "●" date (one of the ten styles of FormatTextDate)
//   "●" caption[0] " = " category (trimmed)
//   "●" caption[1] " = " title (trimmed)
//   "●" caption[2] " = " subtitle (trimmed)
//   "●" caption[4] " = " the image part of IMAGEFILE (images::GetPureImageFileNames)
//   the text, split at CR LF, CR or LF, each line + LF (an empty text writes nothing, a final
//   line break no extra line)
//   then PageKan LF bytes, whatever the options.
//
// HTML (HtmlWriter): a head with three CSS rules (#normalline, #pagetitleline and, with a document
// title, #documenttitleline), a META naming Shift_JIS right after <HEAD>, the document title
// centred, then per page a separator (<BR> with CLEAR= after a left or right image table), the
// page title line, the text with <BR> between lines, and the image table before or after the
// text.  Nothing is escaped: the page text may hold HTML.
//
// TeX (TexWriter): a "\documentstyle[" preamble for the j classes (horizontal writing) or the
// t classes (vertical), the pages with a title line in bold and the text lines unchanged (in
// vertical writing full-width digits and commas substituted), "\end{document}".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/status.h"
#include "store/table.h"

namespace sk::settings {
class SettingsStore;
}

namespace sk::exchange {

// One page as the exports read it: the fields as stored (CP932).
struct ExportPage {
  std::string bunrui, title, subtitle;
  std::string date;  // "YYYYMMDD", or "" when blank
  std::string text;  // CR LF line ends
  std::string imagefile;
};
// The fields of the table's current record.
Status ReadExportPage(const store::Table& t, ExportPage* page);
// The positions of the page's fields in the table, looked up once for a pass over many pages.
struct ExportFields {
  int bunrui = -1, title = -1, subtitle = -1, date = -1, text = -1, imagefile = -1;
};
ExportFields ExportFieldsOf(const store::Table& t);
Status ReadExportPage(const store::Table& t, const ExportFields& f, ExportPage* page);
// Every field but TEXT (page->text is left as it is).
Status ReadExportPageHeader(const store::Table& t, const ExportFields& f, ExportPage* page);

// The page's date in the ten styles of the text export (1 "2010/03/21" ... 10
// "二〇一〇年三月二一日（日）"); "" for any other code and for a blank or invalid date.
std::string FormatTextDate(std::string_view yyyymmdd, int code);
// The date of an HTML or TeX page title: "2010年3月21日(日)"; vertical:
// "二〇一〇年三月二一日（日）".
// "" for a blank or invalid date.
std::string FormatTitleDate(std::string_view yyyymmdd, bool vertical);
// A number in shortest general form with up to 15 significant digits ("10.5", "16.1692913385827").
std::string FormatNumber(double v);

// Splits a page text into lines at CR LF, CR or LF; a line break at the very end gives no extra
// empty line, an empty text no line at all.
std::vector<std::string_view> SplitTextLines(std::string_view text);

// A writer of one export format.
class PageExporter {
 public:
  virtual ~PageExporter() = default;
  virtual void Head(std::string* out) = 0;
  virtual void Page(const ExportPage& page, std::string* out) = 0;
  virtual void Tail(std::string* out) = 0;
  // A writer that can take the page text where the table holds it (no copy) says so; it is
  // then given the page with `text` left empty and the text beside it.
  virtual bool TakesTextView() const { return false; }
  virtual void PageView(const ExportPage& page, std::string_view text, std::string* out) {
    (void)text;
    Page(page, out);
  }
};

// ---- Plain text ----

// The text export dialog's values, kept under the main settings key ("SaveTextFileName", ...).
struct TextExportSettings {
  std::string FileName;  // CP932, as typed
  bool AllPage = true;
  int PageCount = -1;
  bool SaveBunrui = true, SaveTitle = true, SaveChosha = true, SaveDate = true,
       SaveImageFileName = true, SaveText = true;
  int PageKan = 2;

  bool operator==(const TextExportSettings&) const = default;
  void Load(settings::SettingsStore& reg);        // from the root key
  void Save(settings::SettingsStore& reg) const;  // to the root key
};

// Appends one page's record to *out.  captions: the five field captions (CP932); date_type: the
// "TypeOfDateForTextOutput" code.
void TextOfOneDayToFile(const ExportPage& page, const TextExportSettings& s, int date_type,
                        const std::vector<std::string>& captions, std::string* out);
// The same with the page text given apart from the page.
void TextOfOneDayToFile(const ExportPage& page, std::string_view text, const TextExportSettings& s,
                        int date_type, const std::vector<std::string>& captions, std::string* out);

class TextExporter : public PageExporter {
 public:
  // utf8: the whole output in UTF-8 instead of CP932 (the command line's --utf8).
  TextExporter(TextExportSettings s, int date_type, std::vector<std::string> captions,
               bool utf8 = false);
  void Head(std::string*) override {}
  void Page(const ExportPage& page, std::string* out) override;
  void Tail(std::string*) override {}
  bool TakesTextView() const override { return true; }
  void PageView(const ExportPage& page, std::string_view text, std::string* out) override;

 private:
  TextExportSettings s_;
  int date_type_;
  std::vector<std::string> captions_;
  bool utf8_;
  std::string buf_;
};

// ---- HTML ----

// A font of the HTML export: name (CP932), colour 0x00BBGGRR, size in points, style bits
// (1 bold, 2 italic, 4 underline, 8 strike-out).
struct HtmlFont {
  std::string Name = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9";  // "ＭＳ 明朝"
  int Color = 0;
  double Size = 10.5;
  int Style = 0;
  bool operator==(const HtmlFont&) const = default;
};

// The HTML dialog's values, key "\Software\sorakumo\HTML".
struct HtmlSettings {
  HtmlFont Honbun, PageTitle, DocumentTitle;  // page and document title sizes stored truncated
  std::string DocumentTitleText;              // value "DocumentTitle"
  bool TitleTitle = true, TitleChosha = true, TitleDate = true, TitleUserName = true;
  double Gyokan = 2.0;  // mm
  int Pagekan = 2;      // lines
  bool DispGazo = true;
  int GazoDispPos = 3;  // 1 left, 2 centre, 3 right
  bool GazoToSmall = false;
  double GazoMaxWidth = 50.0;  // mm
  bool GazoToLarge = false;
  double GazoMinWidth = 30.0;  // mm
  bool AllPage = true;
  int PageCount = 1;
  std::string HTMLFileName;  // CP932

  bool operator==(const HtmlSettings&) const = default;
  void Load(settings::SettingsStore& reg);
  void Save(settings::SettingsStore& reg) const;
};

// What the HTML writer needs from outside the page file.
struct HtmlContext {
  std::string page_file_name;  // the open page file's name without folder (CP932)
  std::string my_name;         // the "MyName" value (CP932)
  // The width limits in screen pixels: truncate(pixels per inch × 0.03937007874015748 × mm).
  int max_image_pixels = 0, min_image_pixels = 0;
  // The full path (CP932) of a listed picture name without folder, looked up along the image
  // folders; nullopt when none holds it.  Unset: no image folder, no image table.
  std::function<std::optional<std::string>(std::string_view bare_name)> find_image;
  // The pixel size of a JPEG or BMP file (path CP932); false when it cannot be read.
  std::function<bool(const std::string& path, int* width, int* height)> image_size;
};

// Appends a file path (CP932) as it may stand in an <IMG SRC="...">: '"', '#', '?', '%' and
// control bytes percent-encoded.
void AppendUrlPath(std::string_view path, std::string* out);

// The pixel count of a width in mm on a screen of `dpi` pixels per inch.
int HtmlImagePixels(double dpi, double mm);

class HtmlWriter : public PageExporter {
 public:
  HtmlWriter(HtmlSettings s, HtmlContext c);
  void Head(std::string* out) override;
  void Page(const ExportPage& page, std::string* out) override;
  void Tail(std::string* out) override;
  bool TakesTextView() const override { return true; }
  void PageView(const ExportPage& page, std::string_view text, std::string* out) override;

 private:
  void FputGazo(const ExportPage& page, std::string* out);
  HtmlSettings s_;
  HtmlContext c_;
  bool first_ = true;
  int LastImageAlign = 0;  // 1 left, 2 right, 0 none or centre
};

// ---- TeX ----

// The TeX dialog's values, key "\Software\sorakumo\TeX".
struct TexSettings {
  int Yoshi = 0;                                       // 0 A4, 1 A5, 2 B4, 3 B5
  int YoshiMuki = 0;                                   // 0 portrait, 1 landscape
  int MojiHoko = 0;                                    // 0 horizontal, 1 vertical writing
  int MojiSize = 0;                                    // 0 10pt, 1 11pt, 2 12pt
  int Dangumi = 0;                                     // 0 one column, 1 two
  int Style = 0;                                       // 0 article, 1 report, 2 book
  double Gyokan = 2.0, Dankan = 10.0, Pagekan = 15.0;  // mm
  double LeftMargin = 25.4, RightMargin = 25.4, TopMargin = 25.4, BottomMargin = 25.4;
  double ParIndent = 1.0;                  // full-width characters
  std::vector<std::string> InputFileName;  // one name per line (CP932)
  std::string TeXFileName;                 // CP932
  std::string DocumentTitle;               // CP932
  bool TitleTitle = true, TitleChosha = true, TitleDate = true, TitleUserName = true;
  bool AllPage = true;
  int PageCount = 1;
  bool CommaHenkan = true, NumHenkan = true, KaigyoHenkan = true;

  bool operator==(const TexSettings&) const = default;
  void Load(settings::SettingsStore& reg);
  void Save(settings::SettingsStore& reg) const;
};

// The vertical-writing substitutions of a line, byte length kept: full-width digits to kanji
// digits (num), "，" to "、" (comma).
std::string MojiHenkan(std::string_view line, bool num, bool comma);

class TexWriter : public PageExporter {
 public:
  // today: the date of the title block; my_name CP932.
  TexWriter(TexSettings s, std::string my_name, store::Date today);
  void Head(std::string* out) override;
  void Page(const ExportPage& page, std::string* out) override;
  void Tail(std::string* out) override;

 private:
  TexSettings s_;
  std::string my_name_;
  store::Date today_;
  bool first_ = true;
};

}  // namespace sk::exchange
