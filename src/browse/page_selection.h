// Which pages the main window shows and in which order it visits them.
//
// The selection is a set of conditions on a page's category, date, title and subtitle; a page is
// shown when every active condition holds.  It is evaluated by the table's filter hook on the raw
// record bytes, so applying a selection to a large file costs one pass over the .dbf.
// Strings are CP932 bytes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/table.h"

namespace sk::browse {

struct PageSelection {
  bool BunruiSelectMode = false;
  std::vector<std::string> SelBunruiList;     // category names
  std::vector<std::string> SelBunruiNumList;  // their positions in the category list, as decimals
  bool DateSelectMode = false;
  store::Date SelStartDate{1900, 1, 1};
  store::Date SelEndDate{2099, 12, 31};
  bool TitleSelectMode = false;
  std::string SelTitle;  // trimmed and lower-cased
  bool ChoshaSelectMode = false;
  std::string SelChosha;  // trimmed and lower-cased

  bool AnyActive() const {
    return BunruiSelectMode || DateSelectMode || TitleSelectMode || ChoshaSelectMode;
  }
  // The predicate on one page's fields, tested in the order category, date, title, subtitle.
  // A blank date fails an active date condition.
  bool Matches(std::string_view bunrui, const std::optional<store::Date>& date,
               std::string_view title, std::string_view chosha) const;
};

// A filter for `table` (open, with the page-file fields) that answers Matches() for the current
// record.  The selection is copied: install a new filter whenever the selection changes.
store::Table::Filter MakeSelectionFilter(const PageSelection& selection, const store::Table& table);

// "2024/1/5" or "2024/01/05" (blanks around the text allowed); nullopt when not a valid date.
std::optional<store::Date> ParseSelectionDate(std::string_view text);
// "2024/1/5"
std::string FormatSelectionDate(const store::Date& d);

// Puts `text` at the top of an input history: an entry equal to it without regard to case is
// removed first, and entries beyond the 20th are dropped.
void PushHistory(std::vector<std::string>& history, const std::string& text);

// The display orders: the code used by the order commands, the index tag ("" for page-number
// order) and the menu item that carries the check mark.
struct PageOrder {
  int code;
  std::string_view tag;
  std::string_view item;
};
inline constexpr std::array<PageOrder, 11> kPageOrders = {{
    {-1, "", "PageOrderItem"},
    {0, "B", "BOrderItem"},
    {1, "T", "TOrderItem"},
    {2, "S", "SOrderItem"},
    {3, "D", "DOrderItem"},
    {4, "BT", "BTOrderItem"},
    {5, "BS", "BSOrderItem"},
    {6, "BD", "BDOrderItem"},
    {7, "TS", "TSOrderItem"},
    {8, "TD", "TDOrderItem"},
    {9, "SD", "SDOrderItem"},
}};
// The order of a code or a tag; page-number order when unknown.
const PageOrder& OrderOfCode(int code);
const PageOrder& OrderOfTag(std::string_view tag);

}  // namespace sk::browse
