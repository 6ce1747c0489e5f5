// The page choice shared by the commands that walk pages (export, print).
#include <charconv>
#include <optional>

#include "cli/tool_common.h"
#include "store/page_file.h"

namespace sk::cli {

bool ParseInt(const std::string& s, int lo, int hi, int* out) {
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

std::vector<std::string> SplitComma(const std::string& s) {
  std::vector<std::string> v;
  size_t start = 0;
  while (start <= s.size()) {
    size_t comma = s.find(',', start);
    if (comma == std::string::npos) comma = s.size();
    if (comma > start) v.push_back(s.substr(start, comma - start));
    start = comma + 1;
  }
  return v;
}

bool ParsePageChoice(const Options& o, const CommandInfo* cmd, PageChoice* c) {
  if (auto it = o.find("pages"); it != o.end()) {
    c->ranged = true;
    if (it->second == "all") {
      c->range.all = true;
    } else {
      if (!ParseInt(it->second, 0, 1 << 30, &c->range.count)) {
        Usage("--pages は all か 0 以上の数です", cmd);
        return false;
      }
      c->range.all = false;
    }
  }
  if (auto it = o.find("from-page");
      it != o.end() && !ParseInt(it->second, 1, 1 << 30, &c->from_page)) {
    Usage("--from-page はページ番号です", cmd);
    return false;
  }
  browse::PageSelection& sel = c->selection;
  if (auto it = o.find("category"); it != o.end()) {
    sel.BunruiSelectMode = true;
    for (const std::string& cat : SplitComma(it->second)) {
      std::string b;
      if (!Convert("--category", cat, &b)) return false;
      sel.SelBunruiList.push_back(b);
    }
  }
  for (const char* name : {"from", "to"}) {
    auto it = o.find(name);
    if (it == o.end()) continue;
    const std::string& d = it->second;
    std::optional<store::Date> date;
    if (d.size() == 10 && d[4] == '-' && d[7] == '-')
      date = browse::ParseSelectionDate(d.substr(0, 4) + "/" + d.substr(5, 2) + "/" + d.substr(8));
    if (!date) {
      Usage(std::string("--") + name + " は YYYY-MM-DD で指定してください", cmd);
      return false;
    }
    sel.DateSelectMode = true;
    (std::string(name) == "from" ? sel.SelStartDate : sel.SelEndDate) = *date;
  }
  return true;
}

Status OpenPageChoice(const std::string& path, const Options& o, PageChoice* c, store::Table* t) {
  t->SetNoticeSink(PrintNotice);
  Status st = t->Open(path, store::PageFileOptions(true));
  if (st.ok() && o.count("order")) st = t->SetIndexName(o.at("order"));
  store::Table::Filter filter;
  if (st.ok() && c->selection.AnyActive()) {
    filter = browse::MakeSelectionFilter(c->selection, *t);
    t->SetFilter(filter);
    st = t->SetFiltered(true);
  }
  if (!st.ok()) return st;
  if (c->from_page == 0) return t->First();
  st = t->GotoBookmark(store::Table::Bookmark(c->from_page));
  c->range.current_left = st.ok() && filter && !filter(*t);
  return st;
}

}  // namespace sk::cli
