// How the user was looking at a page file when it was closed: the page, the text selection, the
// pictures, the display order and the page selection.  Kept in the file's subkey of the settings
// and given back when the file is opened again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "browse/page_selection.h"
#include "settings/settings_store.h"

namespace sk::browse {

struct ViewCondition {
  int SelStart = 0;  // the text selection, in bytes
  int SelLength = 0;
  int ImageNum = 0;       // the picture shown first
  int ImageAction = 1;    // the picture display mode
  std::string IndexName;  // the display order's tag, "" for page-number order
  // The condition flags, the category lists and the substrings; the dates follow the two texts.
  PageSelection selection;
  std::string SelStartDate, SelEndDate;  // the texts of the selection dialog's date boxes
  std::optional<bool> Filtered;          // whether the selection is in force
  std::optional<int> RecNo;              // the page on show
};

// Writes every value into the subkey `key` (created when missing).
void WriteViewCondition(settings::SettingsStore& reg, std::string_view key, const ViewCondition& v);
// Reads them back, each missing value taking its default; nullopt when the subkey does not exist.
std::optional<ViewCondition> ReadViewCondition(settings::SettingsStore& reg, std::string_view key);

// The selection's first and last day from the texts of the date boxes: an empty text leaves that
// side open (1900/1/1, 2099/12/31); a text that is not a date gives 1899/12/30 and 2119/1/11.
store::Date StartDateFromText(std::string_view text);
store::Date EndDateFromText(std::string_view text);

}  // namespace sk::browse
