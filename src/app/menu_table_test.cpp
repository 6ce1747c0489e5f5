#include "app/menu_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/captions.h"

namespace sk::app {
namespace {

constexpr MenuRoot kRoots[] = {MenuRoot::Main, MenuRoot::TextPopup, MenuRoot::ImageAPopup,
                               MenuRoot::ImageBPopup};

const CaptionChange* FindChange(const std::vector<CaptionChange>& changes,
                                const std::string& target) {
  for (const CaptionChange& c : changes) {
    if (c.target == target) return &c;
  }
  return nullptr;
}

std::string CaptionOf(const std::vector<CaptionChange>& changes, const std::string& target) {
  const CaptionChange* c = FindChange(changes, target);
  return c != nullptr && c->caption ? *c->caption : "<no caption for " + target + ">";
}

std::string HintOf(const std::vector<CaptionChange>& changes, const std::string& target) {
  const CaptionChange* c = FindChange(changes, target);
  return c != nullptr && c->hint ? *c->hint : "<no hint for " + target + ">";
}

// ---------------------------------------------------------------------------------------------
// The table

TEST(MenuTable, NamesAreUniqueAndEveryParentIsAnEarlierSubmenuOfTheSameRoot) {
  std::set<std::string> all_names;
  for (MenuRoot root : kRoots) {
    std::set<std::string> seen_in_root;
    for (const MenuItemDef& item : MenuItems(root)) {
      SCOPED_TRACE(item.name);
      EXPECT_TRUE(all_names.insert(item.name).second) << "name used twice";
      if (root != MenuRoot::Main) {
        EXPECT_STREQ(item.parent, "") << "popup items sit directly in their popup";
      } else if (*item.parent != '\0') {
        EXPECT_TRUE(seen_in_root.count(item.parent))
            << "parent " << item.parent << " missing or declared after its child";
      }
      seen_in_root.insert(item.name);
      EXPECT_NE(std::string(item.caption), "");
      EXPECT_NE(std::string(item.hint), "") << "every item explains itself in the status bar";
      EXPECT_EQ(FindMenuItem(item.name), &item);
    }
  }
  for (const ToolButtonDef& button : ToolbarButtons()) {
    EXPECT_TRUE(all_names.insert(button.name).second) << button.name << " clashes with an item";
  }
  EXPECT_EQ(FindMenuItem("NoSuchItem"), nullptr);
  EXPECT_EQ(MenuItems(MenuRoot::Main).front().name, std::string("FileMenu"));
  EXPECT_EQ(MenuItems(MenuRoot::Main).back().name, std::string("AboutItem"));
}

TEST(MenuTable, TopLevelMenusAndSubmenusAreInTheirPlaces) {
  std::vector<std::string> top;
  std::map<std::string, std::vector<std::string>> children;
  for (const MenuItemDef& item : MenuItems(MenuRoot::Main)) {
    if (*item.parent == '\0') top.push_back(item.name);
    children[item.parent].push_back(item.name);
  }
  EXPECT_EQ(top, (std::vector<std::string>{"FileMenu", "EditMenu", "FindMenu", "TableMenu",
                                           "ViewMenu", "ImageMenu", "HelpMenu"}));
  EXPECT_EQ(children["ImportItem"],
            (std::vector<std::string>{"APPendDBFItem", "AppendTextToOneRecordItem",
                                      "AppendTextToNewRecordItem"}));
  EXPECT_EQ(children["ExportItem"], (std::vector<std::string>{"ToDBFItem", "ToTextFileItem",
                                                              "HTMLFileItem", "TeXFileItem"}));
  EXPECT_EQ(children["KisuhoItem"].size(), 6u);
  EXPECT_EQ(
      children["ImageViewMode_Item"],
      (std::vector<std::string>{"NormalSize_Item", "KakudaiShukusho_Item", "ToSmallSizeItem"}));
  EXPECT_EQ(children["FileMenu"].back(), "ExitItem");
  EXPECT_EQ(MenuItems(MenuRoot::TextPopup).size(), 23u);
  EXPECT_EQ(MenuItems(MenuRoot::ImageAPopup).size(), 4u);
  EXPECT_EQ(MenuItems(MenuRoot::ImageBPopup).size(), 4u);
}

// The commands that need an open page file, as the program's behaviour lists them.
TEST(MenuTable, FileDependentItemsAreExactlyTheListedOnes) {
  const std::set<std::string> expected = {
      // File, with the submenus of import and export
      "SaveItem", "SaveCloseItem", "RenameItem", "SlimItem", "ImportItem", "APPendDBFItem",
      "AppendTextToOneRecordItem", "AppendTextToNewRecordItem", "ExportItem", "ToDBFItem",
      "ToTextFileItem", "HTMLFileItem", "TeXFileItem", "PrintItem", "PictureDataItem",
      // Edit
      "UndoItem", "UndoUndoItem", "TextCopyItem", "TextCutItem", "TextPasteItem", "TextDeleteItem",
      "TextSelectAllItem", "MojisuItem", "ChangePunctuationItem", "UpperLowerItem",
      "ZenkakuHankakuHenkanItem", "KanArabiaHenkanItem", "KisuhoItem", "StringCountItem",
      "FusenItem",
      // Search
      "AllFindItem", "MojiFindItem", "DateFindItem", "TitleFindItem", "ChoshaFindItem",
      "ImageFileNameFindItem", "PriorFindItem", "NextFindItem", "UpFindItem", "DownFindItem",
      "ReplaceItem",
      // Page: every item
      "PageListItem", "FirstItem", "TenPriorItem", "PriorItem", "NextItem", "TenNextItem",
      "LastItem", "JumpPageNumItem", "ToLastYearItem", "ToNextYearItem", "PageRirekiBackItem",
      "PageRirekiForwardItem", "AddShioriItem", "NewestShioriJumpItem", "ShioriListItem",
      "TextAlternateItem", "RecordAppendItem", "RecordDeleteItem",
      // View: every item but the font size, the display order submenu included
      "SelectRecordItem", "DisplayOrderItem", "PageOrderItem", "BOrderItem", "TOrderItem",
      "SOrderItem", "DOrderItem", "BTOrderItem", "BSOrderItem", "BDOrderItem", "TSOrderItem",
      "TDOrderItem", "SDOrderItem", "TextNormalModeItem", "TextItemizeModeItem", "DoHighLightItem",
      "DontHighLightItem", "TextRepaintItem", "PageViewModeItem", "FontItem", "SetKankyoItem",
      // Image
      "ImageViewMode_Item", "AddImageFileItem", "ImageFileDirectEditItem", "ToPriorImageItem",
      "ToNextImageItem", "ToFirstImageItem",
      // Text popup
      "TextNormalModePopUpItem", "TextItemizeModePopUpItem", "DoHighLightPopUpItem",
      "DontHighLightPopUpItem", "PopUpTextRepaintItem", "PageViewModePopUpItem", "FontPopUpItem",
      "MojisuPopUpItem", "TextAltFilePopUpItem", "PopUpSetShioriItem", "PopUpShioriIchiranItem",
      "PopUpFusenItem"};
  std::set<std::string> actual;
  for (MenuRoot root : kRoots) {
    for (const MenuItemDef& item : MenuItems(root)) {
      if (item.file_dependent) actual.insert(item.name);
    }
  }
  std::vector<std::string> missing, extra;
  std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(),
                      std::back_inserter(missing));
  std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(),
                      std::back_inserter(extra));
  EXPECT_TRUE(missing.empty()) << "not file-dependent but should be: "
                               << ::testing::PrintToString(missing);
  EXPECT_TRUE(extra.empty()) << "file-dependent but should not be: "
                             << ::testing::PrintToString(extra);
}

// A shortcut is written as QKeySequence's portable text gives it back: modifiers in the order
// Ctrl, Alt, Shift, then one key that the toolkit knows by this name.
bool IsCanonicalShortcut(const std::string& s) {
  static const std::vector<std::string> kModifiers = {"Ctrl+", "Alt+", "Shift+"};
  std::size_t pos = 0;
  for (const std::string& m : kModifiers) {
    if (s.compare(pos, m.size(), m) == 0) pos += m.size();
  }
  const std::string key = s.substr(pos);
  if (key.size() == 1) return (key[0] >= 'A' && key[0] <= 'Z') || (key[0] >= '0' && key[0] <= '9');
  if (key == "Backspace" || key == "Del") return true;
  if (key.size() >= 2 && key[0] == 'F') {
    const std::string n = key.substr(1);
    if (!std::all_of(n.begin(), n.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
      return false;
    }
    const int f = std::stoi(n);
    return n[0] != '0' && f >= 1 && f <= 12;
  }
  return false;
}

TEST(MenuTable, ShortcutsAreCanonicalAndUniqueWithinTheMainMenu) {
  for (const char* bad : {"Ctrl+Delete", "Shift+Alt+Backspace", "ctrl+o", "Ctrl+", "F0", "F13",
                          "Ctrl+OO", "Ctrl + O"}) {
    EXPECT_FALSE(IsCanonicalShortcut(bad)) << bad;
  }
  std::map<std::string, std::string> main_owner;
  for (MenuRoot root : kRoots) {
    for (const MenuItemDef& item : MenuItems(root)) {
      const std::string shortcut = item.shortcut;
      if (shortcut.empty()) continue;
      EXPECT_TRUE(IsCanonicalShortcut(shortcut)) << item.name << ": " << shortcut;
      if (root != MenuRoot::Main) continue;
      auto [it, fresh] = main_owner.emplace(shortcut, item.name);
      EXPECT_TRUE(fresh) << shortcut << " on both " << it->second << " and " << item.name;
    }
  }
  const std::map<std::string, std::string> spots = {{"OpenItem", "Ctrl+O"},
                                                    {"UndoItem", "Alt+Backspace"},
                                                    {"UndoUndoItem", "Alt+Shift+Backspace"},
                                                    {"TextDeleteItem", "Ctrl+Del"},
                                                    {"AddImageFileItem", "Ctrl+Alt+A"},
                                                    {"NextItem", "F11"},
                                                    {"LastItem", "Ctrl+F12"},
                                                    {"RecordAppendItem", "Ctrl+Z"},
                                                    {"PopUpPasteToTitleItem", "Ctrl+Alt+T"},
                                                    {"SaveItem", ""}};
  for (const auto& [name, shortcut] : spots) {
    ASSERT_NE(FindMenuItem(name), nullptr) << name;
    EXPECT_EQ(FindMenuItem(name)->shortcut, shortcut) << name;
  }
}

// A handler names either the item's own slot or the slot of a main-menu command it shares, so
// a misspelt handler shows up here instead of as a dead command.
TEST(MenuTable, HandlersAreOwnSlotsOrSharedMainMenuSlots) {
  std::set<std::string> main_handlers;
  for (const MenuItemDef& item : MenuItems(MenuRoot::Main)) {
    EXPECT_EQ(std::string(item.handler), std::string(item.name) + "Click") << item.name;
    main_handlers.insert(item.handler);
  }
  for (MenuRoot root : {MenuRoot::TextPopup, MenuRoot::ImageAPopup, MenuRoot::ImageBPopup}) {
    for (const MenuItemDef& item : MenuItems(root)) {
      const std::string own = std::string(item.name) + "Click";
      EXPECT_TRUE(item.handler == own || main_handlers.count(item.handler)) << item.name;
    }
  }
  for (const ToolButtonDef& button : ToolbarButtons()) {
    const std::string own = std::string(button.name) + "Click";
    EXPECT_TRUE(button.handler == own || main_handlers.count(button.handler)) << button.name;
  }
  const std::map<std::string, std::string> shared = {
      {"TextNormalModePopUpItem", "TextNormalModeItemClick"},
      {"PopUpSetShioriItem", "AddShioriItemClick"},
      {"PopUpShioriIchiranItem", "ShioriListItemClick"},
      {"ImageSaveBPopUpItem", "ImageSaveBItemClick"},
      {"MojisuPopUpItem", "MojisuItemClick"},
      {"PopUpFusenItem", "PopUpFusenItemClick"}};
  for (const auto& [name, handler] : shared) {
    EXPECT_EQ(FindMenuItem(name)->handler, handler) << name;
  }
}

TEST(MenuTable, CaptionsKeepTheirExactBytes) {
  const std::map<std::string, std::string> spots = {
      {"FileMenu", "\xef\xbe\x8c\xef\xbd\xa7\xef\xbd\xb2\xef\xbe\x99(&F)"},  // half-width katakana
      {"HelpMenu", "\xef\xbe\x8d\xef\xbe\x99\xef\xbe\x8c\xef\xbe\x9f(&H)"},
      {"ImportItem", "インポート( &I )"},
      {"ImageMenu", "画像・リンク( &I ) "},  // the trailing space is part of it
      {"TextNormalModeItem", "テキスト表示(ノーマルモード)\xe3\x80\x80(&N)"},  // full-width space
      {"DontHighLightItem", "テキスト強調表示(しない)\xe3\x80\x80(&U)"},
      {"BTOrderItem", "(分類\xef\xbc\x8bタイトル)順(&4)"},  // full-width plus until captions load
      {"AddImageFileItem", "ページに画像（リンクファイル）を追加( &A )..."},
      {"ViewerBItem", "領域の２画像（リンクファイル）をビューアで開く (&6)"},
      {"UpperToLowerItem", "(&A) 大文字→小文字 (半角文字のみ)"},
      {"TenPriorItem", "10ページ戻る(&Q)"},
      {"PopUpPasteToSubtitleItem", "(&2) 選択文字列をサブタイトルに貼りつけ"},
      {"EditByEditor1", "エディタで編集"},
  };
  for (const auto& [name, caption] : spots) {
    ASSERT_NE(FindMenuItem(name), nullptr) << name;
    EXPECT_EQ(FindMenuItem(name)->caption, caption) << name;
  }
}

TEST(MenuTable, CheckGroupsHoldTheExclusiveChoices) {
  std::map<std::pair<int, std::string>, std::vector<std::string>> groups;
  for (MenuRoot root : kRoots) {
    for (const MenuItemDef& item : MenuItems(root)) {
      if (*item.group != '\0') groups[{static_cast<int>(root), item.group}].push_back(item.name);
    }
  }
  const int main = static_cast<int>(MenuRoot::Main);
  const int popup = static_cast<int>(MenuRoot::TextPopup);
  const std::map<std::pair<int, std::string>, std::vector<std::string>> expected = {
      {{main, "order"},
       {"PageOrderItem", "BOrderItem", "TOrderItem", "SOrderItem", "DOrderItem", "BTOrderItem",
        "BSOrderItem", "BDOrderItem", "TSOrderItem", "TDOrderItem", "SDOrderItem"}},
      {{main, "textmode"}, {"TextNormalModeItem", "TextItemizeModeItem"}},
      {{main, "highlight"}, {"DoHighLightItem", "DontHighLightItem"}},
      {{main, "imageview"}, {"NormalSize_Item", "KakudaiShukusho_Item", "ToSmallSizeItem"}},
      {{popup, "textmode"}, {"TextNormalModePopUpItem", "TextItemizeModePopUpItem"}},
      {{popup, "highlight"}, {"DoHighLightPopUpItem", "DontHighLightPopUpItem"}},
  };
  EXPECT_EQ(groups, expected);
}

TEST(MenuTable, ToolbarRunsItsCommandsLeftToRight) {
  const std::vector<ToolButtonDef>& buttons = ToolbarButtons();
  ASSERT_EQ(buttons.size(), 22u);
  EXPECT_STREQ(buttons.front().name, "OpenBtn");
  EXPECT_STREQ(buttons.back().name, "PageListSpeedButton");
  std::map<std::string, const ToolButtonDef*> by_name;
  for (const ToolButtonDef& b : buttons) by_name[b.name] = &b;
  EXPECT_STREQ(by_name["AddSpeedButton"]->handler, "RecordAppendItemClick");
  EXPECT_EQ(ToolButtonHint(*by_name["AddSpeedButton"]), "ページ追加 (Ctrl+Z)");
  // Until the settings rename them, the skip buttons read as the ten-page default.
  EXPECT_EQ(ToolButtonHint(*by_name["TenPriorSpeedButton"]), "10ページ戻る (F9)");
  EXPECT_EQ(ToolButtonHint(*by_name["TenNextSpeedButton"]), "10ページ進む (F12)");
  EXPECT_EQ(ToolButtonHint(*by_name["ChangeImageViewModeSpeedButton"]), "画像表示モード切替");
}

// A hint that names a key names the key that runs the same command: the shortcut of the menu item
// whose command the button runs.
TEST(MenuTable, ToolbarHintsNameTheKeysOfTheirCommands) {
  // Buttons whose slot differs from their menu item's, running the same command.
  const std::map<std::string, std::string> same_command = {
      {"OpenBtnClick", "OpenItemClick"},
      {"ModoruButtonClick", "PageRirekiBackItemClick"},
      {"SusumuButtonClick", "PageRirekiForwardItemClick"},
      {"ShioriListSpeedButtonClick", "ShioriListItemClick"},
      {"PageListSpeedButtonClick", "PageListItemClick"}};
  for (const ToolButtonDef& b : ToolbarButtons()) {
    SCOPED_TRACE(b.name);
    const std::string hint = ToolButtonHint(b);
    if (!b.command[0]) {
      EXPECT_EQ(hint.find('('), std::string::npos);
      continue;
    }
    const MenuItemDef* item = FindMenuItem(b.command);
    ASSERT_NE(item, nullptr);
    auto alias = same_command.find(b.handler);
    EXPECT_EQ(item->handler, alias == same_command.end() ? b.handler : alias->second);
    if (item->shortcut[0])
      EXPECT_EQ(hint, std::string(b.words) + " (" + item->shortcut + ")");
    else
      EXPECT_EQ(hint, b.words);
  }
  std::map<std::string, std::string> hints;
  for (const ToolButtonDef& b : ToolbarButtons()) hints[b.name] = ToolButtonHint(b);
  EXPECT_EQ(hints["ModoruButton"], "ページ移動歴を戻る (F7)");
  EXPECT_EQ(hints["SusumuButton"], "ページ移動歴を進む (F8)");
  EXPECT_EQ(hints["ToFisrtBtn"], "最初のページへ (Ctrl+F9)");
  EXPECT_EQ(hints["LastYearSpeedButton"], "１年前のページへ");
}

// ---------------------------------------------------------------------------------------------
// Captions built from the field captions

const std::vector<std::string> kCustom = {"種別", "題", "著者", "日付", "写真"};

TEST(Captions, CustomFieldCaptionsReachEveryDependentTarget) {
  const auto changes = FieldDependentCaptions(kCustom, "");
  EXPECT_EQ(CaptionOf(changes, "Label1"), "種別");
  EXPECT_EQ(CaptionOf(changes, "Label2"), "題");
  EXPECT_EQ(CaptionOf(changes, "Label3"), "著者");
  EXPECT_EQ(CaptionOf(changes, "Label4"), "日付");
  EXPECT_EQ(CaptionOf(changes, "Label5"), "写真");
  EXPECT_EQ(HintOf(changes, "BunruiComboBox"),
            "種別。設定は，右端のボタンで行います。項目の追加は環境設定で。");
  EXPECT_EQ(HintOf(changes, "TitleEdit"), "題。直接記入します。");
  EXPECT_EQ(HintOf(changes, "ChoshaEdit"), "著者。直接記入します。");
  EXPECT_EQ(HintOf(changes, "DateEdit"), "日付。変更はカレンダーによる。");
  EXPECT_EQ(HintOf(changes, "DateTimePicker"), "日付。変更はカレンダーによる。");
  EXPECT_EQ(HintOf(changes, "ImageFileNameEdit"), "ページに関連づけられた写真。直接記入は不可。");
  EXPECT_EQ(CaptionOf(changes, "DateFindItem"), "日付検索(&Y)");
  EXPECT_EQ(HintOf(changes, "DateFindItem"), "指定する日付のページにジャンプする。");
  EXPECT_EQ(CaptionOf(changes, "TitleFindItem"), "題検索(&T)");
  EXPECT_EQ(HintOf(changes, "TitleFindItem"), "題を検索する。");
  EXPECT_EQ(CaptionOf(changes, "ChoshaFindItem"), "著者検索(&S)");
  EXPECT_EQ(HintOf(changes, "ChoshaFindItem"), "著者を検索する。");
  EXPECT_EQ(CaptionOf(changes, "ImageFileNameFindItem"), "写真検索(&I)");
  EXPECT_FALSE(FindChange(changes, "ImageFileNameFindItem")->hint.has_value());

  struct Order {
    const char* item;
    const char* caption;
    const char* hint;
  };
  const Order orders[] = {
      {"BOrderItem", "種別順(&0)", "種別順にページを表示する。"},
      {"TOrderItem", "題順(&1)", "題順にページを表示する。"},
      {"SOrderItem", "著者順(&2)", "著者順にページを表示する。"},
      {"DOrderItem", "日付順(&3)", "日付順にページを表示する。"},
      {"BTOrderItem", "(種別+題)順(&4)", "種別(主)，題(副)順にページを表示する。"},
      {"BSOrderItem", "(種別+著者)順(&5)", "種別(主)，著者(副)順にページを表示する。"},
      {"BDOrderItem", "(種別+日付)順(&6)", "種別(主)，日付(副)順にページを表示する。"},
      {"TSOrderItem", "(題+著者)順(&7)", "題(主)，著者(副)順にページを表示する。"},
      {"TDOrderItem", "(題+日付)順(&8)", "題(主)，日付(副)順にページを表示する。"},
      {"SDOrderItem", "(著者+日付)順(&9)", "著者(主)，日付(副)順にページを表示する。"},
  };
  for (const Order& o : orders) {
    EXPECT_EQ(CaptionOf(changes, o.item), o.caption);
    EXPECT_EQ(HintOf(changes, o.item), o.hint);
  }
  // Every menu item the changes name exists in the table.
  for (const CaptionChange& c : changes) {
    if (c.target.size() > 4 && c.target.ends_with("Item")) {
      EXPECT_NE(FindMenuItem(c.target), nullptr) << c.target;
    }
  }
}

TEST(Captions, DefaultsUseHalfWidthPlusInCombinedOrders) {
  const std::vector<std::string> defaults(kDefaultFieldCaptions.begin(),
                                          kDefaultFieldCaptions.end());
  const auto changes = FieldDependentCaptions(defaults, "");
  EXPECT_EQ(CaptionOf(changes, "DateFindItem"), "日付検索(&Y)");
  EXPECT_EQ(CaptionOf(changes, "BTOrderItem"), "(分類+タイトル)順(&4)");
  // A short list (never expected, but not to be read past) takes the defaults for the rest.
  EXPECT_EQ(
      FieldDependentCaptions({"種別"}, ""),
      FieldDependentCaptions({"種別", "タイトル", "サブタイトル", "日付", "画像ファイル"}, ""));
}

TEST(Captions, Label5KeepsTheImageCountAfterTheNewCaption) {
  struct Case {
    const char* now;
    const char* expected;
  };
  const Case cases[] = {
      {"", "写真"},
      {"画像ファイル", "写真"},
      {"画像ファイル(2,3/5)", "写真(2,3/5)"},
      {"画像ファイル(1/1)", "写真(1/1)"},
      {"画像ファイル(なし)", "写真(なし)"},
      {"絵(旧)(2/4)",
       "写真(2/4)"},  // an old caption with its own parenthesis leaves nothing behind
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CaptionOf(FieldDependentCaptions(kCustom, c.now), "Label5"), c.expected) << c.now;
  }
}

TEST(Captions, StoredCaptionValue) {
  const std::vector<std::string> defaults(kDefaultFieldCaptions.begin(),
                                          kDefaultFieldCaptions.end());
  struct Case {
    std::vector<std::string> stored;
    bool exists;
    std::vector<std::string> expected;
    bool write_back;
  };
  const Case cases[] = {
      {{}, false, defaults, true},
      {{}, true, defaults, true},
      {{"種別", "題", "著者", "日付"}, true, defaults, true},
      {kCustom, true, kCustom, false},
      {{"種別", "題", "著者", "日付", "写真", "余分", ""}, true, kCustom, false},
      {{"", "", "", "", ""}, true, {"", "", "", "", ""}, false},
  };
  for (const Case& c : cases) {
    bool write_back = !c.write_back;
    EXPECT_EQ(FieldCaptionsFromStored(c.stored, c.exists, &write_back), c.expected)
        << ::testing::PrintToString(c.stored);
    EXPECT_EQ(write_back, c.write_back) << ::testing::PrintToString(c.stored);
  }
  EXPECT_EQ(FieldCaptionsFromStored({"a"}, true, nullptr), defaults);
}

TEST(Captions, RepeatExportItemFollowsTheLastExportKind) {
  struct Case {
    int kind;
    bool enabled;
    const char* caption;
    const char* hint;
  };
  const Case cases[] = {
      {0, false, "前回と同一条件でファイルを出力(&T)",
       "前回出力したときと同じ条件で，データをファイルとして出力します。"},
      {1, true, "前回と同一条件でテキストファイルを出力(&T)",
       "前回出力したときと同じ条件で，データをテキストファイルとして出力します。"},
      {2, true, "前回と同一条件でHTMLファイルを出力(&T)",
       "前回出力したときと同じ条件で，データをHTMLファイルとして出力します。"},
      {3, true, "前回と同一条件でTEXファイルを出力(&T)",
       "前回出力したときと同じ条件で，データをTEXファイルとして出力します。"},
      {4, true, "前回と同一条件でそらくもファイルを出力(&T)",
       "前回出力したときと同じ条件で，データをそらくもファイルとして出力します。"},
      {5, false, "前回と同一条件でファイルを出力(&T)",
       "前回出力したときと同じ条件で，データをファイルとして出力します。"},
      {-1, false, "前回と同一条件でファイルを出力(&T)",
       "前回出力したときと同じ条件で，データをファイルとして出力します。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(FileOutPutEnabled(c.kind), c.enabled);
    const auto changes = FileMenuCaptions(c.kind);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(CaptionOf(changes, "FileOutPutItem"), c.caption);
    EXPECT_EQ(HintOf(changes, "FileOutPutItem"), c.hint);
  }
}

TEST(Captions, EditMenuAndTextPopupFollowSelectionAndNote) {
  const auto whole = EditMenuSelectionCaptions(false);
  EXPECT_EQ(CaptionOf(whole, "MojisuItem"), "テキスト全体の文字数をカウント(&N)");
  EXPECT_EQ(CaptionOf(whole, "ChangePunctuationItem"), "テキスト全体の句読点変換(&P)");
  EXPECT_EQ(CaptionOf(whole, "StringCountItem"),
            "テキスト全体に含まれる特定の文字列数をカウント (&S)");
  const auto selected = EditMenuSelectionCaptions(true);
  EXPECT_EQ(CaptionOf(selected, "MojisuItem"), "選択領域の文字数をカウント(&N)");
  EXPECT_EQ(CaptionOf(selected, "ChangePunctuationItem"), "選択領域の句読点変換(&P)");
  EXPECT_EQ(CaptionOf(selected, "StringCountItem"),
            "選択領域に含まれる特定の文字列数をカウント (&S)");

  EXPECT_EQ(FusenItemCaption(false), FindMenuItem("FusenItem")->caption);
  EXPECT_EQ(FusenItemCaption(true), "付箋を閉じる (&F)");
  EXPECT_EQ(PopUpFusenCaption(false), FindMenuItem("PopUpFusenItem")->caption);
  EXPECT_EQ(PopUpFusenCaption(true), "(&O) 付箋を閉じる");

  const auto popup = TextPopupCaptions(kCustom, false);
  EXPECT_EQ(CaptionOf(popup, "PopUpPasteToTitleItem"), "(&1) 選択文字列を題欄に貼りつけ");
  EXPECT_EQ(CaptionOf(popup, "PopUpPasteToSubtitleItem"), "(&2) 選択文字列を著者欄に貼りつけ");
  EXPECT_EQ(CaptionOf(popup, "MojisuPopUpItem"), "(&C) テキスト全体の字数をカウント");
  EXPECT_EQ(CaptionOf(TextPopupCaptions(kCustom, true), "MojisuPopUpItem"),
            "(&C) 選択文字列の字数をカウント");
}

TEST(Captions, SkipCommandsNameTheirPageCount) {
  const auto five = MiddleSkipCaptions(5);
  // The menu shows the key in its shortcut column: the caption keeps its letter instead.
  EXPECT_EQ(CaptionOf(five, "TenPriorItem"), "5ページ戻る(&Q)");
  EXPECT_EQ(CaptionOf(five, "TenNextItem"), "5ページ進む(&M)");
  EXPECT_EQ(HintOf(five, "TenPriorSpeedButton"), "5ページ戻る (F9)");
  EXPECT_EQ(HintOf(five, "TenNextSpeedButton"), "5ページ進む (F12)");
  const auto hundred = MiddleSkipCaptions(100);
  EXPECT_EQ(CaptionOf(hundred, "TenNextItem"), "100ページ進む(&M)");
  EXPECT_FALSE(FindChange(hundred, "TenNextItem")->hint.has_value());
  EXPECT_FALSE(FindChange(hundred, "TenNextSpeedButton")->caption.has_value());
}

}  // namespace
}  // namespace sk::app
