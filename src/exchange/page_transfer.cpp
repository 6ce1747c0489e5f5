#include "exchange/page_transfer.h"

#include <sys/file.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "store/file_io.h"
#include "store/page_file.h"

namespace sk::exchange {

namespace {

namespace fs = std::filesystem;

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(fs::path(a), fs::path(b), ec) && !ec;
}

// True when some program holds the file open as a page file (a lock of any kind on it).
bool HeldElsewhere(const std::string& path) {
  store::File f;
  if (!f.Open(path, 'r')) return false;
  if (::flock(f.fd(), LOCK_EX | LOCK_NB) != 0) return true;
  ::flock(f.fd(), LOCK_UN);
  return false;
}

bool SyncFile(const std::string& path) {
  store::File f;
  return f.Open(path, 'w') && f.Sync();
}

// A folder of its own beside the target, removed with whatever it holds when the export ends.
class TempFolder {
 public:
  ~TempFolder() { Remove(); }
  bool Make(const std::string& beside) {
    std::string tmpl = store::FolderOf(beside) + "/.sorakumo-export-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return false;
    path_ = tmpl;
    return true;
  }
  const std::string& path() const { return path_; }
  void Remove() {
    if (path_.empty()) return;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(path_, ec)) store::RemoveFile(e.path().string());
    fs::remove(path_, ec);
    path_.clear();
  }

 private:
  std::string path_;
};

}  // namespace

Status AppendPageFile(store::Table& dest, const std::string& source_path,
                      const store::Table::Progress& progress, TransferOutcome* outcome) {
  TransferOutcome local;
  TransferOutcome& out = outcome ? *outcome : local;
  out = {};
  if (!dest.is_open()) return Status::Error("追加先のページファイルが開かれていません");
  const std::string name = fs::path(source_path).filename().string();
  if (SameFile(source_path, dest.path()))
    return Status::Error(name + " は開いているページファイルそのものなので追加できません");
  store::Table source;
  Status st = source.Open(source_path, store::PageFileOptions(true));
  if (!st.ok()) return st;
  source.TakeNotices();  // read in page-number order: a missing index does not matter here
  bool shared = false;
  for (const auto& f : store::PageRecordFields()) shared |= source.dbf().FieldIndex(f.name) >= 0;
  if (!shared)
    return Status::Error(name + " はページファイルではありません (ページの欄がありません)");
  st = source.SetIndexName("");
  if (st.ok()) st = source.SetFiltered(false);
  if (!st.ok()) return st;
  bool cancelled = false;
  st = store::BatchAppend(source, dest, &out.pages, progress, &cancelled);
  out.cancelled = cancelled;
  Status closed = source.Close();
  return st.ok() ? closed : st;
}

Status ExportToPageFile(store::Table& source, const std::string& target,
                        const store::Table::Progress& progress, TransferOutcome* outcome) {
  TransferOutcome local;
  TransferOutcome& out = outcome ? *outcome : local;
  out = {};
  if (!source.is_open()) return Status::Error("出力元のページファイルが開かれていません");
  const std::string name = fs::path(target).filename().string();
  if (SameFile(target, source.path()))
    return Status::Error(name + " は開いているページファイルそのものなので出力先にできません");
  std::error_code ec;
  if (fs::is_directory(fs::path(target), ec))
    return Status::Error(name + " はフォルダーなので出力先にできません");
  if (store::FileExists(target) && HeldElsewhere(target))
    return Status::Error(name + ": ほかのプログラムが開いているので上書きできません");

  TempFolder tmp;
  if (!tmp.Make(target))
    return Status::Error(name + ": 出力先のフォルダーに書き込めません (" + strerror(errno) + ")");
  const std::string built = tmp.path() + "/" + name;
  bool cancelled = false;
  Status st =
      store::BatchCopy(source, built, store::BatchMode::kCopy, &out.pages, progress, &cancelled);
  if (!st.ok()) return st;
  if (cancelled) {
    out.cancelled = true;
    return Status::Ok();
  }
  st = store::AddIndex(built);
  if (!st.ok()) return st;

  // The new files reach the disk before any of them takes the target's name; the table file goes
  // last, so that until it does the old table (if any) stays whole.
  struct Move {
    std::string from, to;
  };
  std::vector<Move> moves;
  for (const char* ext : {"dbt", "mdx"}) {
    std::string from = store::SiblingPath(built, ext);
    std::string to = store::SiblingPath(target, ext);
    if (store::FileExists(from)) {
      moves.push_back({from, to});
    } else if (store::FileExists(to) && !store::RemoveFile(to)) {
      return Status::Error(fs::path(to).filename().string() + " を削除できません (" +
                           strerror(errno) + ")");
    }
  }
  moves.push_back({built, target});
  for (const auto& m : moves)
    if (!SyncFile(m.from))
      return Status::Error(name + ": 書き出せません (" + strerror(errno) + ")");
  if (!store::SyncFolderOf(built)) return Status::Error(name + ": 書き出せません");
  if (store::FileExists(target) && HeldElsewhere(target))
    return Status::Error(name + ": ほかのプログラムが開いているので上書きできません");
  for (const auto& m : moves) {
    if (!store::RenameFile(m.from, m.to))
      return Status::Error(fs::path(m.to).filename().string() + " を作れません (" +
                           strerror(errno) + ")");
  }
  if (!store::SyncFolderOf(target)) return Status::Error(name + ": 書き出せません");
  return Status::Ok();
}

}  // namespace sk::exchange
