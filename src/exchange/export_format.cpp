#include "exchange/export_format.h"

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <variant>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "convert/cp932.h"
#include "convert/sjis.h"
#include "convert/text_convert.h"
#include "images/image_list.h"
#include "settings/settings_store.h"
#include "store/keys.h"

namespace sk::exchange {

namespace {

// CP932 pieces of the output.
constexpr std::string_view kMaru = "\x81\x9c";      // "●"
constexpr std::string_view kNen = "\x94\x4e";       // "年"
constexpr std::string_view kGatsu = "\x8c\x8e";     // "月"
constexpr std::string_view kNichi = "\x93\xfa";     // "日"
constexpr std::string_view kZenOpen = "\x81\x69";   // "（"
constexpr std::string_view kZenClose = "\x81\x6a";  // "）"
constexpr std::string_view kZenSpace = "\x81\x40";  // "　"
constexpr std::string_view kZenComma = "\x81\x43";  // "，"
constexpr std::string_view kTouten = "\x81\x41";    // "、"
constexpr std::string_view kShortWeekday[7] = {"\x93\xfa", "\x8c\x8e", "\x89\xce", "\x90\x85",
                                               "\x96\xd8", "\x8b\xe0", "\x93\x79"};  // 日..土
constexpr const char* kMonthName[12] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
constexpr const char* kWeekdayName[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};

struct Ymd {
  int y = 0, m = 0, d = 0, wday = 0;  // wday 0 Sunday
};

// A valid calendar date from "YYYYMMDD".
bool ParseYmd(std::string_view s, Ymd* out) {
  if (s.size() != 8) return false;
  int y, m, d;
  if (!store::ParseDate8(s.data(), &y, &m, &d)) return false;
  static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return false;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (m == 2 && d == 29 && !leap) return false;
  const long jdn = long(store::JulianDay(y, m, d));
  *out = {y, m, d, int((jdn + 1) % 7)};
  return true;
}

// A non-negative number in decimal, at least `width` digits (leading zeros).
void AppendInt(std::string* out, long long v, int width = 1) {
  char buf[24];
  char* p = buf + sizeof buf;
  unsigned long long u =
      v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  do {
    *--p = char('0' + u % 10);
    u /= 10;
  } while (u);
  while (buf + sizeof buf - p < width) *--p = '0';
  if (v < 0) *--p = '-';
  out->append(p, size_t(buf + sizeof buf - p));
}

// "yyyy年m月d日"
std::string NenGappi(const Ymd& t) {
  std::string s;
  AppendInt(&s, t.y, 4);
  s += kNen;
  AppendInt(&s, t.m);
  s += kGatsu;
  AppendInt(&s, t.d);
  s += kNichi;
  return s;
}

std::string_view At(const std::vector<std::string>& v, size_t i) {
  return i < v.size() ? std::string_view(v[i]) : std::string_view();
}

#if defined(__x86_64__)
// 64 bytes a step without a branch: each CR followed by LF is dropped and any other CR becomes
// LF (compressed out with the byte masks of AVX-512 VBMI2).  Stops 64 bytes and one before the
// end, so that the byte after each block can be looked at; returns where it stopped.
__attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt"))) const char* LinesAvx512(
    const char* p, const char* end, char** dst_io) {
  char* dst = *dst_io;
  const __m512i cr = _mm512_set1_epi8('\r'), lf = _mm512_set1_epi8('\n');
  while (end - p > 64) {
    const __m512i v = _mm512_loadu_si512(p);
    const __mmask64 is_cr = _mm512_cmpeq_epi8_mask(v, cr);
    const __mmask64 lf_next = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p + 1), lf);
    const __mmask64 keep = ~(is_cr & lf_next);
    const __m512i fixed = _mm512_mask_mov_epi8(v, is_cr & ~lf_next, lf);
    _mm512_storeu_si512(dst, _mm512_maskz_compress_epi8(keep, fixed));
    dst += _mm_popcnt_u64(keep);
    p += 64;
  }
  *dst_io = dst;
  return p;
}
#endif

// The text with CR LF and CR made LF, ending in LF unless empty.
void AppendTextLines(std::string_view text, std::string* out) {
  if (text.empty()) return;
  // The output is never longer than the text (plus a final LF), and every block store writes at
  // or before the place of the bytes it read, so the stores stay inside the room made here.
  const size_t old = out->size();
  out->resize(old + text.size() + 1);
  char* dst = out->data() + old;
  const char* p = text.data();
  const char* const end = p + text.size();
#if defined(__x86_64__)
  static const bool vbmi2 =
      __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("avx512bw");
  if (vbmi2) p = LinesAvx512(p, end, &dst);
#endif
#ifdef __SSE2__
  // 16 bytes at a time, stopping at each CR.
  const __m128i cr = _mm_set1_epi8('\r');
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), v);
    const unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
    if (mask == 0) {
      p += 16;
      dst += 16;
      continue;
    }
    const int k = __builtin_ctz(mask);
    p += k + 1;
    dst += k;
    if (p == end || *p != '\n') *dst++ = '\n';  // a lone CR; CR LF keeps its LF
  }
#endif
  for (; p < end; ++p) {
    if (*p != '\r') {
      *dst++ = *p;
    } else if (p + 1 == end || p[1] != '\n') {
      *dst++ = '\n';
    }
  }
  const char last = text.back();
  if (last != '\n' && last != '\r') *dst++ = '\n';
  out->resize(size_t(dst - out->data()));
}

// Copies the bytes from p up to the first CR or LF (or the end) to *dst; returns where it stopped.
// Stores 16 bytes at a time, so *dst needs room for what it copies plus 16.
const char* CopyToLineEnd(const char* p, const char* end, char** dst_io) {
  char* dst = *dst_io;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), v);
    const unsigned mask =
        unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
    if (mask != 0) {
      const int k = __builtin_ctz(mask);
      *dst_io = dst + k;
      return p + k;
    }
    p += 16;
    dst += 16;
  }
#endif
  while (p < end && *p != '\r' && *p != '\n') *dst++ = *p++;
  *dst_io = dst;
  return p;
}

// The number of CR and LF bytes in the text.
size_t CountLineBreakBytes(std::string_view text) {
  size_t count = 0, i = 0;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    count += size_t(__builtin_popcount(
        unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))))));
  }
#endif
  for (; i < text.size(); ++i) count += text[i] == '\r' || text[i] == '\n';
  return count;
}

// The lines of a page text in HTML: each line followed by LF, "<BR>" and LF between lines (a
// final line break makes no empty line).
void AppendHtmlLines(std::string_view text, std::string* out) {
  if (text.empty()) return;
  // Room: a line break (one or two bytes) becomes at most six, and the 16-byte stores of the copy
  // never run past the place of the bytes they read plus what the breaks before them added.
  const size_t breaks = CountLineBreakBytes(text);
  const size_t old = out->size();
  out->resize(old + text.size() + 5 * breaks + 1);
  char* dst = out->data() + old;
  const char* p = text.data();
  const char* const end = p + text.size();
  for (;;) {
    p = CopyToLineEnd(p, end, &dst);
    const char* next = p == end ? end : p + 1 + (*p == '\r' && p + 1 < end && p[1] == '\n');
    if (next == end) {
      *dst++ = '\n';
      break;
    }
    std::memcpy(dst, "\n<BR>\n", 6);
    dst += 6;
    p = next;
  }
  out->resize(size_t(dst - out->data()));
}

std::string Hex6(int color) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF,
                (color >> 16) & 0xFF);
  return buf;
}

std::string OpenTags(int style) {
  std::string s;
  if (style & 1) s += "<B>";
  if (style & 2) s += "<I>";
  if (style & 4) s += "<U>";
  return s;
}

std::string CloseTags(int style) {
  std::string s;
  if (style & 4) s += "</U>";
  if (style & 2) s += "</I>";
  if (style & 1) s += "</B>";
  return s;
}

constexpr double kMmToPoint = 2.834645669291339;

void AppendFontRule(std::string* out, std::string_view id, const HtmlFont& f, double gyokan) {
  const double l = gyokan * kMmToPoint;
  *out += "#";
  *out += id;
  *out += "{line-height:";
  *out += FormatNumber(l + f.Size);
  *out += "pt; font-size:";
  *out += FormatNumber(f.Size);
  *out += "pt;font-family:";
  *out += f.Name;
  *out += ";color:#";
  *out += Hex6(f.Color);
  *out += "}\n";
}

// A title size stored as an integer; a missing value keeps the in-memory default.
double ReadTitleSize(const settings::SettingsStore& reg, std::string_view name, double def) {
  const int v = reg.ReadInteger(name, INT_MIN);
  return v == INT_MIN ? def : double(v);
}

void LoadFont(const settings::SettingsStore& reg, std::string_view prefix, bool int_size,
              HtmlFont* f) {
  const HtmlFont d;
  const std::string p(prefix);
  f->Name = reg.ReadString(p + "FontName", d.Name);
  f->Color = reg.ReadInteger(p + "FontColor", d.Color);
  f->Size =
      int_size ? ReadTitleSize(reg, p + "FontSize", d.Size) : reg.ReadFloat(p + "FontSize", d.Size);
  f->Style = reg.ReadInteger(p + "FontStyle", d.Style);
}

void SaveFont(settings::SettingsStore& reg, std::string_view prefix, bool int_size,
              const HtmlFont& f) {
  const std::string p(prefix);
  reg.WriteString(p + "FontName", f.Name);
  reg.WriteInteger(p + "FontColor", f.Color);
  if (int_size)
    reg.WriteInteger(p + "FontSize", int(f.Size));
  else
    reg.WriteFloat(p + "FontSize", f.Size);
  reg.WriteInteger(p + "FontStyle", f.Style);
}

constexpr std::string_view kHtmlKey = "\\Software\\sorakumo\\HTML";
constexpr std::string_view kTexKey = "\\Software\\sorakumo\\TeX";

// ---- The dialogs' stored values ----
//
// Each settings type lists its values once, as the name under its key and the member that holds
// it; loading reads every value of the list (a missing one gives the type's default), saving
// writes every one.

// A font kept as four values under a prefix ("HonbunFontName", "HonbunFontColor", ...); the
// title fonts store their size as whole points.
template <class S>
struct StoredFont {
  HtmlFont S::*font;
  bool whole_size;
};

template <class S>
struct StoredValue {
  std::string_view name;
  std::variant<std::string S::*, bool S::*, int S::*, double S::*, std::vector<std::string> S::*,
               StoredFont<S>>
      member;
};

void ReadValue(const settings::SettingsStore& reg, std::string_view name, const std::string& def,
               std::string* v) {
  *v = reg.ReadString(name, def);
}
void ReadValue(const settings::SettingsStore& reg, std::string_view name, bool def, bool* v) {
  *v = reg.ReadBool(name, def);
}
void ReadValue(const settings::SettingsStore& reg, std::string_view name, int def, int* v) {
  *v = reg.ReadInteger(name, def);
}
void ReadValue(const settings::SettingsStore& reg, std::string_view name, double def, double* v) {
  *v = reg.ReadFloat(name, def);
}
void ReadValue(const settings::SettingsStore& reg, std::string_view name,
               const std::vector<std::string>& def, std::vector<std::string>* v) {
  *v = reg.ReadStringList(name, def);
}

void WriteValue(settings::SettingsStore& reg, std::string_view name, const std::string& v) {
  reg.WriteString(name, v);
}
void WriteValue(settings::SettingsStore& reg, std::string_view name, bool v) {
  reg.WriteBool(name, v);
}
void WriteValue(settings::SettingsStore& reg, std::string_view name, int v) {
  reg.WriteInteger(name, v);
}
void WriteValue(settings::SettingsStore& reg, std::string_view name, double v) {
  reg.WriteFloat(name, v);
}
void WriteValue(settings::SettingsStore& reg, std::string_view name,
                const std::vector<std::string>& v) {
  reg.WriteStringList(name, v);
}

template <class S, size_t N>
void LoadValues(settings::SettingsStore& reg, std::string_view key,
                const StoredValue<S> (&values)[N], S* s) {
  const S d;
  reg.OpenKey(key, true);
  for (const StoredValue<S>& v : values) {
    std::visit(
        [&](const auto& m) {
          if constexpr (std::is_same_v<std::decay_t<decltype(m)>, StoredFont<S>>)
            LoadFont(reg, v.name, m.whole_size, &(s->*m.font));
          else
            ReadValue(reg, v.name, d.*m, &(s->*m));
        },
        v.member);
  }
  reg.CloseKey();
}

template <class S, size_t N>
void SaveValues(settings::SettingsStore& reg, std::string_view key,
                const StoredValue<S> (&values)[N], const S& s) {
  reg.OpenKey(key, true);
  for (const StoredValue<S>& v : values) {
    std::visit(
        [&](const auto& m) {
          if constexpr (std::is_same_v<std::decay_t<decltype(m)>, StoredFont<S>>)
            SaveFont(reg, v.name, m.whole_size, s.*m.font);
          else
            WriteValue(reg, v.name, s.*m);
        },
        v.member);
  }
  reg.CloseKey();
}

// The text export dialog's values, under the root key.
const StoredValue<TextExportSettings> kTextValues[] = {
    {"SaveTextFileName", &TextExportSettings::FileName},
    {"SaveTextAllPage", &TextExportSettings::AllPage},
    {"SaveTextPageCount", &TextExportSettings::PageCount},
    {"SaveTextSaveBunrui", &TextExportSettings::SaveBunrui},
    {"SaveTextSaveTitle", &TextExportSettings::SaveTitle},
    {"SaveTextSaveChosha", &TextExportSettings::SaveChosha},
    {"SaveTextSaveDate", &TextExportSettings::SaveDate},
    {"SaveTextSaveImageFileName", &TextExportSettings::SaveImageFileName},
    {"SaveTextSaveText", &TextExportSettings::SaveText},
    {"SaveTextPageKan", &TextExportSettings::PageKan},
};

// The HTML dialog's values, under kHtmlKey.
const StoredValue<HtmlSettings> kHtmlValues[] = {
    {"Honbun", StoredFont<HtmlSettings>{&HtmlSettings::Honbun, false}},
    {"PageTitle", StoredFont<HtmlSettings>{&HtmlSettings::PageTitle, true}},
    {"DocumentTitle", StoredFont<HtmlSettings>{&HtmlSettings::DocumentTitle, true}},
    {"DocumentTitle", &HtmlSettings::DocumentTitleText},
    {"TitleTitle", &HtmlSettings::TitleTitle},
    {"TitleChosha", &HtmlSettings::TitleChosha},
    {"TitleDate", &HtmlSettings::TitleDate},
    {"TitleUserName", &HtmlSettings::TitleUserName},
    {"Gyokan", &HtmlSettings::Gyokan},
    {"Pagekan", &HtmlSettings::Pagekan},
    {"DispGazo", &HtmlSettings::DispGazo},
    {"GazoDispPos", &HtmlSettings::GazoDispPos},
    {"GazoToSmall", &HtmlSettings::GazoToSmall},
    {"GazoMaxWidth", &HtmlSettings::GazoMaxWidth},
    {"GazoToLarge", &HtmlSettings::GazoToLarge},
    {"GazoMinWidth", &HtmlSettings::GazoMinWidth},
    {"AllPage", &HtmlSettings::AllPage},
    {"PageCount", &HtmlSettings::PageCount},
    {"HTMLFileName", &HtmlSettings::HTMLFileName},
};

// The TeX dialog's values, under kTexKey.
const StoredValue<TexSettings> kTexValues[] = {
    {"Yoshi", &TexSettings::Yoshi},
    {"YoshiMuki", &TexSettings::YoshiMuki},
    {"MojiHoko", &TexSettings::MojiHoko},
    {"MojiSize", &TexSettings::MojiSize},
    {"Dangumi", &TexSettings::Dangumi},
    {"Style", &TexSettings::Style},
    {"Gyokan", &TexSettings::Gyokan},
    {"Dankan", &TexSettings::Dankan},
    {"Pagekan", &TexSettings::Pagekan},
    {"LeftMargin", &TexSettings::LeftMargin},
    {"RightMargin", &TexSettings::RightMargin},
    {"TopMargin", &TexSettings::TopMargin},
    {"BottomMargin", &TexSettings::BottomMargin},
    {"ParIndent", &TexSettings::ParIndent},
    {"InputFileName", &TexSettings::InputFileName},
    {"TeXFileName", &TexSettings::TeXFileName},
    {"DocumentTitle", &TexSettings::DocumentTitle},
    {"TitleTitle", &TexSettings::TitleTitle},
    {"TitleChosha", &TexSettings::TitleChosha},
    {"TitleDate", &TexSettings::TitleDate},
    {"TitleUserName", &TexSettings::TitleUserName},
    {"AllPage", &TexSettings::AllPage},
    {"PageCount", &TexSettings::PageCount},
    {"CommaHenkan", &TexSettings::CommaHenkan},
    {"NumHenkan", &TexSettings::NumHenkan},
    {"KaigyoHenkan", &TexSettings::KaigyoHenkan},
};

}  // namespace

ExportFields ExportFieldsOf(const store::Table& t) {
  const store::DbfFile& d = t.dbf();
  return {d.FieldIndex("BUNRUI"), d.FieldIndex("TITLE"), d.FieldIndex("SUBTITLE"),
          d.FieldIndex("DATE"),   d.FieldIndex("TEXT"),  d.FieldIndex("IMAGEFILE")};
}

Status ReadExportPageHeader(const store::Table& t, const ExportFields& f, ExportPage* page) {
  const std::pair<int, std::string*> fields[] = {{f.bunrui, &page->bunrui},
                                                 {f.title, &page->title},
                                                 {f.subtitle, &page->subtitle},
                                                 {f.date, &page->date},
                                                 {f.imagefile, &page->imagefile}};
  for (const auto& [index, value] : fields) {
    Status st = t.ReadFieldAt(index, value);
    if (!st.ok()) return st;
  }
  return Status();
}

Status ReadExportPage(const store::Table& t, const ExportFields& f, ExportPage* page) {
  Status st = ReadExportPageHeader(t, f, page);
  if (st.ok()) st = t.ReadFieldAt(f.text, &page->text);
  return st;
}

Status ReadExportPage(const store::Table& t, ExportPage* page) {
  return ReadExportPage(t, ExportFieldsOf(t), page);
}

std::string FormatTextDate(std::string_view yyyymmdd, int code) {
  if (code < 1 || code > 10) return {};
  Ymd t;
  if (!ParseYmd(yyyymmdd, &t)) return {};
  std::string s;
  switch (code) {
    case 1:
    case 6:
      AppendInt(&s, t.y, 4);
      s += '/';
      AppendInt(&s, t.m, 2);
      s += '/';
      AppendInt(&s, t.d, 2);
      break;
    case 4:
    case 5:
      if (code == 5) {
        s += kWeekdayName[t.wday];
        s += ", ";
      }
      s += kMonthName[t.m - 1];
      s += ' ';
      AppendInt(&s, t.d);
      s += ", ";
      AppendInt(&s, t.y, 4);
      return s;
    default:  // 2, 3, 7, 8, 9, 10
      s = NenGappi(t);
      if (code == 3 || code == 8 || code == 10) {
        s += kZenOpen;
        s += kShortWeekday[t.wday];
        s += kZenClose;
      }
      break;
  }
  if (code >= 6) s = convert::ToZenkaku(s, true);
  if (code >= 9) s = convert::ArabiaToKan(s);
  return s;
}

std::string FormatTitleDate(std::string_view yyyymmdd, bool vertical) {
  Ymd t;
  if (!ParseYmd(yyyymmdd, &t)) return {};
  std::string s = NenGappi(t);
  s += '(';
  s += kShortWeekday[t.wday];
  s += ')';
  return vertical ? convert::HankakuNumToKansuji(s) : s;
}

std::string FormatNumber(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

std::vector<std::string_view> SplitTextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    lines.push_back(text.substr(i, j - i));
    if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
    i = j + 1;
  }
  return lines;
}

// ---- Plain text ----

void TextExportSettings::Load(settings::SettingsStore& reg) {
  LoadValues(reg, settings::kRootKey, kTextValues, this);
}

void TextExportSettings::Save(settings::SettingsStore& reg) const {
  SaveValues(reg, settings::kRootKey, kTextValues, *this);
}

void TextOfOneDayToFile(const ExportPage& page, const TextExportSettings& s, int date_type,
                        const std::vector<std::string>& captions, std::string* out) {
  TextOfOneDayToFile(page, page.text, s, date_type, captions, out);
}

void TextOfOneDayToFile(const ExportPage& page, std::string_view text, const TextExportSettings& s,
                        int date_type, const std::vector<std::string>& captions, std::string* out) {
  auto field_line = [&](size_t caption, std::string_view value) {
    *out += kMaru;
    *out += At(captions, caption);
    *out += " = ";
    *out += value;
    *out += '\n';
  };
  if (s.SaveDate && date_type >= 1 && date_type <= 10) {
    *out += kMaru;
    *out += FormatTextDate(page.date, date_type);
    *out += '\n';
  }
  if (s.SaveBunrui) field_line(0, sjis::TrimBlanks(page.bunrui));
  if (s.SaveTitle) field_line(1, sjis::TrimBlanks(page.title));
  if (s.SaveChosha) field_line(2, sjis::TrimBlanks(page.subtitle));
  if (s.SaveImageFileName) field_line(4, images::GetPureImageFileNames(page.imagefile));
  if (s.SaveText) AppendTextLines(text, out);
  if (s.PageKan > 0) out->append(size_t(s.PageKan), '\n');
}

TextExporter::TextExporter(TextExportSettings s, int date_type, std::vector<std::string> captions,
                           bool utf8)
    : s_(std::move(s)), date_type_(date_type), captions_(std::move(captions)), utf8_(utf8) {}

void TextExporter::Page(const ExportPage& page, std::string* out) {
  PageView(page, page.text, out);
}

void TextExporter::PageView(const ExportPage& page, std::string_view text, std::string* out) {
  if (!utf8_) {
    TextOfOneDayToFile(page, text, s_, date_type_, captions_, out);
    return;
  }
  buf_.clear();
  TextOfOneDayToFile(page, text, s_, date_type_, captions_, &buf_);
  const size_t old = out->size();
  out->resize(old + buf_.size() * cp932::Utf8BytesPerByte() + cp932::kUtf8Slack);
  char* end = cp932::DecodeUtf8To(buf_, out->data() + old);
  out->resize(size_t(end - out->data()));
}

// ---- HTML ----

int HtmlImagePixels(double dpi, double mm) { return int(dpi * 0.03937007874015748 * mm); }

void HtmlSettings::Load(settings::SettingsStore& reg) {
  LoadValues(reg, kHtmlKey, kHtmlValues, this);
}

void HtmlSettings::Save(settings::SettingsStore& reg) const {
  SaveValues(reg, kHtmlKey, kHtmlValues, *this);
}

HtmlWriter::HtmlWriter(HtmlSettings s, HtmlContext c) : s_(std::move(s)), c_(std::move(c)) {}

void HtmlWriter::Head(std::string* out) {
  const bool doc_title = !s_.DocumentTitleText.empty();
  *out += "<HTML>\n<HEAD>\n";
  *out += "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\n";
  *out += "<TITLE>\x82\xbb\x82\xe7\x82\xad\x82\xe0\x92\x9f";  // "そらくも帖"
  *out += kZenOpen;
  *out += c_.page_file_name;
  *out += kZenClose;
  *out += "</TITLE>\n<STYLE TYPE = \"text/css\">\n";
  AppendFontRule(out, "normalline", s_.Honbun, s_.Gyokan);
  AppendFontRule(out, "pagetitleline", s_.PageTitle, s_.Gyokan);
  if (doc_title) AppendFontRule(out, "documenttitleline", s_.DocumentTitle, s_.Gyokan);
  *out += "</STYLE>\n</HEAD>\n<BODY>\n";
  if (doc_title) {
    *out += "<CENTER><FONT ID=documenttitleline>";
    *out += OpenTags(s_.DocumentTitle.Style);
    *out += s_.DocumentTitleText;
    *out += CloseTags(s_.DocumentTitle.Style);
    *out += "</FONT></CENTER><BR><BR>\n";
  }
}

void HtmlWriter::Page(const ExportPage& page, std::string* out) { PageView(page, page.text, out); }

void HtmlWriter::PageView(const ExportPage& page, std::string_view text, std::string* out) {
  const bool any_title = s_.TitleTitle || s_.TitleChosha || s_.TitleDate || s_.TitleUserName;
  if (first_) {
    first_ = false;
    LastImageAlign = 0;
  } else {
    *out += "\n<BR";
    if (LastImageAlign == 1) *out += " CLEAR=left";
    if (LastImageAlign == 2) *out += " CLEAR=right";
    *out += ">";
    for (int i = 0; i < s_.Pagekan; ++i) *out += "<BR>";
  }
  *out += "\n";
  *out += OpenTags(s_.PageTitle.Style);
  *out += "<FONT ID=pagetitleline>";
  if (s_.TitleTitle) {
    const std::string_view t = sjis::TrimBlanks(page.title);
    if (!t.empty()) {
      *out += t;
      *out += kZenSpace;
    }
  }
  if (s_.TitleChosha) {
    const std::string_view t = sjis::TrimBlanks(page.subtitle);
    if (!t.empty()) {
      *out += t;
      *out += kZenSpace;
    }
  }
  if (s_.TitleDate) {
    *out += FormatTitleDate(page.date, false);
    *out += kZenSpace;
  }
  if (s_.TitleUserName) *out += c_.my_name;
  *out += "</FONT>";
  *out += CloseTags(s_.PageTitle.Style);
  *out += "\n";
  if (any_title) *out += "<BR>\n";

  *out += "<FONT ID=normalline>";
  *out += OpenTags(s_.Honbun.Style);
  *out += "\n";
  if (s_.DispGazo && s_.GazoDispPos != 2) FputGazo(page, out);
  AppendHtmlLines(text, out);
  *out += CloseTags(s_.Honbun.Style);
  *out += "</FONT>\n";
  if (s_.DispGazo && s_.GazoDispPos == 2) FputGazo(page, out);
}

void HtmlWriter::Tail(std::string* out) { *out += "<BR>\n</BODY>\n</HTML>\n"; }

// A file path as it may stand in a URL: the bytes that would end the attribute or the path ('"',
// '#', '?'), '%' itself and control bytes percent-encoded.  Other bytes stay as they are, CP932
// double-byte characters included (the page declares its character set, and none of the encoded
// bytes can be the second byte of a double-byte character).
void AppendUrlPath(std::string_view path, std::string* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (unsigned char b : path) {
    if (b == '"' || b == '#' || b == '%' || b == '?' || b < 0x20 || b == 0x7F) {
      *out += '%';
      *out += kHex[b >> 4];
      *out += kHex[b & 15];
    } else {
      *out += char(b);
    }
  }
}

void HtmlWriter::FputGazo(const ExportPage& page, std::string* out) {
  if (!c_.find_image) return;
  const std::vector<std::string> entries =
      images::SplitImageNames(images::GetPureImageFileNames(page.imagefile));
  if (entries.empty()) return;
  const char* word = s_.GazoDispPos == 1 ? "left" : s_.GazoDispPos == 2 ? "center" : "right";
  *out += "<TABLE BORDER=0 CELLSPACING=0 CELLPADDING=10 ALIGN=";
  *out += word;
  *out += ">\n";
  for (const std::string& entry : entries) {
    const std::string ext = images::GetKakuchoshi(entry);
    if (!(ext.empty() || ext == "jpg" || ext == "jpeg" || ext == "bmp" || ext == "gif")) continue;
    std::string path;
    if (images::GetDir(entry).empty()) {
      std::optional<std::string> found = c_.find_image(images::BareImageName(entry));
      if (!found) continue;
      path = std::move(*found);
    } else {
      path = entry;
    }
    *out += "<TR><TD ALIGN=";
    *out += word;
    *out += "><IMG SRC=\"";
    AppendUrlPath(path, out);
    *out += "\"";
    if (s_.GazoToSmall || s_.GazoToLarge) {
      const std::string kind = images::GetKakuchoshi(path);
      int w = 0, h = 0;
      if ((kind == "jpg" || kind == "jpeg" || kind == "bmp") && c_.image_size &&
          c_.image_size(path, &w, &h)) {
        const long long max = c_.max_image_pixels, min = c_.min_image_pixels;
        if (s_.GazoToSmall && w > max) {
          *out += " WIDTH=";
          AppendInt(out, max);
          *out += " HEIGHT=";
          AppendInt(out, max * h / w);
        } else if (s_.GazoToLarge && w > 0 && w < min) {
          *out += " WIDTH=";
          AppendInt(out, min);
          *out += " HEIGHT=";
          AppendInt(out, min * h / w);
        }
      }
    }
    *out += "></TD></TR>\n";
    LastImageAlign = s_.GazoDispPos == 1 ? 1 : s_.GazoDispPos == 2 ? 0 : 2;
  }
  *out += "</TABLE>\n";
}

// ---- TeX ----

void TexSettings::Load(settings::SettingsStore& reg) { LoadValues(reg, kTexKey, kTexValues, this); }

void TexSettings::Save(settings::SettingsStore& reg) const {
  SaveValues(reg, kTexKey, kTexValues, *this);
}

std::string MojiHenkan(std::string_view line, bool num, bool comma) {
  std::string s = num ? convert::ArabiaToKan(line) : std::string(line);
  if (!comma) return s;
  for (size_t i = 0; i < s.size();) {
    const size_t len = sjis::CharLen(s, i);
    if (len == 2 && std::string_view(s).substr(i, 2) == kZenComma) s.replace(i, 2, kTouten);
    i += len;
  }
  return s;
}

TexWriter::TexWriter(TexSettings s, std::string my_name, store::Date today)
    : s_(std::move(s)), my_name_(std::move(my_name)), today_(today) {}

void TexWriter::Head(std::string* out) {
  static constexpr const char* kPaper[4] = {"a4", "a5", "b4", "b5"};
  static constexpr double kPaperW[4] = {210, 148, 257, 182};
  static constexpr double kPaperH[4] = {297, 210, 364, 257};
  static constexpr const char* kStyle[3] = {"article}\n", "report}\n", "book}\n"};
  const int paper = s_.Yoshi >= 0 && s_.Yoshi < 4 ? s_.Yoshi : 0;
  const bool vertical = s_.MojiHoko == 1;
  const bool landscape = s_.YoshiMuki == 1;
  const double w = landscape ? kPaperH[paper] : kPaperW[paper];
  const double h = landscape ? kPaperW[paper] : kPaperH[paper];

  *out += "\\documentstyle[";
  *out += kPaper[paper];
  *out += vertical && !landscape ? "p" : "j";
  if (s_.MojiSize == 1) *out += ",11pt";
  if (s_.MojiSize == 2) *out += ",12pt";
  if (s_.Dangumi == 1) *out += ",twocolumn";
  *out += ",fleqn,tascmac]{";
  *out += vertical ? "t" : "j";
  *out += kStyle[s_.Style >= 0 && s_.Style < 3 ? s_.Style : 0];

  for (const std::string& line : s_.InputFileName) {
    const std::string name = images::GetName(sjis::TrimBlanks(line));
    if (name.empty()) continue;
    *out += "\\input{";
    *out += name;
    *out += "}\n";
  }
  const std::string side = FormatNumber(s_.LeftMargin - 25.4);
  *out += "\\oddsidemargin=" + side + "mm\n";
  *out += "\\evensidemargin=" + side + "mm\n";
  *out += vertical ? "\\textheight=" : "\\textwidth=";
  *out += FormatNumber(w - s_.LeftMargin - s_.RightMargin) + "mm\n";
  *out += "\\topmargin=" + FormatNumber(s_.TopMargin - 25.4) + "mm\n";
  *out += "\\headheight=0mm\n\\headsep=0mm\n";
  *out += "\\topskip=" + FormatNumber(10 + s_.MojiSize) + "pt\n";
  *out += vertical ? "\\textwidth=" : "\\textheight=";
  *out += FormatNumber(h - s_.TopMargin - s_.BottomMargin) + "mm\n";
  if (s_.Dangumi == 1) *out += "\\columnsep=" + FormatNumber(s_.Dankan) + "mm\n";
  *out += "\\parindent=" + FormatNumber(s_.ParIndent) + "zw\n";
  const bool title = !s_.DocumentTitle.empty();
  if (title) {
    *out += "\\title{" + s_.DocumentTitle + "}\n";
    *out += "\\author{" + my_name_ + "}\n";
    std::string date;
    AppendInt(&date, today_.year, 4);
    date += kNen;
    AppendInt(&date, today_.month);
    date += kGatsu;
    AppendInt(&date, today_.day);
    date += kNichi;
    *out += "\\date{" + (vertical ? convert::HankakuNumToKansuji(date) : date) + "}\n";
  }
  *out += "\\begin{document}\n";
  if (title) *out += "\\maketitle\n";
  *out += "\\baselineskip=" + FormatNumber((10 + s_.MojiSize) * 0.35277777777777775 + s_.Gyokan) +
          "mm\n";
}

void TexWriter::Page(const ExportPage& page, std::string* out) {
  const bool vertical = s_.MojiHoko == 1;
  std::string date_part, title_part, chosha_part;
  if (s_.TitleDate) {
    date_part = FormatTitleDate(page.date, vertical);
    date_part += kZenSpace;
  }
  if (s_.TitleTitle) {
    title_part = sjis::TrimBlanks(page.title);
    if (!title_part.empty()) title_part += kZenSpace;
  }
  if (s_.TitleChosha) {
    chosha_part = sjis::TrimBlanks(page.subtitle);
    if (!chosha_part.empty()) chosha_part += kZenSpace;
  }
  const bool any_title = s_.TitleTitle || s_.TitleChosha || s_.TitleDate || s_.TitleUserName;

  if (first_)
    first_ = false;
  else
    *out += "\n\\vskip " + FormatNumber(s_.Pagekan - s_.Gyokan) + "mm\n";
  if (any_title) *out += "\\noindent\n";
  if (s_.TitleTitle) *out += "{\\large\\bf " + title_part + "}";
  if (s_.TitleChosha || s_.TitleDate || s_.TitleUserName) {
    *out += "{\\bf ";
    *out += chosha_part;
    *out += date_part;
    if (s_.TitleUserName) *out += my_name_;
    *out += "}\n\n";
  } else {
    *out += "\n\n";
  }
  if (any_title) *out += "\\smallskip\n";

  std::vector<std::string_view> lines = SplitTextLines(page.text);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  std::string converted;
  for (std::string_view line : lines) {
    if (vertical) {
      converted = MojiHenkan(line, s_.NumHenkan, s_.CommaHenkan);
      line = converted;
    }
    if (s_.KaigyoHenkan) {
      if (line.empty())
        *out += kZenSpace;
      else
        *out += line;
      *out += "\n\n";
    } else {
      *out += line;
      *out += "\n";
    }
  }
}

void TexWriter::Tail(std::string* out) { *out += "\\end{document}\n"; }

}  // namespace sk::exchange
