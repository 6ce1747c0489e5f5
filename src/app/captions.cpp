#include "app/captions.h"

#include <cstddef>
#include <utility>

#include "app/menu_table.h"

namespace sk::app {
namespace {

// The five captions, a missing entry taking its default.
std::array<std::string, 5> FiveCaptions(const std::vector<std::string>& c) {
  std::array<std::string, 5> out;
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = i < c.size() ? c[i] : std::string(kDefaultFieldCaptions[i]);
  }
  return out;
}

CaptionChange Caption(std::string target, std::string caption) {
  return {std::move(target), std::move(caption), std::nullopt};
}

CaptionChange Hint(std::string target, std::string hint) {
  return {std::move(target), std::nullopt, std::move(hint)};
}

CaptionChange Both(std::string target, std::string caption, std::string hint) {
  return {std::move(target), std::move(caption), std::move(hint)};
}

// "順にページを表示する。" with the main field first and the secondary one second.
std::string CombinedOrderHint(const std::string& main, const std::string& sub) {
  return main + "(主)，" + sub + "(副)順にページを表示する。";
}

}  // namespace

std::vector<CaptionChange> FieldDependentCaptions(const std::vector<std::string>& c_in,
                                                  std::string_view label5_now) {
  const std::array<std::string, 5> c = FiveCaptions(c_in);
  std::vector<CaptionChange> out;

  out.push_back(Caption("Label1", c[0]));
  out.push_back(Caption("Label2", c[1]));
  out.push_back(Caption("Label3", c[2]));
  out.push_back(Caption("Label4", c[3]));
  // The image count "(2,3/5)" or "(なし)" that follows the caption stays.  The last "(" is taken so
  // that a caption which itself holds a parenthesis does not drag its tail along.
  std::string label5 = c[4];
  if (std::size_t open = label5_now.rfind('('); open != std::string_view::npos) {
    label5 += label5_now.substr(open);
  }
  out.push_back(Caption("Label5", std::move(label5)));

  out.push_back(
      Hint("BunruiComboBox", c[0] + "。設定は，右端のボタンで行います。項目の追加は環境設定で。"));
  out.push_back(Hint("TitleEdit", c[1] + "。直接記入します。"));
  out.push_back(Hint("ChoshaEdit", c[2] + "。直接記入します。"));
  out.push_back(Hint("DateEdit", c[3] + "。変更はカレンダーによる。"));
  out.push_back(Hint("DateTimePicker", c[3] + "。変更はカレンダーによる。"));
  out.push_back(Hint("ImageFileNameEdit", "ページに関連づけられた" + c[4] + "。直接記入は不可。"));

  out.push_back(
      Both("DateFindItem", c[3] + "検索(&Y)", "指定する" + c[3] + "のページにジャンプする。"));
  out.push_back(Both("TitleFindItem", c[1] + "検索(&T)", c[1] + "を検索する。"));
  out.push_back(Both("ChoshaFindItem", c[2] + "検索(&S)", c[2] + "を検索する。"));
  out.push_back(Caption("ImageFileNameFindItem", c[4] + "検索(&I)"));

  static constexpr const char* kSingle[] = {"BOrderItem", "TOrderItem", "SOrderItem", "DOrderItem"};
  for (int i = 0; i < 4; ++i) {
    out.push_back(
        Both(kSingle[i], c[i] + "順(&" + std::to_string(i) + ")", c[i] + "順にページを表示する。"));
  }
  struct Combined {
    const char* target;
    int main;
    int sub;
  };
  static constexpr Combined kCombined[] = {
      {"BTOrderItem", 0, 1}, {"BSOrderItem", 0, 2}, {"BDOrderItem", 0, 3},
      {"TSOrderItem", 1, 2}, {"TDOrderItem", 1, 3}, {"SDOrderItem", 2, 3},
  };
  int accel = 4;
  for (const Combined& k : kCombined) {
    out.push_back(Both(k.target,
                       "(" + c[k.main] + "+" + c[k.sub] + ")順(&" + std::to_string(accel++) + ")",
                       CombinedOrderHint(c[k.main], c[k.sub])));
  }
  return out;
}

std::vector<std::string> FieldCaptionsFromStored(const std::vector<std::string>& stored,
                                                 bool exists, bool* write_back) {
  const bool use_defaults = !exists || stored.size() < 5;
  if (write_back != nullptr) *write_back = use_defaults;
  if (use_defaults) return {kDefaultFieldCaptions.begin(), kDefaultFieldCaptions.end()};
  return {stored.begin(), stored.begin() + 5};
}

namespace {

// The kind word of the repeat-export item; empty for none or an unknown kind.
std::string ExportKindWord(int last_export_kind) {
  switch (last_export_kind) {
    case 1:
      return "テキスト";
    case 2:
      return "HTML";
    case 3:
      return "TEX";
    case 4:
      return "そらくも";
    default:
      return "";
  }
}

}  // namespace

std::vector<CaptionChange> FileMenuCaptions(int last_export_kind) {
  const std::string k = ExportKindWord(last_export_kind);
  return {Both("FileOutPutItem", "前回と同一条件で" + k + "ファイルを出力(&T)",
               "前回出力したときと同じ条件で，データを" + k + "ファイルとして出力します。")};
}

bool FileOutPutEnabled(int last_export_kind) {
  return last_export_kind >= 1 && last_export_kind <= 4;
}

std::vector<CaptionChange> EditMenuSelectionCaptions(bool text_selection) {
  const std::string p = text_selection ? "選択領域" : "テキスト全体";
  return {
      Caption("MojisuItem", p + "の文字数をカウント(&N)"),
      Caption("ChangePunctuationItem", p + "の句読点変換(&P)"),
      Caption("StringCountItem", p + "に含まれる特定の文字列数をカウント (&S)"),
  };
}

std::string FusenItemCaption(bool note_shown) {
  return note_shown ? "付箋を閉じる (&F)" : "付箋を開く (&F)";
}

std::string PopUpFusenCaption(bool note_shown) {
  return note_shown ? "(&O) 付箋を閉じる" : "(&O) 付箋を開く";
}

std::vector<CaptionChange> TextPopupCaptions(const std::vector<std::string>& c_in, bool selection) {
  const std::array<std::string, 5> c = FiveCaptions(c_in);
  return {
      Caption("PopUpPasteToTitleItem", "(&1) 選択文字列を" + c[1] + "欄に貼りつけ"),
      Caption("PopUpPasteToSubtitleItem", "(&2) 選択文字列を" + c[2] + "欄に貼りつけ"),
      Caption("MojisuPopUpItem",
              selection ? "(&C) 選択文字列の字数をカウント" : "(&C) テキスト全体の字数をカウント"),
  };
}

std::vector<CaptionChange> MiddleSkipCaptions(int count) {
  // The menu items keep their letters; their keys stand in the menu's shortcut column, so only
  // the toolbar hints name them.
  const std::string n = std::to_string(count);
  const std::string back = KeyHint(n + "ページ戻る", "TenPriorItem");
  const std::string forward = KeyHint(n + "ページ進む", "TenNextItem");
  return {
      Caption("TenPriorItem", n + "ページ戻る(&Q)"),
      Caption("TenNextItem", n + "ページ進む(&M)"),
      Hint("TenPriorSpeedButton", back),
      Hint("TenNextSpeedButton", forward),
  };
}

}  // namespace sk::app
