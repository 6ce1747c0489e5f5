// Backups and renaming of a closed page file.  Slimming is in maintenance_slim.cpp.
#include "store/maintenance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "store/dbf.h"
#include "store/file_io.h"

namespace sk::store {

namespace {

std::string Why(int err) { return std::string(" (") + strerror(err) + ")"; }

// Closes a descriptor opened here on every way out.
struct Fd {
  int fd = -1;
  Fd() = default;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Copies the bytes of `from` into a new file `to` (replaced when present) and gives the copy the
// source's access and modification times.  0, or the errno of the failure.
int CopyWithTimes(const std::string& from, const std::string& to) {
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) return errno;
  struct stat st;
  if (::fstat(in.fd, &st) != 0) return errno;
  Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (out.fd < 0) return errno;
  // The kernel copies (no pass through this process) where it can; plain reads and writes
  // where it cannot.
  off_t done = 0;
  bool kernel = true;
  while (done < st.st_size) {
    size_t want = size_t(std::min<off_t>(st.st_size - done, off_t(1) << 30));
    ssize_t n = -1;
    if (kernel) {
      n = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, want, 0);
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        kernel = false;
        continue;
      }
    } else {
      n = ::sendfile(out.fd, in.fd, nullptr, want);
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;  // the source became shorter
    done += n;
  }
  ::fchmod(out.fd, st.st_mode & 07777);  // a private page file has private backups
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(out.fd, times) != 0) return errno;
  if (::close(out.fd) != 0) {
    out.fd = -1;
    return errno;
  }
  out.fd = -1;
  return 0;
}

int64_t MTimeOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Takes the page file's exclusive lock (without waiting): false when another program holds it.
bool LockFree(const std::string& path, Fd* held) {
  held->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return held->fd >= 0 && ::flock(held->fd, LOCK_EX | LOCK_NB) == 0;
}

// Copies a file for a move across file systems: the copy is made durable, the source stays.
Status CopyDurably(const std::string& from, const std::string& to) {
  File in;
  if (!in.Open(from, 'r'))
    return Status::Error(BaseName(from) + ": ファイルを開けません" + Why(errno));
  File out;
  if (!out.Open(to, 'c')) return Status::Error(to + ": ファイルを作成できません" + Why(errno));
  std::string buf(4 << 20, '\0');
  uint64_t off = 0;
  while (true) {
    int64_t n = in.ReadAt(off, buf.data(), buf.size());
    if (n < 0) return Status::Error(BaseName(from) + ": ファイルを読めません" + Why(errno));
    if (n == 0) break;
    if (!out.WriteAt(off, buf.data(), size_t(n)))
      return Status::Error(to + ": ファイルに書き込めません" + Why(errno));
    off += uint64_t(n);
  }
  struct stat st;
  if (::fstat(in.fd(), &st) == 0) ::fchmod(out.fd(), st.st_mode & 07777);
  if (!out.Sync()) return Status::Error(to + ": ファイルをディスクに書き込めません" + Why(errno));
  return Status::Ok();
}

}  // namespace

std::string BackupFolder(const std::string& dbf_path) {
  std::string dir = GetDir(dbf_path);
  return (dir.empty() ? std::string(".") : dir) + "/BackUp";
}

Status DoBackUp(const std::string& dbf_path, int depth, int* slot) {
  if (slot) *slot = 0;
  depth = std::clamp(depth, 1, 9);
  // Half old and half new files are no state to keep: the open that follows finishes the
  // slimming first.
  if (FileExists(SlimJournalPath(dbf_path)))
    return Status::Error(BaseName(dbf_path) +
                         ": スリム化が途中で止まっているので、今回はバックアップを作りません");
  const std::string folder = BackupFolder(dbf_path);
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) {
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
      return Status::Error(folder + ": バックアップ用のフォルダーを作れません" + Why(errno));
  } else if (!S_ISDIR(st.st_mode)) {
    return Status::Error(folder + ": バックアップ用のフォルダーの名前がファイルに使われています");
  }
  // "diary." for diary.dbf: the backups are diary.DBF1, diary.DBT1, diary.MDX1, ...
  std::string name = BaseName(dbf_path);
  size_t dot = name.find_last_of('.');
  const std::string base =
      folder + "/" + (dot == std::string::npos ? name + "." : name.substr(0, dot + 1));
  int chosen = 0;
  int64_t oldest = 0;
  for (int k = 1; k <= depth; ++k) {
    int64_t t = MTimeOf(base + "DBF" + std::to_string(k));
    if (t < 0) {
      chosen = k;
      break;
    }
    if (chosen == 0 || t < oldest) {
      chosen = k;
      oldest = t;
    }
  }
  const std::string n = std::to_string(chosen);
  const std::pair<std::string, const char*> files[] = {{dbf_path, "DBF"},
                                                       {SiblingPath(dbf_path, "dbt"), "DBT"},
                                                       {SiblingPath(dbf_path, "mdx"), "MDX"}};
  for (const auto& [from, ext] : files) {
    const std::string to = base + ext + n;
    if (!FileExists(from)) {
      // A copy of a file the page file no longer has would not belong to the others.
      if (from != dbf_path) {
        ::unlink(to.c_str());
        continue;
      }
    }
    if (int err = CopyWithTimes(from, to); err != 0) {
      // A slot half written would pass for a backup: it is cleared, and taken first next time.
      for (const char* e : {"DBF", "DBT", "MDX"}) ::unlink((base + e + n).c_str());
      return Status::Error(BaseName(from) + ": バックアップ " + to + " を作れません" + Why(err));
    }
  }
  if (slot) *slot = chosen;
  return Status::Ok();
}

Status RenamePageFile(const std::string& from, const std::string& to) {
  if (!FileExists(from)) return Status::Error(from + ": ファイルがありません");
  std::string notice;
  Status st = FinishInterruptedSlim(from, &notice);
  if (!st.ok()) return st;
  Fd held;
  if (!LockFree(from, &held))
    return Status::Error(BaseName(from) + ": ほかのプログラムが開いているので名前を変更できません");
  struct Move {
    std::string from, to;
  };
  std::vector<Move> moves;
  for (const char* ext : {"dbt", "mdx"}) {
    std::string f = SiblingPath(from, ext);
    if (FileExists(f)) moves.push_back({f, SiblingPath(to, ext)});
  }
  // A record write left unfinished by a killed process travels with its table.
  if (FileExists(JournalPath(from))) moves.push_back({JournalPath(from), JournalPath(to)});
  // The table last: until it has moved, the page file is whole under its old name.
  moves.push_back({from, to});
  for (const auto& m : moves) {
    struct stat a, b;
    bool same = ::stat(m.from.c_str(), &a) == 0 && ::stat(m.to.c_str(), &b) == 0 &&
                a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    if (FileExists(m.to) || same)
      return Status::Error(m.to + " はすでに存在するので，名前の変更はできません。");
  }
  bool copied = false;
  for (size_t i = 0; i < moves.size(); ++i) {
    if (!copied && RenameFile(moves[i].from, moves[i].to)) continue;
    int err = errno;
    if (!copied && err == EXDEV && i == 0) copied = true;  // another file system: copy them all
    if (copied) {
      st = CopyDurably(moves[i].from, moves[i].to);
      if (st.ok()) continue;
    } else {
      st = Status::Error(BaseName(moves[i].from) + ": 名前を " + BaseName(moves[i].to) +
                         " に変更できません" + Why(err));
    }
    // Back to the old name: renamed files return, copies go.
    for (size_t k = i + 1; k-- > 0;) {
      if (copied)
        RemoveFile(moves[k].to);
      else if (k < i)
        RenameFile(moves[k].to, moves[k].from);
    }
    SyncFolderOf(to);
    SyncFolderOf(from);
    return st;
  }
  SyncFolderOf(to);
  if (copied) {
    // The copies are durable: the table goes first, so that the old name is never a table
    // without its memos.
    for (size_t k = moves.size(); k-- > 0;) RemoveFile(moves[k].from);
  }
  SyncFolderOf(from);
  // The base name recorded inside the memo and index files.
  const std::string stem = StemOf(to);
  File f;
  if (f.Open(SiblingPath(to, "mdx"), 'w')) {
    char name[16] = {};
    memcpy(name, stem.data(), std::min<size_t>(stem.size(), 16));
    if (f.WriteAt(4, name, 16)) f.Sync();
  }
  unsigned char h[17];
  if (f.Open(SiblingPath(to, "dbt"), 'w') && f.ReadExact(0, h, 17) && h[16] == 0x00) {
    std::string base = stem.substr(0, 8);
    base.resize(8, ' ');
    if (f.WriteAt(8, base.data(), 8)) f.Sync();
  }
  return Status::Ok();
}

}  // namespace sk::store
