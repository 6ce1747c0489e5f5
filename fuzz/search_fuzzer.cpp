// The scans of the searches against a slow reference that walks every character.
// Input: one byte of flags (bit 0 match case, bit 1 force any-string mode), then the search
// input up to the first 0x00 byte, then the text (any bytes, as a damaged page may hold).  The
// forward and backward scans and the replace's lookups must give exactly the hits the reference
// finds: starting and ending on character boundaries of the text, compared lower-cased unless
// case matters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/sjis.h"
#include "search/find_scan.h"

namespace {

using sk::search::FindHit;
using sk::search::SearchStrings;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

struct Reference {
  Reference(std::string_view text, bool match_case)
      : text(text), folded(match_case ? std::string(text) : sk::sjis::ToLowerKeepLength(text)) {
    boundary.assign(text.size() + 1, false);
    for (size_t i = 0; i < text.size(); i += sk::sjis::CharLen(text, i)) boundary[i] = true;
    boundary[text.size()] = true;
  }
  bool MatchAt(size_t p, const std::string& s) const {
    return boundary[p] && p + s.size() <= text.size() && boundary[p + s.size()] &&
           std::string_view(folded).substr(p, s.size()) == s;
  }
  std::string_view text;
  std::string folded;
  std::vector<bool> boundary;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool match_case = data[0] & 1, force_any = data[0] & 2;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t cut = rest.find('\0');
  if (cut == std::string_view::npos) return 0;
  const std::string_view input = rest.substr(0, cut), text = rest.substr(cut + 1);
  const SearchStrings s = sk::search::SetKensakuMojiList(input, match_case, force_any);
  const Reference ref(text, match_case);

  // Forward: the earliest position, the first string in list order there; in all-strings mode
  // only when every string occurs.
  FindHit want;
  std::vector<bool> seen(s.strings.size(), false);
  for (size_t p = 0; p < text.size(); ++p) {
    for (size_t i = 0; i < s.strings.size(); ++i) {
      if (s.strings[i].empty() || !ref.MatchAt(p, s.strings[i])) continue;
      seen[i] = true;
      if (!want.found()) want = FindHit{int(i), p};
    }
  }
  if (!s.any)
    for (bool b : seen)
      if (!b) want = FindHit{};
  const FindHit got = sk::search::DoFind(s, text);
  Check(got.string_index == want.string_index);
  if (want.found()) Check(got.position == want.position);

  // Backward: the last position, any-string mode.
  FindHit back;
  for (size_t p = text.size(); p-- > 0 && !back.found();)
    for (size_t i = 0; i < s.strings.size() && !back.found(); ++i)
      if (!s.strings[i].empty() && ref.MatchAt(p, s.strings[i])) back = FindHit{int(i), p};
  const FindHit got_back = sk::search::DoRevFind(s, text);
  Check(got_back.string_index == back.string_index);
  if (back.found()) Check(got_back.position == back.position);

  // The replace's lookups of the input as one plain string.
  const std::string needle = match_case ? std::string(input) : sk::sjis::ToLowerKeepLength(input);
  const size_t from = text.size() / 3, limit = text.size() - text.size() / 4;
  size_t down = std::string_view::npos, up = std::string_view::npos;
  for (size_t p = 0; p < text.size() && !needle.empty(); ++p) {
    if (!ref.MatchAt(p, needle)) continue;
    if (p >= from && down == std::string_view::npos) down = p;
    if (p + needle.size() <= limit) up = p;
  }
  Check(sk::search::FindPlain(text, input, from, match_case) == down);
  Check(sk::search::RFindPlain(text, input, limit, match_case) == up);
  return 0;
}
