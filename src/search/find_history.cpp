#include "search/find_history.h"

#include <algorithm>

#include "convert/sjis.h"

namespace sk::search {

std::vector<std::string> PushHistory(std::vector<std::string> history, std::string_view input) {
  const std::string key = sjis::ToLowerKeepLength(input);
  std::erase_if(history, [&](const std::string& h) { return sjis::ToLowerKeepLength(h) == key; });
  history.insert(history.begin(), std::string(input));
  if (history.size() > kHistoryMax) history.resize(kHistoryMax);
  return history;
}

const char* HistoryValueName(int kind) {
  switch (kind) {
    case 1:
      return "FindText";
    case 2:
      return "FindDate";
    case 3:
      return "FindTitle";
    case 4:
      return "FindChosha";
    case -1:
      return "FindAll";
    default:
      return "ImageText";
  }
}

}  // namespace sk::search
