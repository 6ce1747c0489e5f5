// What the commands of sorakumo-tool share: the command table, messages, conversions of the
// arguments, and progress on a terminal.
#pragma once

#include <unistd.h>

#include <ctime>
#include <initializer_list>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "browse/page_selection.h"
#include "convert/status.h"
#include "exchange/export_run.h"
#include "store/table.h"

namespace sk::cli {

// The index of an option's value among the words allowed, -1 when it is none of them.
inline int Pick(const std::string& v, std::initializer_list<const char*> words) {
  int i = 0;
  for (const char* w : words) {
    if (v == w) return i;
    ++i;
  }
  return -1;
}

// Today's date as the page files store it: "YYYYMMDD", local time.
inline std::string Today() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char d[16];
  std::strftime(d, sizeof d, "%Y%m%d", &tm);
  return d;
}

using Options = std::map<std::string, std::string>;

// Each command with its options and its usage line.
struct CommandInfo {
  const char* name;
  std::vector<std::string> options;  // "--name value"
  const char* usage;
  std::vector<std::string> flags = {};  // "--name" alone
  size_t operands = 1;                  // FILE.dbf and what follows it
  const char* missing = "";             // the message when operands are missing
};
const std::vector<CommandInfo>& Commands();

std::string UsageText(const CommandInfo* only = nullptr);
// Prints why (when given) and the usage; returns 2.
int Usage(const std::string& why = "", const CommandInfo* only = nullptr);
// Prints the status's message; returns 1.
int Fail(const Status& st);
// A notice of the engine (an index rebuilt), on stderr.
void PrintNotice(const std::string& n);
// UTF-8 text of an argument to CP932, refusing (with a message naming `what`) what CP932 cannot
// hold.
bool Convert(const std::string& what, const std::string& utf8, std::string* out);
// A pass that only reads every page in an order unrelated to the memo file's takes its memos from
// a mapping of the memo file (no read call for each); a memo file cut short meanwhile by another
// program ends the tool with a message naming it.
void ReadMemosMapped(const store::Table& t);
// LF line ends to CR LF (CR LF kept).
std::string ToCrLf(const std::string& s);

// Progress of a long pass on stderr, only when stderr is a terminal: "\r<label> N / M ページ".
class TerminalProgress {
 public:
  explicit TerminalProgress(std::string label) : label_(std::move(label)) {}
  ~TerminalProgress() { Clear(); }
  store::Table::Progress Callback() {
    if (!isatty(STDERR_FILENO)) return {};
    return [this](uint32_t done, uint32_t total) {
      std::cerr << "\r" << label_ << " " << done << " / " << total << " ページ" << std::flush;
      shown_ = true;
      return true;
    };
  }
  void Clear() {
    if (shown_) std::cerr << "\r" << std::string(50, ' ') << "\r" << std::flush;
    shown_ = false;
  }

 private:
  std::string label_;
  bool shown_ = false;
};

// Progress of a long pass on stderr as a percentage rewritten in place ("\r<label> N%"), only
// when stderr is a terminal (callers without a terminal get a callback that only goes on).
class TerminalPercent {
 public:
  explicit TerminalPercent(std::string label)
      : label_(std::move(label)), tty_(isatty(STDERR_FILENO)) {}
  ~TerminalPercent() { Clear(); }
  store::Table::Progress Callback() {
    return [this](uint32_t done, uint32_t total) {
      const int pct = total ? int(uint64_t(done) * 100 / total) : 100;
      if (tty_ && pct != shown_) {
        shown_ = pct;
        std::cerr << "\r" << label_ << " " << pct << "%" << std::flush;
      }
      return true;
    };
  }
  void Clear() {
    if (shown_ >= 0) std::cerr << "\r" << std::string(label_.size() + 6, ' ') << "\r" << std::flush;
    shown_ = -1;
  }

 private:
  std::string label_;
  bool tty_;
  int shown_ = -1;
};

// A whole number in [lo, hi], the whole text; false otherwise.
bool ParseInt(const std::string& s, int lo, int hi, int* out);
// The non-empty items of a comma-separated list.
std::vector<std::string> SplitComma(const std::string& s);

// The pages a command that walks pages takes (export, print): --pages all|N, --from-page P,
// --order TAG, --category C[,C...], --from and --to YYYY-MM-DD.
struct PageChoice {
  bool ranged = false;  // --pages given: else the command's stored setting decides all or N
  exchange::ExportRange range;
  int from_page = 0;  // 0: the first page of the selection
  browse::PageSelection selection;
};
// Reads the options; false after a usage message (the command then exits with 2).
bool ParsePageChoice(const Options& o, const CommandInfo* cmd, PageChoice* choice);
// Opens `path` read-only in the order (--order) and selection of the choice, the cursor on the
// first page of the selection or on --from-page.  A --from-page outside the selection counts as
// a page that left it: the pages start at its neighbour.
Status OpenPageChoice(const std::string& path, const Options& o, PageChoice* choice,
                      store::Table* t);

// The commands in their own files.
int CmdExport(const std::vector<std::string>& operands, const Options& o);  // tool_export.cpp
int CmdImport(const std::vector<std::string>& operands, const Options& o);  // tool_import.cpp
int CmdMerge(const std::vector<std::string>& operands, const Options& o);   // tool_import.cpp
int CmdPrint(const std::vector<std::string>& operands, const Options& o);   // tool_print.cpp

}  // namespace sk::cli
