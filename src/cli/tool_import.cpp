// sorakumo-tool import and merge: a text file into pages, another page file's pages appended.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include "cli/tool_common.h"
#include "convert/cp932.h"
#include "exchange/page_transfer.h"
#include "exchange/text_import.h"
#include "store/file_io.h"
#include "store/page_file.h"

namespace sk::cli {

namespace {

using store::Table;

}  // namespace

int CmdImport(const std::vector<std::string>& operands, const Options& o) {
  const std::string& path = operands[0];
  const std::string& text_path = operands[1];
  int append_to = 0;
  if (auto it = o.find("append-to"); it != o.end()) {
    char* end = nullptr;
    long n = std::strtol(it->second.c_str(), &end, 10);
    if (it->second.empty() || *end != '\0' || n < 1 || n > 0x7FFFFFFF)
      return Usage("--append-to にはページ番号 (1 以上) を指定してください");
    append_to = int(n);
  }
  if (!store::FileExists(text_path)) {
    std::cerr << "sorakumo-tool: " << text_path << " は存在しません。\n";
    return 1;
  }
  // A file that is no text is refused before the page file is opened: nothing is added.
  exchange::ImportedText text;
  Status read = exchange::ReadImportFile(text_path, &text);
  if (!read.ok()) return Fail(read);
  const auto lines = exchange::SplitImportLines(text.cp932);

  Table t;
  t.SetNoticeSink(PrintNotice);
  Status st = t.Open(path, store::PageFileOptions());
  if (!st.ok()) return Fail(st);

  std::vector<int> written;
  exchange::ImportHeader header;
  size_t used = 0;
  if (append_to > 0) {
    st = t.GotoBookmark(Table::Bookmark(append_to));
    std::string old_text;
    if (st.ok()) st = t.ReadField("TEXT", &old_text);
    if (st.ok()) st = t.ReadField("BUNRUI", &header.bunrui);
    if (st.ok()) st = t.ReadField("TITLE", &header.title);
    if (st.ok()) st = t.ReadField("SUBTITLE", &header.subtitle);
    if (st.ok()) st = t.ReadField("DATE", &header.date);
    if (!st.ok()) return Fail(st);
    used = old_text.size();
  } else {
    const size_t slash = text_path.find_last_of('/');
    const std::string name = slash == std::string::npos ? text_path : text_path.substr(slash + 1);
    header.title = cp932::EncodeReplacing(cp932::FromUtf8(name));
    header.date = Today();
  }
  const exchange::ImportPlan plan = exchange::PlanImport(lines, used, append_to > 0);
  const bool split = plan.split();
  st = exchange::WriteImportPlan(t, plan, header, append_to > 0, &written);
  // The pages written before a failure are kept and named.
  for (int n : written) std::cout << n << "\n";
  if (text.utf8) std::cerr << text.encoding << " から変換しました\n";
  if (text.replaced > 0) std::cerr << text.replaced << " 文字を〓に置き換えました\n";
  if (split) std::cerr << "ファイルのデータが長すぎたので，ページを分割してインプットしました。\n";
  if (!st.ok()) return Fail(st);
  st = t.Close();
  if (!st.ok()) return Fail(st);
  return 0;
}

int CmdMerge(const std::vector<std::string>& operands, const Options&) {
  const std::string& path = operands[0];
  const std::string& other = operands[1];
  if (!store::FileExists(other)) {
    std::cerr << "sorakumo-tool: " << other << " は存在しません。\n";
    return 1;
  }
  Table t;
  t.SetNoticeSink(PrintNotice);
  Status st = t.Open(path, store::PageFileOptions());
  if (!st.ok()) return Fail(st);
  TerminalProgress progress("追加中");
  exchange::TransferOutcome out;
  st = exchange::AppendPageFile(t, other, progress.Callback(), &out);
  progress.Clear();
  // All or nothing: after a failure the page file holds its old pages.
  if (!st.ok()) return Fail(st);
  std::cout << out.pages << "\n";
  st = t.Close();
  if (!st.ok()) return Fail(st);
  return 0;
}

}  // namespace sk::cli
