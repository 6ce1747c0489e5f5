#include "settings/main_settings.h"

#include <algorithm>
#include <string_view>
#include <variant>

namespace sk::settings {
namespace {

using S = MainWindowSettings;
using Member =
    std::variant<int S::*, bool S::*, double S::*, std::string S::*, std::vector<std::string> S::*>;
struct Field {
  std::string_view name;
  Member member;
};

// Every stored value, in the order of reading and writing.
const Field kFields[] = {
    {"DisplayStatusBar", &S::DisplayStatusBar},
    {"Top", &S::Top},
    {"Left", &S::Left},
    {"Height", &S::Height},
    {"Width", &S::Width},
    {"TextImageLocation", &S::TextImageLocation},
    {"TextImageWH", &S::TextImageWH},
    {"ImageForm", &S::ImageForm},
    {"BunruiWidth", &S::BunruiWidth},
    {"TitleWidth", &S::TitleWidth},
    {"ChoshaWidth", &S::ChoshaWidth},
    {"DateWidth", &S::DateWidth},
    {"SmallCaptionDisp", &S::SmallCaptionDisp},
    {"SmallWindowFontName", &S::SmallWindowFontName},
    {"SmallWindowFontSize", &S::SmallWindowFontSize},
    {"SmallWindowFontColor", &S::SmallWindowFontColor},
    {"SmallWindowFontStyle", &S::SmallWindowFontStyle},
    {"FontName", &S::FontName},
    {"TextFontSizeB", &S::TextFontSizeB},
    {"FontColor", &S::FontColor},
    {"FontStyle", &S::FontStyle},
    {"TextBackColor", &S::TextBackColor},
    {"ImageBackColor", &S::ImageBackColor},
    {"LastAccessedDBFileName", &S::LastAccessedDBFileName},
    {"LastAccessedTxtFileName", &S::LastAccessedTxtFileName},
    {"RecentOpenedImageFileName", &S::RecentOpenedImageFileName},
    {"RecentOpenedImageFileDir", &S::RecentOpenedImageFileDir},
    {"RecentOpenedTextFileName", &S::RecentOpenedTextFileName},
    {"RecentOpenedDBFAppendFileName", &S::RecentOpenedDBFAppendFileName},
    {"VScrollBarMode", &S::VScrollBarMode},
    {"WordWrapMode", &S::WordWrapMode},
    {"TextFileWildCard", &S::TextFileWildCard},
    {"TopMargin", &S::TopMargin},
    {"LeftMargin", &S::LeftMargin},
    {"RightMargin", &S::RightMargin},
    {"MaxOrikaeshiHabaCm", &S::MaxOrikaeshiHabaCm},
    {"ItemizeMode", &S::ItemizeMode},
    {"ItemChar", &S::ItemChar},
    {"ItemIndent", &S::ItemIndent},
    {"MiddleSkipPageCount", &S::MiddleSkipPageCount},
    {"TabCount", &S::TabCount},
    {"AskOverWrite", &S::AskOverWrite},
    {"ParIndent", &S::ParIndent},
    {"CurSorPosAfterPaste", &S::CurSorPosAfterPaste},
    {"NotFoundMode", &S::NotFoundMode},
    {"DispMemorialDay", &S::DispMemorialDay},
    {"ColorOfMemorialDay", &S::ColorOfMemorialDay},
    {"HLComment", &S::HLComment},
    {"HLKakko", &S::HLKakko},
    {"HLCommand", &S::HLCommand},
    {"HLKeyWordA", &S::HLKeyWordA},
    {"HLKeyWordB", &S::HLKeyWordB},
    {"HLKeyWordKanA", &S::HLKeyWordKanA},
    {"HLKeyWordKanB", &S::HLKeyWordKanB},
    {"HLKeyWordKigoA", &S::HLKeyWordKigoA},
    {"HLKeyWordKigoB", &S::HLKeyWordKigoB},
    {"HLCommentStyle", &S::HLCommentStyle},
    {"HLKakkoStyle", &S::HLKakkoStyle},
    {"HLCommandStyle", &S::HLCommandStyle},
    {"HLKeyWordAStyle", &S::HLKeyWordAStyle},
    {"HLKeyWordBStyle", &S::HLKeyWordBStyle},
    {"HLCommentColor", &S::HLCommentColor},
    {"HLKakkoColor", &S::HLKakkoColor},
    {"HLCommandColor", &S::HLCommandColor},
    {"HLKeyWordAColor", &S::HLKeyWordAColor},
    {"HLKeyWordBColor", &S::HLKeyWordBColor},
    {"HighLight", &S::HighLight},
    {"UnselectAfterCopy", &S::UnselectAfterCopy},
    {"DeleteSelectedStr", &S::DeleteSelectedStr},
    {"AddPageMode", &S::AddPageMode},
    {"OpenIME", &S::OpenIME},
    {"BackUp", &S::BackUp},
    {"DoGazoRefresh", &S::DoGazoRefresh},
    {"GazoRefreshInterval", &S::GazoRefreshInterval},
    {"FusenAutoRead", &S::FusenAutoRead},
    {"URLMail", &S::URLMail},
    {"AutoOpenFile", &S::AutoOpenFile},
    {"BackUpDeapth", &S::BackUpDeapth},
    {"OpenCountOfFileSlim", &S::OpenCountOfFileSlim},
    {"HideImageArea", &S::HideImageArea},
    {"TypeOfDateForTextOutput", &S::TypeOfDateForTextOutput},
    {"ImageDir", &S::ImageDir},
};

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

void MainWindowSettings::Read(SettingsStore& store) {
  *this = MainWindowSettings{};
  store.OpenKey(kRootKey, true);
  first_run = !store.ValueExists("Top");
  for (const Field& f : kFields) {
    std::visit(Overloaded{
                   [&](int S::*m) { this->*m = store.ReadInteger(f.name, this->*m); },
                   [&](bool S::*m) { this->*m = store.ReadBool(f.name, this->*m); },
                   [&](double S::*m) { this->*m = store.ReadFloat(f.name, this->*m); },
                   [&](std::string S::*m) { this->*m = store.ReadString(f.name, this->*m); },
                   [&](std::vector<std::string> S::*m) {
                     this->*m = store.ReadStringList(f.name, this->*m);
                   },
               },
               f.member);
  }
  store.CloseKey();
  BackUpDeapth = std::clamp(BackUpDeapth, 1, 9);
  if (OpenCountOfFileSlim == 0) OpenCountOfFileSlim = 10;
}

void MainWindowSettings::Write(SettingsStore& store) const {
  store.OpenKey(kRootKey, true);
  for (const Field& f : kFields) {
    // The image folders are kept only once the user has named some.
    if (std::string_view(f.name) == "ImageDir" && ImageDir.empty()) continue;
    std::visit(Overloaded{
                   [&](int S::*m) { store.WriteInteger(f.name, this->*m); },
                   [&](bool S::*m) { store.WriteBool(f.name, this->*m); },
                   [&](double S::*m) { store.WriteFloat(f.name, this->*m); },
                   [&](std::string S::*m) { store.WriteString(f.name, this->*m); },
                   [&](std::vector<std::string> S::*m) { store.WriteStringList(f.name, this->*m); },
               },
               f.member);
  }
  store.CloseKey();
}

}  // namespace sk::settings
