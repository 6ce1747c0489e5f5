// The histories of the search and replace dialogs: past inputs, newest first, at most 20, kept
// in the settings as lines.  Inputs are CP932.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sk::search {

inline constexpr size_t kHistoryMax = 20;

// The input moved (or added) to the top; an entry equal to it without regard to case goes.
std::vector<std::string> PushHistory(std::vector<std::string> history, std::string_view input);

// The settings value of a search kind's history: 1 text "FindText", 2 date "FindDate", 3 title
// "FindTitle", 4 subtitle "FindChosha", -1 all fields "FindAll", any other "ImageText".
const char* HistoryValueName(int kind);

}  // namespace sk::search
