#include "editor/links.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sk::editor {
namespace {

// CP932 bytes used below.
#define A_KATA "\x83\x41"        // U+30A2 katakana a, trail byte is "A"
#define SMALL_A_KATA "\x83\x40"  // U+30A1 small katakana a, trail byte is "@"
#define DESU "\x82\xc5\x82\xb7"  // U+3067 U+3059

constexpr LinkKind kUrl = LinkKind::kUrl;
constexpr LinkKind kMail = LinkKind::kMail;

TEST(LinkScanTest, FindLinks) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<LinkSpan> want;
  };
  const Case cases[] = {
      {"web address between blanks", "see http://a.jp/x?y=1 now", {{4, 17, kUrl}}},
      {"https", "https://a.jp", {{0, 12, kUrl}}},
      {"after a letter", "xhttp://a.jp", {}},
      {"after a digit or underscore", "1http://a _http://b", {}},
      {"after a word, the next scheme counts", "xhttp://http://b", {{8, 8, kUrl}}},
      {"after a kanji whose trail byte is a letter", A_KATA "http://a.jp", {{2, 11, kUrl}}},
      {"ends before Japanese text", "http://a.jp" DESU, {{0, 11, kUrl}}},
      {"ends before a control character", "http://a.jp\tb", {{0, 11, kUrl}}},
      {"scheme alone", "http:/x http", {}},
      {"mail address", "to me@host.jp.", {{3, 11, kMail}}},
      {"dot in the local part: only the part after it", "first.last@host.jp", {{6, 12, kMail}}},
      {"mail without dot", "me@localhost", {}},
      {"empty local part", "@host.jp", {}},
      {"local part stops at a kanji", A_KATA "b@c.jp", {{2, 6, kMail}}},
      {"@ as a trail byte is no @", "x" SMALL_A_KATA "c.jp", {}},
      {"mail, then web address", "x@c.jp http://d", {{0, 6, kMail}, {7, 8, kUrl}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindLinks(c.text, 0, int(c.text.size())), c.want);
  }
  // Positions are offsets into the whole text; the paragraph end bounds the address.
  const std::string page = "ab\r\nhttp://x.jp\r\nm@y.jp";
  EXPECT_EQ(FindLinks(page, 4, 15), (std::vector<LinkSpan>{{4, 11, kUrl}}));
  EXPECT_EQ(FindLinks(page, 4, 10), std::vector<LinkSpan>{});  // "http:/" cut by the end
}

// A click at `caret` in a text that is one paragraph, and what it should give.
struct ClickCase {
  const char* name;
  int caret;
  LinkTarget::Result result;
  int caret_after;
  std::string target;
};

template <size_t N>
void ExpectClicks(LinkTarget (*click)(std::string_view, int, int, int), const std::string& text,
                  const ClickCase (&cases)[N]) {
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.name);
    const LinkTarget t = click(text, 0, int(text.size()), c.caret);
    EXPECT_EQ(t.result, c.result);
    EXPECT_EQ(t.caret_after, c.caret_after);
    EXPECT_EQ(t.target, c.target);
  }
}

TEST(LinkClickTest, Url) {
  const std::string text = "go http://a.jp/x now http://b.jp" DESU;
  const int first = 3, first_end = 16, second = 21, second_end = 32;
  const ClickCase cases[] = {
      {"inside", first + 5, LinkTarget::kOpen, first_end, "http://a.jp/x"},
      {"after the h", first + 1, LinkTarget::kOpen, first_end, "http://a.jp/x"},
      {"before the h", first, LinkTarget::kNothing, -1, ""},
      {"at the end", first_end, LinkTarget::kNothing, -1, ""},
      {"before any address", 1, LinkTarget::kNotUrl, -1, ""},
      {"on the second address", second + 2, LinkTarget::kOpen, second_end, "http://b.jp"},
      {"on the h of the second address", second, LinkTarget::kNothing, -1, ""},
  };
  ExpectClicks(UrlAtCaret, text, cases);
  // The search back stays inside the paragraph.
  const std::string page = "http://a\r\nxy";
  EXPECT_EQ(UrlAtCaret(page, 10, 12, 11).result, LinkTarget::kNotUrl);
  EXPECT_EQ(UrlAtCaret(page, 0, 8, 8).result, LinkTarget::kNothing);
}

TEST(LinkClickTest, Mail) {
  const std::string text = "to first.last@host.jp ok me@box x yz@q.jp";
  const ClickCase cases[] = {
      {"in the local part", 11, LinkTarget::kOpen, 21, "mailto:last@host.jp"},
      {"before the @", 13, LinkTarget::kOpen, 21, "mailto:last@host.jp"},
      {"in the domain", 17, LinkTarget::kOpen, 21, "mailto:last@host.jp"},
      {"at the start of the local part", 9, LinkTarget::kNothing, -1, ""},
      {"before the address, @ found forwards", 4, LinkTarget::kNothing, -1, ""},
      {"at the end", 21, LinkTarget::kNothing, -1, ""},
      {"address without dot", 26, LinkTarget::kNotMail, 31, ""},
      {"local part of a later address", 35, LinkTarget::kOpen, 41, "mailto:yz@q.jp"},
  };
  ExpectClicks(MailAtCaret, text, cases);
  // No single-byte "@" in the paragraph (0x40 as a trail byte does not count).
  const std::string kana = "x" SMALL_A_KATA "y.jp";
  const LinkTarget none = MailAtCaret(kana, 0, int(kana.size()), 1);
  EXPECT_EQ(none.result, LinkTarget::kNotMail);
  EXPECT_EQ(none.caret_after, -1);
  // The local part does not take in the trail byte of a kanji.
  const std::string after_kanji = A_KATA "b@c.jp";
  EXPECT_EQ(MailAtCaret(after_kanji, 0, int(after_kanji.size()), 4).target, "mailto:b@c.jp");
}

}  // namespace
}  // namespace sk::editor
