// sorakumo-tool: works on page files without a window.
//
// Arguments and output are UTF-8; everything stored is CP932.  Exit status 0 on success, 1 on a
// failure of the file, 2 on bad arguments or text that CP932 cannot hold; search, like grep, exits
// 1 when nothing was found and 2 on any error.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/tool_common.h"
#include "convert/cp932.h"
#include "exchange/text_import.h"
#include "search/page_search.h"
#include "store/check.h"
#include "store/maintenance.h"
#include "store/page_file.h"
#include "store/table.h"

namespace sk::cli {

using sk::store::Table;

const std::vector<CommandInfo>& Commands() {
  static const std::vector<CommandInfo> kCommands = {
      {"new", {}, "new FILE.dbf"},
      {"append",
       {"category", "title", "subtitle", "date", "text-file", "images", "key"},
       "append FILE.dbf [--category C] [--title T] [--subtitle S] [--date YYYY-MM-DD]\n"
       "                  [--text-file F] [--images \"a;b\"] [--key N]"},
      {"dump", {"order", "format"}, "dump FILE.dbf [--order TAG] [--format tsv|json]"},
      {"info", {}, "info FILE.dbf"},
      {"check", {}, "check FILE.dbf"},
      {"reindex", {}, "reindex FILE.dbf   (builds the index again from the records)"},
      {"slim",
       {},
       "slim FILE.dbf   (drops deleted pages and renumbers the rest; rebuilds the index)"},
      {"backup",
       {"depth"},
       "backup FILE.dbf [--depth 1..9]   (copies into BackUp/, default depth 3)"},
      {"generate",
       {"pages", "seed"},
       "generate FILE.dbf --pages N [--seed S]   (realistic test pages)"},
      {"search",
       {"order", "fields"},
       "search FILE.dbf INPUT [--match-case] [--order TAG] [--fields "
       "text|title|subtitle|image|all]\n"
       "                  (each page with a hit, in the order: page<TAB>byte offset of the first\n"
       "                  hit; \"a|b\" any of the strings, \"a&b\" all on one page, \"\\|\" and "
       "\"\\&\"\n"
       "                  themselves; exit 0 found, 1 nothing found, 2 error)",
       {"match-case"},
       2,
       "検索文字列を指定してください"},
      {"export",
       {"date-style", "fields", "pages", "from-page", "order", "category", "from", "to",
        "empty-lines", "image-pos", "title", "paper", "font-size", "columns", "style"},
       "export {text|html|tex} FILE.dbf OUT [--pages all|N] [--from-page P] [--order TAG]\n"
       "                  [--category C[,C...]] [--from YYYY-MM-DD] [--to YYYY-MM-DD]\n"
       "                  [--date-style 1..10] [--fields LIST] [--empty-lines N] [--utf8]\n"
       "                  [--no-images] [--image-pos left|center|right] [--title T]\n"
       "                  [--paper a4|a5|b4|b5] [--landscape] [--vertical] [--font-size 10|11|12]\n"
       "                  [--columns 1|2] [--style article|report|book]\n"
       "                  (without an option the export dialog's stored settings hold;\n"
       "                  OUT \"-\" writes to standard output)",
       {"utf8", "no-images", "vertical", "landscape"},
       3,
       "export の種類 (text, html, tex), ページファイル, 出力先を指定してください"},
      {"print",
       {"pages", "from-page", "order", "category", "from", "to", "columns", "paper", "font-size",
        "pictures", "bag", "fields", "title"},
       "print FILE.dbf OUT.pdf [--pages all|N] [--from-page P] [--order TAG]\n"
       "                  [--category C[,C...]] [--from YYYY-MM-DD] [--to YYYY-MM-DD]\n"
       "                  [--vertical|--horizontal] [--columns 1|2] [--paper A4|A5|B4|B5]\n"
       "                  [--landscape|--portrait] [--font-size PT] [--pictures none|start|end]\n"
       "                  [--bag on|off] [--fields title,subtitle,date,name] [--title T]\n"
       "                  (without an option the print settings dialog's stored settings hold;\n"
       "                  the document title only with --title)",
       {"vertical", "horizontal", "landscape", "portrait"},
       2,
       "ページファイルと出力する PDF を指定してください"},
      {"import",
       {"append-to"},
       "import FILE.dbf TEXTFILE [--append-to N]   (new pages, or the end of page N; CP932 or\n"
       "                  UTF-8; pages split near 30000 bytes)",
       {},
       2,
       "取り込むテキストファイルを指定してください"},
      {"merge",
       {},
       "merge FILE.dbf OTHER.dbf   (appends every page of OTHER.dbf)",
       {},
       2,
       "追加するページファイルを指定してください"},
  };
  return kCommands;
}

std::string UsageText(const CommandInfo* only) {
  std::string u = "使い方: sorakumo-tool COMMAND [options] [--] FILE.dbf\n";
  for (const auto& c : Commands())
    if (!only || only == &c) u += std::string("  ") + c.usage + "\n";
  u += "  (a file name beginning with \"-\" comes after \"--\"; -h, --help: this help)\n";
  return u;
}

int Usage(const std::string& why, const CommandInfo* only) {
  if (!why.empty()) std::cerr << "sorakumo-tool: " << why << "\n";
  std::cerr << UsageText(only);
  return 2;
}

int Fail(const Status& st) {
  std::cerr << "sorakumo-tool: " << st.message() << "\n";
  return 1;
}

// Every notice the engine records reaches the user, as it arises.
void PrintNotice(const std::string& n) { std::cerr << "お知らせ: " << n << "\n"; }

// Parses the arguments after the command: "--name value" options, -h/--help, and one file name,
// which may begin with "-" only after "--" ("-" alone is a name: standard output where a command
// takes it).  Returns -1 to go on, else the exit status.
int ParseArguments(int argc, char** argv, const CommandInfo& cmd,
                   std::vector<std::string>* operands, std::map<std::string, std::string>* opts) {
  bool options_end = false;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (!options_end && a == "--") {
      options_end = true;
      continue;
    }
    if (!options_end && (a == "-h" || a == "--help")) {
      std::cout << UsageText(&cmd);
      return 0;
    }
    if (!options_end && a.size() > 1 && a[0] == '-') {
      if (std::find(cmd.flags.begin(), cmd.flags.end(), a.substr(2)) != cmd.flags.end() &&
          a.rfind("--", 0) == 0) {
        (*opts)[a.substr(2)] = "1";
        continue;
      }
      bool known = false;
      for (const auto& n : cmd.options) known |= a == "--" + n;
      if (!known) return Usage("不明なオプション " + a, &cmd);
      if (i + 1 >= argc) return Usage(a + " に値がありません", &cmd);
      (*opts)[a.substr(2)] = argv[++i];
      continue;
    }
    if (operands->size() == cmd.operands) {
      if (cmd.operands == 1) return Usage("ファイルは一つだけ指定してください (" + a + ")", &cmd);
      return Usage("引数が多すぎます (" + a + ")", &cmd);
    }
    operands->push_back(a);
  }
  if (operands->empty()) return Usage("ファイルを指定してください", &cmd);
  if (operands->size() < cmd.operands) return Usage(cmd.missing, &cmd);
  return -1;
}

// Converts UTF-8 text to CP932, refusing what CP932 cannot hold.
bool Convert(const std::string& what, const std::string& utf8, std::string* out) {
  char32_t bad = 0;
  if (!sk::cp932::FromUtf8ToCp932(utf8, out, &bad)) {
    char code[16];
    snprintf(code, sizeof code, "U+%04X", unsigned(bad));
    std::cerr << "sorakumo-tool: " << what << " に Shift-JIS (CP932) で保存できない文字 " << code
              << " があります\n";
    return false;
  }
  return true;
}

std::string ToCrLf(const std::string& s) {
  std::string o;
  o.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) o += '\r';
    o += s[i];
  }
  return o;
}

int CmdNew(const std::string& path) {
  Status st = sk::store::CreatePageFile(path);
  if (!st.ok()) return Fail(st);
  return 0;
}

int CmdAppend(const std::string& path, const std::map<std::string, std::string>& o) {
  std::map<std::string, std::string> fields;  // CP932 values by field name
  static const std::vector<std::pair<std::string, std::string>> kMap = {{"category", "BUNRUI"},
                                                                        {"title", "TITLE"},
                                                                        {"subtitle", "SUBTITLE"},
                                                                        {"images", "IMAGEFILE"}};
  for (const auto& [opt, field] : kMap) {
    auto it = o.find(opt);
    if (it == o.end()) continue;
    if (!Convert("--" + opt, it->second, &fields[field])) return 2;
  }
  if (auto it = o.find("text-file"); it != o.end()) {
    // Read as the text import reads a file: Shift-JIS, UTF-8 or UTF-16, never a file of no text.
    sk::exchange::ImportedText text;
    Status read = sk::exchange::ReadImportFile(it->second, &text);
    if (!read.ok()) return Fail(read);
    if (text.replaced > 0) std::cerr << text.replaced << " 文字を〓に置き換えました\n";
    fields["TEXT"] = ToCrLf(text.cp932);
  }
  if (auto it = o.find("date"); it != o.end()) {
    const std::string& d = it->second;
    if (d.size() != 10 || d[4] != '-' || d[7] != '-')
      return Usage("--date は YYYY-MM-DD で指定してください");
    fields["DATE"] = d.substr(0, 4) + d.substr(5, 2) + d.substr(8, 2);
  }
  if (auto it = o.find("key"); it != o.end()) {
    int k = atoi(it->second.c_str());
    if (k < 0 || k > 255) return Usage("--key は 0 から 255 です");
    fields["KEY"] = k == 0 ? std::string() : std::string(1, char(k));
  }
  Table t;
  t.SetNoticeSink(PrintNotice);
  Status st = t.Open(path, sk::store::PageFileOptions());
  if (!st.ok()) return Fail(st);
  st = t.Append();
  for (auto it = fields.begin(); st.ok() && it != fields.end(); ++it)
    st = t.SetFieldString(it->first, it->second);
  if (st.ok()) st = t.Post();
  if (!st.ok()) return Fail(st);
  std::cout << t.RecNo() << "\n";
  st = t.Close();
  if (!st.ok()) return Fail(st);
  return 0;
}

// What dump writes in place of ASCII characters: TSV keeps a page on one line and its fields
// apart; JSON writes a string.
const sk::cp932::AsciiEscapes& DumpEscapes(bool json) {
  static const std::array<sk::cp932::AsciiEscapes, 2> kEscapes = [] {
    std::array<sk::cp932::AsciiEscapes, 2> e{};
    for (char c = 0; c < 0x20; ++c) {
      char u[8];
      snprintf(u, sizeof u, "\\u%04x", unsigned(c));
      e[1].Set(c, u);
    }
    for (auto& t : e) {
      t.Set('\\', "\\\\");
      t.Set('\r', "\\r");
      t.Set('\n', "\\n");
      t.Set('\t', "\\t");
    }
    e[1].Set('"', "\\\"");
    return e;
  }();
  return kEscapes[json ? 1 : 0];
}

// A memo file read through a mapping that another program cuts short stops the process with
// SIGBUS: it is told as a fault of that file.
namespace {
char g_mapped_name[512];
size_t g_mapped_len = 0;

void OnMappedFileCut(int) {
  static const char kHead[] = "sorakumo-tool: ";
  static const char kTail[] = ": メモファイルが読んでいる間に短くなりました\n";
  ssize_t r = write(2, kHead, sizeof kHead - 1);
  r = write(2, g_mapped_name, g_mapped_len);
  r = write(2, kTail, sizeof kTail - 1);
  (void)r;
  _exit(1);
}

}  // namespace

void ReadMemosMapped(const Table& t) {
  if (!t.dbt().is_open() || !t.dbt().MapForReading()) return;
  const std::string name = sk::store::BaseName(t.dbt().path());
  g_mapped_len = std::min(name.size(), sizeof g_mapped_name);
  memcpy(g_mapped_name, name.data(), g_mapped_len);
  struct sigaction sa {};
  sa.sa_handler = OnMappedFileCut;
  sigaction(SIGBUS, &sa, nullptr);
}

// Output through one large buffer, written out between pages once it holds kFlushAt bytes.
class Output {
 public:
  explicit Output(FILE* f) : f_(f), buf_(2 * kFlushAt) {}
  // Room for n more bytes; Commit(end) after writing them.
  char* Room(size_t n) {
    if (len_ + n > buf_.size()) buf_.resize(std::max(len_ + n, 2 * buf_.size()));
    return buf_.data() + len_;
  }
  void Commit(char* end) { len_ = size_t(end - buf_.data()); }
  void Append(std::string_view s) {
    char* p = Room(s.size());
    memcpy(p, s.data(), s.size());
    Commit(p + s.size());
  }
  size_t size() const { return len_; }
  void Truncate(size_t n) { len_ = n; }
  void FlushIfFull() {
    if (len_ >= kFlushAt) Flush();
  }
  // False when the output could not be written.
  bool Flush() {
    if (len_ > 0 && fwrite(buf_.data(), 1, len_, f_) != len_) ok_ = false;
    len_ = 0;
    return ok_;
  }
  bool Finish() { return Flush() && fflush(f_) == 0 && ok_; }

 private:
  static constexpr size_t kFlushAt = 1 << 20;
  FILE* f_;
  std::vector<char> buf_;
  size_t len_ = 0;
  bool ok_ = true;
};

int CmdDump(const std::string& path, const std::map<std::string, std::string>& o) {
  std::string order = o.count("order") ? o.at("order") : "";
  std::string format = o.count("format") ? o.at("format") : "tsv";
  if (format != "tsv" && format != "json") return Usage("--format は tsv か json です");
  bool json = format == "json";
  Table t;
  t.SetNoticeSink(PrintNotice);
  Status st = t.Open(path, sk::store::PageFileOptions(true));
  if (!st.ok()) return Fail(st);
  st = t.SetIndexName(order);
  if (st.ok()) st = t.First();
  static const char* kNames[] = {"BUNRUI", "TITLE", "SUBTITLE", "DATE", "TEXT", "IMAGEFILE", "KEY"};
  constexpr size_t kDate = 3, kKey = 6;
  const sk::cp932::AsciiEscapes& escapes = DumpEscapes(json);
  const size_t per_byte = sk::cp932::Utf8BytesPerByte(&escapes);
  // What goes before and after each field's value.
  std::vector<std::string> before, after;
  for (const char* n : kNames) {
    before.push_back(json ? std::string(",\"") + n + "\":\"" : "\t");
    after.push_back(json ? "\"" : "");
  }
  // The fields by number, memos read in place.  In a tag's order each memo lies elsewhere: the
  // memo file is mapped, so that none costs a read call (in page order the read-ahead is
  // cheaper than mapping the file).
  std::vector<int> index;
  for (const char* n : kNames) index.push_back(t.dbf().FieldIndex(n));
  if (st.ok() && !order.empty()) ReadMemosMapped(t);
  Output out(stdout);
  std::string s, scratch;
  std::string_view v;
  char num[24], date[10];
  while (st.ok() && !t.Eof()) {
    const size_t page_start = out.size();
    if (json) out.Append("{\"page\":");
    out.Append(
        std::string_view(num, size_t(std::to_chars(num, num + sizeof num, t.RecNo()).ptr - num)));
    for (size_t i = 0; i < std::size(kNames) && st.ok(); ++i) {
      const int f = index[i];
      if (f >= 0 && t.dbf().fields()[size_t(f)].type == 'M') {
        st = t.ReadMemoViewAt(f, &v, &scratch);
      } else {
        st = f >= 0 ? t.ReadFieldAt(f, &s) : t.ReadField(kNames[i], &s);
        v = s;
      }
      if (!st.ok()) break;
      if (i == kDate && v.size() == 8) {
        memcpy(date, v.data(), 4);
        date[4] = '-';
        memcpy(date + 5, v.data() + 4, 2);
        date[7] = '-';
        memcpy(date + 8, v.data() + 6, 2);
        v = std::string_view(date, 10);
      }
      if (i == kKey && !v.empty())
        v = std::string_view(
            num, size_t(std::to_chars(num, num + sizeof num, static_cast<unsigned char>(v[0])).ptr -
                        num));
      char* p = out.Room(before[i].size() + v.size() * per_byte + sk::cp932::kUtf8Slack +
                         after[i].size());
      p = std::copy(before[i].begin(), before[i].end(), p);
      p = sk::cp932::DecodeUtf8To(v, p, &escapes);
      p = std::copy(after[i].begin(), after[i].end(), p);
      out.Commit(p);
    }
    if (!st.ok()) {
      out.Truncate(page_start);  // no half page
      break;
    }
    out.Append(json ? "}\n" : "\n");
    out.FlushIfFull();
    st = t.Next();
  }
  const bool written = out.Finish();
  if (!st.ok()) return Fail(st);
  if (!written) {
    std::cerr << "sorakumo-tool: 標準出力に書き込めません (" << strerror(errno) << ")\n";
    return 1;
  }
  return 0;
}

int CmdInfo(const std::string& path) {
  Table t;
  t.SetNoticeSink(PrintNotice);
  Status st = t.Open(path, sk::store::PageFileOptions(true));
  if (!st.ok()) return Fail(st);
  const auto& d = t.dbf();
  uint32_t deleted = 0;
  std::string rec;
  for (uint32_t r = 1; r <= d.record_count(); ++r)
    if (d.ReadRecord(r, &rec).ok() && rec[0] == '*') ++deleted;
  char ver[8], lang[8];
  snprintf(ver, sizeof ver, "0x%02X", d.version());
  snprintf(lang, sizeof lang, "0x%02X", d.language());
  std::cout << "file: " << path << "\n"
            << "version: " << ver << "\n"
            << "language: " << lang << "\n"
            << "updated: " << d.UpdateDate() << "\n"
            << "header length: " << d.header_length() << "\n"
            << "record length: " << d.record_length() << "\n"
            << "records: " << d.record_count() << "\n"
            << "deleted: " << deleted << "\n"
            << "production index: " << (d.has_mdx_flag() ? "yes" : "no") << "\n"
            << "fields:";
  for (const auto& f : d.fields()) std::cout << " " << f.name << "(" << f.type << f.width << ")";
  std::cout << "\n";
  if (t.dbt().is_open())
    std::cout << "memo block size: " << t.dbt().block_size()
              << ", next free block: " << t.dbt().next_free() << "\n";
  if (!t.Tags().empty()) {
    std::cout << "tags: " << t.Tags().size() << (t.OrderInMemory() ? " (ordered in memory)" : "")
              << "\n";
    for (const auto& tag : t.Tags())
      std::cout << "  " << tag.name << "\t" << tag.type << tag.key_len << "\t" << tag.expr << "\n";
  }
  return 0;
}

int CmdReindex(const std::string& path) {
  Table t;
  t.SetNoticeSink(PrintNotice);
  sk::cli::TerminalPercent percent("索引を作成中");
  const auto progress = percent.Callback();
  auto clear = [&] { percent.Clear(); };
  sk::store::Table::OpenOptions options = sk::store::PageFileOptions();
  options.progress = progress;
  Status st = t.Open(path, options);
  clear();
  if (!st.ok()) return Fail(st);
  // An index missing or damaged was rebuilt by the open already.
  if (!t.IndexRebuiltAtOpen()) {
    std::vector<sk::store::TagDef> tags = t.Tags();
    if (tags.empty()) st = sk::store::ResolveTags(sk::store::PageFileTags(), t.fields(), &tags);
    if (st.ok()) st = t.RebuildIndex(tags, progress);
    clear();
  }
  if (st.ok()) st = t.Close();
  if (!st.ok()) return Fail(st);
  return 0;
}

int CmdSlim(const std::string& path) {
  sk::cli::TerminalPercent percent("スリム化中");
  sk::store::SlimOutcome out;
  Status st = sk::store::SlimPageFile(path, percent.Callback(), &out);
  percent.Clear();
  if (!out.notice.empty()) PrintNotice(out.notice);
  if (!st.ok()) return Fail(st);
  std::cout << out.pages << "\n";
  return 0;
}

int CmdBackup(const std::string& path, const std::map<std::string, std::string>& o) {
  int depth = 3;
  if (auto it = o.find("depth"); it != o.end()) {
    depth = atoi(it->second.c_str());
    if (depth < 1 || depth > 9) return Usage("--depth は 1 から 9 です");
  }
  if (!sk::store::FileExists(path)) {
    std::cerr << "sorakumo-tool: " << path << ": ファイルがありません\n";
    return 1;
  }
  int slot = 0;
  sk::cli::TerminalPercent percent("バックアップ中");
  Status st = sk::store::DoBackUp(path, depth, &slot, percent.Callback());
  percent.Clear();
  if (!st.ok()) return Fail(st);
  std::cout << slot << "\n";
  return 0;
}

int CmdCheck(const std::string& path) {
  auto faults = sk::store::CheckTableFiles(path);
  for (const auto& f : faults) std::cout << f << "\n";
  if (faults.empty()) std::cout << "OK\n";
  return faults.empty() ? 0 : 1;
}

// ---- generated pages for benchmarks and tests ----

std::string RandomText(std::mt19937& rng, size_t target) {
  static const char* kWords[] = {
      "今日は", "朝から",   "雨が",     "降って",     "いた。",   "図書館で", "古い",
      "新聞を", "読んだ。", "そらくも", "について",   "考える。", "●",        "メモ：",
      "東京",   "京都",     "散歩",     "写真",       "日記",     "記録",     "http://example.com/",
      "電車",   "駅前の",   "喫茶店で", "コーヒーを", "飲む。",   "Linux",    "dBASE",
      "2024年", "会議",     "資料",     "// 注記",    "<要確認>", "\\section"};
  std::uniform_int_distribution<size_t> w(0, sizeof(kWords) / sizeof(kWords[0]) - 1);
  std::string out, cp;
  while (out.size() < target) {
    std::string word = kWords[w(rng)];
    sk::cp932::FromUtf8ToCp932(word, &cp);
    out += cp;
    if (rng() % 12 == 0) out += "\r\n";
  }
  return out;
}

int CmdGenerate(const std::string& path, const std::map<std::string, std::string>& o) {
  if (!o.count("pages")) return Usage("--pages が必要です");
  long pages = atol(o.at("pages").c_str());
  unsigned seed = o.count("seed") ? unsigned(atol(o.at("seed").c_str())) : 1;
  std::mt19937 rng(seed);
  // Records first without an index, then the ten tags built in one pass.
  Status st = Table::Create(path, sk::store::PageRecordFields(), {});
  if (!st.ok()) return Fail(st);
  Table t;
  Table::OpenOptions bulk;
  bulk.bulk = true;  // one sync at the end, not one per page
  st = t.Open(path, bulk);
  if (!st.ok()) return Fail(st);
  static const char* kCats[] = {"日記",   "メモ", "切り抜き", "仕事",
                                "MY日記", "旅行", "読書",     "料理"};
  static const char* kTitles[] = {"雨の日", "散歩", "会議の記録", "読書ノート", "旅の計画",
                                  "買い物", "夕食", "映画",       "新聞から",   "Linux メモ"};
  static const char* kSubs[] = {"", "", "朝日", "自分", "山田", "", "Web"};
  std::string cp;
  for (long i = 0; i < pages && st.ok(); ++i) {
    st = t.Append();
    auto set = [&](const char* f, const std::string& utf8) {
      sk::cp932::FromUtf8ToCp932(utf8, &cp);
      if (st.ok()) st = t.SetFieldString(f, cp);
    };
    set("BUNRUI", kCats[rng() % 8]);
    set("TITLE", std::string(kTitles[rng() % 10]) + " " + std::to_string(rng() % 100000));
    set("SUBTITLE", kSubs[rng() % 7]);
    sk::store::Date d{1995 + int(rng() % 30), 1 + int(rng() % 12), 1 + int(rng() % 28)};
    if (st.ok()) st = t.SetFieldDate("DATE", d);
    if (st.ok()) st = t.SetFieldString("TEXT", RandomText(rng, 200 + rng() % 3800));
    if (st.ok() && rng() % 10 == 0)
      st = t.SetFieldString("IMAGEFILE", "photo" + std::to_string(i) + ".jpg");
    if (st.ok()) st = t.Post();
  }
  if (!st.ok()) return Fail(st);
  st = t.Close();
  if (st.ok()) st = Table::AddTags(path, sk::store::PageFileTags());
  if (!st.ok()) return Fail(st);
  return 0;
}

int CmdSearch(const std::string& path, const std::string& input_utf8,
              const std::map<std::string, std::string>& o) {
  using sk::search::SearchFields;
  static const std::map<std::string, SearchFields> kFields = {{"text", SearchFields::kText},
                                                              {"title", SearchFields::kTitle},
                                                              {"subtitle", SearchFields::kSubtitle},
                                                              {"image", SearchFields::kImage},
                                                              {"all", SearchFields::kAll}};
  SearchFields fields = SearchFields::kText;
  if (auto it = o.find("fields"); it != o.end()) {
    auto f = kFields.find(it->second);
    if (f == kFields.end())
      return Usage("--fields は text, title, subtitle, image, all のどれかです");
    fields = f->second;
  }
  std::string input;
  char32_t bad = 0;
  if (!sk::cp932::FromUtf8ToCp932(input_utf8, &input, &bad)) {
    char code[16];
    snprintf(code, sizeof code, "U+%04X", unsigned(bad));
    std::cerr << "sorakumo-tool: 検索文字列に Shift-JIS (CP932) で表せない文字 " << code
              << " があります\n";
    return 2;
  }
  // Image file names are always compared without case.
  const bool match_case = o.count("match-case") && fields != SearchFields::kImage;
  const sk::search::SearchStrings strings = sk::search::SetKensakuMojiList(input, match_case);
  // Nothing to look for is a mistake in the command, not a search that found nothing.
  if (strings.empty()) {
    std::cerr << "sorakumo-tool: 検索文字列が空です（\"|\" と \"&\" は文字列の区切りです）\n";
    return 2;
  }

  Table t;
  t.SetNoticeSink(PrintNotice);
  Status st = t.Open(path, sk::store::PageFileOptions(true));
  if (st.ok()) st = t.SetIndexName(o.count("order") ? o.at("order") : "");
  if (st.ok()) st = t.First();
  const bool tty = isatty(STDERR_FILENO);
  uint32_t before = 0;  // pages scanned by the earlier walks
  bool shown = false;
  sk::search::PageWalk walk;
  if (tty) {
    walk.progress = [&](uint32_t done, uint32_t total) {
      std::cerr << "\r検索中 " << before + done << " / " << total << " ページ" << std::flush;
      shown = true;
      return true;
    };
  }
  bool found = false;
  while (st.ok()) {
    sk::search::PageWalkResult r;
    st = sk::search::ScanPages(t, strings, fields, walk, &r);
    if (!st.ok() || !r.hit.found()) break;
    found = true;
    before += r.pages;
    if (shown) {
      std::cerr << "\r" << std::string(40, ' ') << "\r" << std::flush;
      shown = false;
    }
    std::cout << t.RecNo() << '\t' << r.hit.position << '\n';
    walk.step_first = true;
  }
  if (shown) std::cerr << "\r" << std::string(40, ' ') << "\r" << std::flush;
  std::cout.flush();
  if (!st.ok()) {
    Fail(st);
    return 2;
  }
  if (!std::cout) {
    std::cerr << "sorakumo-tool: 標準出力に書き込めません (" << strerror(errno) << ")\n";
    return 2;
  }
  return found ? 0 : 1;
}

}  // namespace sk::cli

int main(int argc, char** argv) {
  using namespace sk::cli;
  if (argc < 2) return Usage();
  std::string name = argv[1];
  if (name == "-h" || name == "--help") {
    std::cout << UsageText();
    return 0;
  }
  const CommandInfo* cmd = nullptr;
  for (const auto& c : Commands())
    if (name == c.name) cmd = &c;
  if (!cmd) return Usage("不明なコマンド " + name);
  std::vector<std::string> operands;
  std::map<std::string, std::string> o;
  if (int done = ParseArguments(argc, argv, *cmd, &operands, &o); done >= 0) return done;
  const std::string& path = operands[0];
  if (name == "new") return CmdNew(path);
  if (name == "append") return CmdAppend(path, o);
  if (name == "dump") return CmdDump(path, o);
  if (name == "info") return CmdInfo(path);
  if (name == "check") return CmdCheck(path);
  if (name == "reindex") return CmdReindex(path);
  if (name == "slim") return CmdSlim(path);
  if (name == "backup") return CmdBackup(path, o);
  if (name == "search") return CmdSearch(path, operands[1], o);
  if (name == "export") return CmdExport(operands, o);
  if (name == "print") return CmdPrint(operands, o);
  if (name == "import") return CmdImport(operands, o);
  if (name == "merge") return CmdMerge(operands, o);
  return CmdGenerate(path, o);
}
