#include "exchange/page_transfer.h"

#include <strings.h>
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "store/append_journal.h"
#include "store/dbf.h"
#include "store/file_commit.h"
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

// The index was built under the hidden name; it carries the target's table name (bytes 4-19 of
// its header), so that the next open takes it as the table's own without a closer look.
Status NameIndexAfter(const std::string& mdx, const std::string& target) {
  char name[16] = {};
  const std::string stem = store::StemOf(target);
  memcpy(name, stem.data(), std::min<size_t>(stem.size(), sizeof name));
  store::File f;
  if (!f.Open(mdx, 'w') || !f.WriteAt(4, name, sizeof name))
    return Status::Error(store::BaseName(mdx) + ": 索引を書けません (" + strerror(errno) + ")");
  return Status::Ok();
}

}  // namespace

Status AppendPageFile(store::Table& dest, const std::string& source_path,
                      const store::Table::Progress& progress, TransferOutcome* outcome) {
  TransferOutcome local;
  TransferOutcome& out = outcome ? *outcome : local;
  out = {};
  if (!dest.is_open()) return Status::Error("追加先のページファイルが開かれていません");
  const std::string name = fs::path(source_path).filename().string();
  if (strcasecmp(fs::path(source_path).extension().string().c_str(), ".dbf") != 0)
    return Status::Error(name + " はページファイル (.dbf) ではありません");
  if (SameFile(source_path, dest.path()))
    return Status::Error(name + " は開いているページファイルそのものなので追加できません");
  // The fields first: a table without any page field is no page file, whatever its index says.
  {
    store::DbfFile probe;
    Status st = probe.Open(source_path, true);
    if (!st.ok()) return st;
    bool shared = false;
    for (const auto& f : store::PageRecordFields()) shared |= probe.FieldIndex(f.name) >= 0;
    if (!shared)
      return Status::Error(name + " はページファイルではありません (ページの欄がありません)");
  }
  store::Table source;
  Status st = source.Open(source_path, store::PageFileOptions(true));
  if (!st.ok()) {
    // Read in page-number order, a table lacking a field of the ten tags does without an index.
    store::Table::OpenOptions plain;
    plain.read_only = true;
    if (!source.Open(source_path, plain).ok()) return st;
  }
  source.TakeNotices();  // read in page-number order: a missing index does not matter here
  st = source.SetIndexName("");
  if (st.ok()) st = source.SetFiltered(false);
  if (!st.ok()) return st;

  // All or nothing: the page file's ends are noted in a journal, the pages appended in one bulk
  // pass, and a failure, a cancel or a crash (at the next open) takes the file back to them.
  const std::string path = dest.path();
  auto reopen = [&](Status why) {
    Status again = dest.Open(path, store::PageFileOptions());
    if (again.ok()) again = dest.Last();
    return why.ok() ? again : why;
  };
  st = dest.Close();
  if (!st.ok()) return reopen(st);
  store::AppendJournal journal;
  st = journal.Begin(path);
  if (!st.ok()) return reopen(st);
  int appended = 0;
  bool cancelled = false;
  {
    store::Table work;
    store::Table::OpenOptions o = store::PageFileOptions();
    o.bulk = true;
    st = work.Open(path, o);
    if (st.ok()) st = store::BatchAppend(source, work, &appended, progress, &cancelled);
    Status closed = work.Close();
    if (st.ok()) st = closed;
  }
  source.Close();
  if (st.ok() && !cancelled) {
    st = journal.Commit();
    if (st.ok()) out.pages = appended;
    return reopen(st);
  }
  out.cancelled = cancelled && st.ok();
  Status back = journal.RollBack();
  return reopen(st.ok() ? back : st);
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

  // Whatever an earlier export to this target left behind is finished or cleared first.
  std::string notice;
  Status st = store::SettleInterruptedCommit(target, false, &notice);
  if (!st.ok()) return st;

  // The new files are built under hidden names beside the target and renamed onto it as one
  // change (see file_commit.h): a crash leaves the whole old page file or the whole new one.
  const std::string folder = store::FolderOf(target);
  std::string built;
  for (int n = 0; built.empty(); ++n) {
    std::string t = folder + "/." + store::StemOf(target) + ".export" + std::to_string(n) + ".dbf";
    if (!store::FileExists(t) && !store::FileExists(store::SiblingPath(t, "dbt")) &&
        !store::FileExists(store::SiblingPath(t, "mdx")))
      built = t;
  }
  std::vector<std::pair<std::string, std::string>> moves;
  for (const char* ext : {"dbt", "mdx"})
    moves.push_back({store::SiblingPath(built, ext), store::SiblingPath(target, ext)});
  moves.push_back({built, target});
  store::FileCommit commit;
  st = commit.Begin(target, moves);
  if (!st.ok()) return st;
  bool cancelled = false;
  st = store::BatchCopy(source, built, store::BatchMode::kCopy, &out.pages, progress, &cancelled);
  if (!st.ok()) return st;
  if (cancelled) {
    out.cancelled = true;
    return Status::Ok();
  }
  st = store::AddIndex(built);
  if (st.ok()) st = NameIndexAfter(store::SiblingPath(built, "mdx"), target);
  if (!st.ok()) return st;
  for (const auto& m : moves)
    if (!store::FileExists(m.first))
      return Status::Error(fs::path(m.first).filename().string() + " が作られていません");
  return commit.Commit();
}

}  // namespace sk::exchange
