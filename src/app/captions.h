// Captions and hints that change while the program runs: those built from the five field captions
// of the open page file, and those the File menu, the Edit menu and the text popup adjust as they
// open.
//
// Pure functions on UTF-8 strings; the window applies each CaptionChange to the control or item
// whose object name is `target`.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sk::app {

// Category, title, subtitle, date, image file.
inline constexpr std::array<std::string_view, 5> kDefaultFieldCaptions = {
    "分類", "タイトル", "サブタイトル", "日付", "画像ファイル"};

struct CaptionChange {
  std::string target;                  // object name: "Label1", "DateFindItem", ...
  std::optional<std::string> caption;  // new caption, if it changes
  std::optional<std::string> hint;     // new hint, if it changes

  bool operator==(const CaptionChange&) const = default;
};

// Every caption and hint that names a field.  `c` holds the five field captions (missing entries
// read as the defaults).  `label5_now` is the current text of Label5: an image count that follows
// the caption in parentheses, such as "(2,3/5)" or "(なし)", is kept after the new caption.
std::vector<CaptionChange> FieldDependentCaptions(const std::vector<std::string>& c,
                                                  std::string_view label5_now);

// The field captions from the stored Caption value (already split into lines).  The first five
// lines are used; a missing value or one of fewer than five lines gives the defaults and sets
// *write_back (when given) so that the caller stores the defaults.
std::vector<std::string> FieldCaptionsFromStored(const std::vector<std::string>& stored,
                                                 bool exists, bool* write_back);

// The repeat-export item of the File menu for the kind of the last export (0 none, 1 text, 2 HTML,
// 3 TeX, 4 another page file): its caption and hint, and whether it is enabled.
std::vector<CaptionChange> FileMenuCaptions(int last_export_kind);
bool FileOutPutEnabled(int last_export_kind);

// The counting and converting items of the Edit menu, worded for a selection or for the whole text.
std::vector<CaptionChange> EditMenuSelectionCaptions(bool text_selection);

// The sticky-note items of the Edit menu and of the text popup.
std::string FusenItemCaption(bool note_shown);
std::string PopUpFusenCaption(bool note_shown);

// The paste-to-field items and the counting item of the text popup.
std::vector<CaptionChange> TextPopupCaptions(const std::vector<std::string>& c, bool selection);

// The skip commands renamed for the number of pages they move: the captions of TenPriorItem and
// TenNextItem and the hints of TenPriorSpeedButton and TenNextSpeedButton.
std::vector<CaptionChange> MiddleSkipCaptions(int count);

}  // namespace sk::app
