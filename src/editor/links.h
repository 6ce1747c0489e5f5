// Web and mail addresses in the page text: where they are painted as links, and what a click on
// a painted link opens.
//
// Everything works on CP932 bytes and never starts or ends an address inside a double-byte
// character: a kanji whose trail byte looks like a letter or "@" is a kanji, not part of an
// address.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sk::editor {

enum class LinkKind { kUrl, kMail };

struct LinkSpan {
  int start;
  int length;
  LinkKind kind;
  bool operator==(const LinkSpan&) const = default;
};

// The links of the paragraph text[start, end), in order, at offsets into text.
//
// A web address is "http://" or "https://" followed by single-byte characters above the blank
// (DEL excluded); it is a link only where its "h" does not continue a word (the byte before is
// not a single-byte letter, digit or "_").  A mail address is the run of letters and digits
// before an "@", the "@" and the run of letters, digits and "." after it; it is a link only when
// that run has a "." in it and the part before the "@" is not empty.
std::vector<LinkSpan> FindLinks(std::string_view text, int start, int end);

// What a click on a painted link does; caret is inside the paragraph [para_start, para_end].
struct LinkTarget {
  enum Result {
    kNothing,  // the caret is not inside an address: leave it where the click put it
    kNotUrl,   // no web address before the caret: tell the user no browser can be opened
    kNotMail,  // no "@", or an address without "."; caret_after >= 0 in the latter case
    kOpen      // open target
  } result = kNothing;
  int caret_after = -1;  // where the caret goes (the end of the address), -1 to leave it
  std::string target;    // the address bytes, "mailto:" + address for mail
};

// A click on text painted as a web address.  The address begins at the nearest "http://" or
// "https://" at or before the caret and ends before the first byte from the caret on that is a
// control character, a blank, DEL or a double-byte character.  kOpen when the caret lies strictly
// between its start and its end.
LinkTarget UrlAtCaret(std::string_view text, int para_start, int para_end, int caret);

// A click on text painted as a mail address.  The "@" is the nearest one at or before the caret,
// else the first one after it in the paragraph; the address spans the letters and digits before
// it and the letters, digits and "." after it.  With the caret strictly inside the address the
// caret goes to its end: kOpen with "mailto:" + address when the address has a ".", kNotMail
// otherwise.
LinkTarget MailAtCaret(std::string_view text, int para_start, int para_end, int caret);

}  // namespace sk::editor
