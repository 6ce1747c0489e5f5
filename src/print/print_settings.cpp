#include "print/print_settings.h"

#include <charconv>
#include <cmath>
#include <variant>

#include "print/print_geometry.h"
#include "settings/settings_store.h"

namespace sk::print {

namespace {

constexpr std::string_view kPrintKey = "\\Software\\sorakumo\\Print";

// A number box: its text, the default stored for a text that is no number.
struct NumberBox {
  std::string PrintSettings::*text;
  double def;
};
// The page count box: stored as a whole number, 1 for a text that is no number.
struct WholeNumberBox {
  std::string PrintSettings::*text;
};
// A font kept as four values under a prefix ("TextFontName", "TextFontSize", ...).
struct FontValues {
  PrintFontSetting PrintSettings::*font;
};

struct StoredValue {
  std::string_view name;
  std::variant<int PrintSettings::*, bool PrintSettings::*, std::string PrintSettings::*,
               std::vector<std::string> PrintSettings::*, NumberBox, WholeNumberBox, FontValues>
      member;
};

using S = PrintSettings;

// Every stored value once: its name under the key and where it lives.
const StoredValue kValues[] = {
    {"Yoshi", &S::Yoshi},
    {"MojiHoko", &S::MojiHoko},
    {"Fukuro", &S::Fukuro},
    {"Dangumi", &S::Dangumi},
    {"LeftMargin", NumberBox{&S::LeftMargin, 20}},
    {"RightMargin", NumberBox{&S::RightMargin, 20}},
    {"TopMargin", NumberBox{&S::TopMargin, 20}},
    {"BottomMargin", NumberBox{&S::BottomMargin, 20}},
    {"FukuroWidth", NumberBox{&S::FukuroWidth, 40}},
    {"Dankan", NumberBox{&S::Dankan, 10}},
    {"Gyokan", NumberBox{&S::Gyokan, 2}},
    {"Pagekan", NumberBox{&S::Pagekan, 20}},
    {"ParIndent", NumberBox{&S::ParIndent, 0}},
    {"ImagePos", &S::ImagePos},
    {"ImageWidth", NumberBox{&S::ImageWidth, 50}},
    {"ToLarge", &S::ToLarge},
    {"CommaHenkan", &S::CommaHenkan},
    {"NumHenkan", &S::NumHenkan},
    {"PageNum", &S::PageNum},
    {"AllPage", &S::AllPage},
    {"PageCount", WholeNumberBox{&S::PageCount}},
    {"TitleTitle", &S::TitleTitle},
    {"TitleSubTitle", &S::TitleSubTitle},
    {"TitleDate", &S::TitleDate},
    {"TitleUserName", &S::TitleUserName},
    {"DocTitleOneColumn", &S::DocTitleOneColumn},
    {"DocTitle", &S::DocTitleHistory},
    {"DocTitleFont", FontValues{&S::DocTitleFont}},
    {"PageTitleFont", FontValues{&S::PageTitleFont}},
    {"TextFont", FontValues{&S::TextFont}},
};

std::string Name(std::string_view prefix, const char* suffix) {
  return std::string(prefix) + suffix;
}

int WholeCount(std::string_view text) {
  const std::optional<double> v = ReadNumber(text);
  if (!v) return 1;
  if (*v >= 2147483647.0) return 2147483647;
  if (*v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(*v);
}

template <class... F>
struct Overload : F... {
  using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

}  // namespace

std::string ShortestNumber(double v) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  if (ec != std::errc()) return "0";
  return std::string(buf, end);
}

void LoadPrintSettings(settings::SettingsStore& reg, PrintSettings* s) {
  const PrintSettings d;
  reg.OpenKey(kPrintKey, true);
  for (const StoredValue& v : kValues) {
    std::visit(
        Overload{
            [&](int S::*m) { s->*m = reg.ReadInteger(v.name, d.*m); },
            [&](bool S::*m) { s->*m = reg.ReadBool(v.name, d.*m); },
            [&](std::string S::*m) { s->*m = reg.ReadString(v.name, d.*m); },
            [&](std::vector<std::string> S::*m) { s->*m = reg.ReadStringList(v.name, d.*m); },
            [&](NumberBox b) {
              const double x = reg.ReadFloat(v.name, b.def);
              s->*b.text = ShortestNumber(std::isfinite(x) ? x : b.def);
            },
            [&](WholeNumberBox b) { s->*b.text = std::to_string(reg.ReadInteger(v.name, 1)); },
            [&](FontValues f) {
              const PrintFontSetting& df = d.*f.font;
              PrintFontSetting& font = s->*f.font;
              font.name = reg.ReadString(Name(v.name, "Name"), df.name);
              font.size = reg.ReadFloat(Name(v.name, "Size"), df.size);
              if (!std::isfinite(font.size) || font.size <= 0) font.size = df.size;
              font.style = reg.ReadInteger(Name(v.name, "Style"), df.style);
              font.color = reg.ReadInteger(Name(v.name, "Color"), df.color);
            },
        },
        v.member);
  }
  reg.CloseKey();
}

void SavePrintSettings(settings::SettingsStore& reg, const PrintSettings& s) {
  reg.OpenKey(kPrintKey, true);
  for (const StoredValue& v : kValues) {
    std::visit(
        Overload{
            [&](int S::*m) { reg.WriteInteger(v.name, s.*m); },
            [&](bool S::*m) { reg.WriteBool(v.name, s.*m); },
            [&](std::string S::*m) { reg.WriteString(v.name, s.*m); },
            [&](std::vector<std::string> S::*m) { reg.WriteStringList(v.name, s.*m); },
            [&](NumberBox b) { reg.WriteFloat(v.name, ReadNumber(s.*b.text).value_or(b.def)); },
            [&](WholeNumberBox b) { reg.WriteInteger(v.name, WholeCount(s.*b.text)); },
            [&](FontValues f) {
              const PrintFontSetting& font = s.*f.font;
              reg.WriteString(Name(v.name, "Name"), font.name);
              reg.WriteFloat(Name(v.name, "Size"), font.size);
              reg.WriteInteger(Name(v.name, "Style"), font.style);
              reg.WriteInteger(Name(v.name, "Color"), font.color);
            },
        },
        v.member);
  }
  reg.CloseKey();
}

}  // namespace sk::print
