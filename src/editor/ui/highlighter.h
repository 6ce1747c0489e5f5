// Shows the highlight kinds and the links of each paragraph of the text area.
//
// Qt asks for a paragraph whenever its text changes (and for all of them after a new text or new
// rules); each request scans that one paragraph afresh, so every paragraph always shows what a
// fresh scan of it gives.  The formats are laid over the text by the layout and never become part
// of the document: the page text and its character formats stay as they were.
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <array>
#include <string>

#include "editor/highlight_scan.h"

namespace sk::editor {

struct HighlightRules {
  bool kinds = false;  // keyword, comment, bracket and command highlighting
  bool links = false;  // web and mail addresses
  HighLightLists lists;
  std::string top_chars;                    // `HLTopChars`
  std::array<QTextCharFormat, 6> kind_fmt;  // kinds 1..5 (0 unused)
  QTextCharFormat url_fmt, mail_fmt;
};

class TextHighlighter : public QSyntaxHighlighter {
 public:
  explicit TextHighlighter(QTextDocument* doc) : QSyntaxHighlighter(doc) {}

  // New lists and formats, used from the next paragraph Qt asks for.
  void SetRules(HighlightRules rules) { rules_ = std::move(rules); }
  // kinds: keyword, comment, bracket and command highlighting; links: web and mail addresses.
  // With rehighlight the whole text is shown so at once.
  void SetSwitches(bool kinds, bool links, bool rehighlight_now);
  // How many paragraphs have been scanned so far.
  long Calls() const { return calls_; }

 protected:
  void highlightBlock(const QString& text) override;

 private:
  HighlightRules rules_;
  bool kinds_ = false;
  bool links_ = false;
  long calls_ = 0;
};

}  // namespace sk::editor
