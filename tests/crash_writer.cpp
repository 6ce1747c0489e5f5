// crash_writer: edits a page file in an endless seeded loop until it is killed.
//
// Usage: crash_writer FILE.dbf LOG SEED
//
// Each operation (append, edit of fields and memos of a live page, delete) is written to LOG in
// two lines, each with a single unbuffered write():
//   before it starts:   "I A <fields>"  |  "I E <recno> <fields>"  |  "I D <recno>"
//   once it returned OK: "L <recno> <fields>"  |  "X <recno>"
// <fields> is the page's complete expected content: BUNRUI TITLE SUBTITLE DATE TEXT IMAGEFILE KEY,
// each as hex of its CP932 bytes ("-" when empty; DATE as the bytes of "YYYYMMDD"; the two memos
// as "LENGTH:FNV1A64").  A failed
// operation ends the program with exit status 3, so anything but death by SIGKILL is a fault.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "store/page_file.h"
#include "store/table.h"
#include "crash_log.h"

namespace {

using sk::Status;
using sk::store::Table;

constexpr std::array<const char*, 7> kFields = {"BUNRUI", "TITLE",     "SUBTITLE", "DATE",
                                                "TEXT",   "IMAGEFILE", "KEY"};
constexpr std::array<int, 7> kWidth = {20, 50, 50, 8, 0, 0, 1};
using Page = std::array<std::string, 7>;

constexpr uint32_t kMaxRecords = 250;

int log_fd = -1;

void WriteLine(const std::string& line) {
  std::string s = line + "\n";
  const char* p = s.data();
  size_t n = s.size();
  while (n > 0) {
    ssize_t w = write(log_fd, p, n);
    if (w <= 0) _exit(4);
    p += w;
    n -= size_t(w);
  }
}

std::string Hex(const std::string& s) {
  if (s.empty()) return "-";
  static const char* d = "0123456789abcdef";
  std::string o;
  for (unsigned char c : s) {
    o += d[c >> 4];
    o += d[c & 15];
  }
  return o;
}

std::string Encode(const Page& p) {
  std::string o;
  for (size_t i = 0; i < p.size(); ++i)
    o += (i ? " " : "") + (i == 4 || i == 5 ? Hex(MemoDigest(p[i])) : Hex(p[i]));
  return o;
}

[[noreturn]] void Die(const char* what, const Status& st) {
  fprintf(stderr, "crash_writer: %s: %s\n", what, st.message().c_str());
  _exit(3);
}

// Pieces of CP932 text: ASCII in both cases, double-byte characters (some with a 0x5C or a
// lower-case letter as trail byte), half-width katakana.
const std::vector<std::string> kPieces = {"abc",
                                          "XYZ",
                                          "Page",
                                          " ",
                                          "1234",
                                          "\x93\xfa\x8b\x4c" /* 日記 */,
                                          "\x83\x5c" /* ソ */,
                                          "\x95\x5c" /* 表 */,
                                          "\x83\x61" /* ヂ */,
                                          "\x83\x41" /* ア */,
                                          "\xb1\xb2" /* ｱｲ */,
                                          "\x81\x40" /* 全角空白 */,
                                          "\\",
                                          "~"};

std::string RandomString(std::mt19937& rng, size_t max_bytes) {
  std::string s;
  size_t target = rng() % (max_bytes + 1);
  for (int tries = 0; s.size() < target && tries < 64; ++tries) {
    const std::string& p = kPieces[rng() % kPieces.size()];
    if (s.size() + p.size() <= max_bytes) s += p;
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();  // C fields lose trailing spaces
  return s;
}

std::string RandomMemo(std::mt19937& rng) {
  size_t len = rng() % 50 == 0 ? 4000 + rng() % 16000 : rng() % 1000;
  std::string s;
  while (s.size() < len) {
    s += kPieces[rng() % kPieces.size()];
    if (rng() % 10 == 0) s += "\r\n";
  }
  return s;
}

std::string RandomField(std::mt19937& rng, size_t i) {
  switch (i) {
    case 3: {
      if (rng() % 4 == 0) return "";
      char b[16];
      snprintf(b, sizeof b, "%04d%02d%02d", 1900 + int(rng() % 200), 1 + int(rng() % 12),
               1 + int(rng() % 28));
      return b;
    }
    case 4:
      return RandomMemo(rng);
    case 5:
      return rng() % 3 == 0 ? "" : "img" + std::to_string(rng() % 1000) + ".jpg;\x8e\xca.png";
    case 6: {
      unsigned k = rng() % 256;
      return k == 0 || k == ' ' ? "" : std::string(1, char(k));
    }
    default:
      return RandomString(rng, size_t(kWidth[i]));
  }
}

void SetAll(Table& t, const Page& p) {
  for (size_t i = 0; i < p.size(); ++i) {
    Status st;
    if (i == 3) {
      std::optional<sk::store::Date> d;
      if (!p[i].empty())
        d = sk::store::Date{std::stoi(p[i].substr(0, 4)), std::stoi(p[i].substr(4, 2)),
                            std::stoi(p[i].substr(6, 2))};
      st = t.SetFieldDate("DATE", d);
    } else {
      st = t.SetFieldString(kFields[i], p[i]);
    }
    if (!st.ok()) Die("set field", st);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: crash_writer FILE.dbf LOG SEED\n");
    return 2;
  }
  log_fd = open(argv[2], O_WRONLY | O_APPEND | O_CREAT, 0644);
  if (log_fd < 0) return 2;
  std::mt19937 rng(unsigned(strtoul(argv[3], nullptr, 10)));

  Table t;
  Status st = t.Open(argv[1], sk::store::PageFileOptions());
  if (!st.ok()) Die("open", st);
  std::vector<uint32_t> live;
  std::string rec;
  for (uint32_t r = 1; r <= t.RecordCount(); ++r) {
    st = t.dbf().ReadRecord(r, &rec);
    if (!st.ok()) Die("read", st);
    if (rec[0] != '*') live.push_back(r);
  }

  for (;;) {
    unsigned op = rng() % 10;
    // The file stops growing at kMaxRecords (deleted ones included) so that each check after a
    // kill stays quick; from then on pages are only edited, and the last live page is kept.
    bool can_append = live.empty() || t.RecordCount() < kMaxRecords;
    if (op == 9 && live.size() < 2) op = 5;
    if (live.empty() || (op < 4 && can_append)) {
      Page p;
      for (size_t i = 0; i < p.size(); ++i) p[i] = RandomField(rng, i);
      WriteLine("I A " + Encode(p));
      if (!(st = t.Append()).ok()) Die("append", st);
      SetAll(t, p);
      if (!(st = t.Post()).ok()) Die("post new page", st);
      uint32_t r = uint32_t(t.RecNo());
      live.push_back(r);
      WriteLine("L " + std::to_string(r) + " " + Encode(p));
    } else if (op < 9 || !can_append) {
      uint32_t r = live[rng() % live.size()];
      if (!(st = t.GotoBookmark(r)).ok()) Die("goto", st);
      Page p;
      for (size_t i = 0; i < p.size(); ++i)
        if (!(st = t.ReadField(kFields[i], &p[i])).ok()) Die("read field", st);
      // Some fields and memos change; the page keeps the rest.
      do {
        size_t i = rng() % p.size();
        p[i] = RandomField(rng, i);
      } while (rng() % 2);
      WriteLine("I E " + std::to_string(r) + " " + Encode(p));
      if (!(st = t.Edit()).ok()) Die("edit", st);
      SetAll(t, p);
      if (!(st = t.Post()).ok()) Die("post edit", st);
      WriteLine("L " + std::to_string(r) + " " + Encode(p));
    } else {
      size_t k = rng() % live.size();
      uint32_t r = live[k];
      if (!(st = t.GotoBookmark(r)).ok()) Die("goto", st);
      WriteLine("I D " + std::to_string(r));
      if (!(st = t.Delete()).ok()) Die("delete", st);
      live.erase(live.begin() + long(k));
      WriteLine("X " + std::to_string(r));
    }
  }
}
