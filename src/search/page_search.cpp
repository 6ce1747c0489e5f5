#include "search/page_search.h"

#include <iterator>

namespace sk::search {

namespace {

// Pages between two calls of the progress callback.
constexpr uint32_t kProgressEvery = 256;

}  // namespace

Status PageSearchText(const store::Table& t, SearchFields fields, std::string* out) {
  switch (fields) {
    case SearchFields::kText:
      return t.ReadField("TEXT", out);
    case SearchFields::kTitle:
      return t.ReadField("TITLE", out);
    case SearchFields::kSubtitle:
      return t.ReadField("SUBTITLE", out);
    case SearchFields::kImage:
      return t.ReadField("IMAGEFILE", out);
    case SearchFields::kAll:
      break;
  }
  // The fields joined by a byte no field holds, so that no hit spans two of them.
  static const char* const kJoined[] = {"TITLE", "SUBTITLE", "IMAGEFILE", "TEXT"};
  thread_local std::string field;
  out->clear();
  for (size_t i = 0; i < std::size(kJoined); ++i) {
    Status st = t.ReadField(kJoined[i], &field);
    if (!st.ok()) return st;
    if (i > 0) out->push_back('\x01');
    out->append(field);
  }
  return Status::Ok();
}

Status ScanPages(store::Table& t, const SearchStrings& s, SearchFields fields, const PageWalk& walk,
                 PageWalkResult* result) {
  *result = PageWalkResult{};
  auto at_end = [&] { return walk.forward ? t.Eof() : t.Bof(); };
  auto step = [&] { return walk.forward ? t.Next() : t.Prior(); };
  if (t.IsEmpty()) return Status::Ok();
  if (walk.step_first) {
    Status st = step();
    if (!st.ok() || at_end()) return st;
  }
  std::string text;  // one buffer for every page
  while (true) {
    Status st = s.empty() ? Status::Ok() : PageSearchText(t, fields, &text);
    if (!st.ok()) return st;
    ++result->pages;
    const FindHit hit = DoFind(s, text);
    if (hit.found()) {
      result->hit = hit;
      return Status::Ok();
    }
    // After the first page, then every kProgressEvery pages.
    if (walk.progress && result->pages % kProgressEvery == 1 &&
        !walk.progress(result->pages, t.RecordCount())) {
      result->cancelled = true;
      return Status::Ok();
    }
    st = step();
    if (!st.ok() || at_end()) return st;
  }
}

}  // namespace sk::search
