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
#include <functional>

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
// source's access and modification times.  The kernel copies (cloning where the file system
// can), in pieces so that `step` can tell the bytes copied so far and stop the copy (false:
// *stopped is set and 0 returned).  0, or the errno of the failure.
int CopyWithTimes(const std::string& from, const std::string& to,
                  const std::function<bool(uint64_t)>& step, bool* stopped) {
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) return errno;
  struct stat st;
  if (::fstat(in.fd, &st) != 0) return errno;
  Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (out.fd < 0) return errno;
  // Plain reads and writes where the kernel cannot copy between these files.
  constexpr off_t kPiece = off_t(64) << 20;
  off_t done = 0;
  bool kernel = true;
  while (done < st.st_size) {
    size_t want = size_t(std::min<off_t>(st.st_size - done, kPiece));
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
    if (step && !step(uint64_t(n))) {
      *stopped = true;
      return 0;
    }
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

// Size and modification time of a file; exists false when it is missing.
struct Stamp {
  bool exists = false;
  int64_t size = 0, mtime = 0;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  return {true, int64_t(st.st_size), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
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

Status DoBackUp(const std::string& dbf_path, int depth, int* slot, const Table::Progress& progress,
                bool* cancelled) {
  if (slot) *slot = 0;
  if (cancelled) *cancelled = false;
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
  const std::pair<std::string, const char*> files[] = {{dbf_path, "DBF"},
                                                       {SiblingPath(dbf_path, "dbt"), "DBT"},
                                                       {SiblingPath(dbf_path, "mdx"), "MDX"}};
  Stamp sources[3];
  for (int i = 0; i < 3; ++i) sources[i] = StampOf(files[i].first);
  // The slot to fill: the first empty one, else the oldest.  The newest tells whether the page
  // file changed since its last backup.
  int chosen = 0, newest = 0;
  int64_t oldest = 0, newest_time = 0;
  for (int k = 1; k <= depth; ++k) {
    const Stamp copy = StampOf(base + "DBF" + std::to_string(k));
    const int64_t t = copy.mtime;
    if (!copy.exists) {
      if (chosen == 0 || oldest != -1) chosen = k, oldest = -1;
      continue;
    }
    if (newest == 0 || t > newest_time) newest = k, newest_time = t;
    if (oldest != -1 && (chosen == 0 || t < oldest)) chosen = k, oldest = t;
  }
  if (newest != 0) {
    // Copies keep their sources' sizes and times: the same three files need no second copy,
    // which would push an older version out of the slots.
    bool same = true;
    for (int i = 0; i < 3 && same; ++i)
      same = StampOf(base + files[i].second + std::to_string(newest)) == sources[i];
    if (same) {
      if (slot) *slot = newest;
      return Status::Ok();
    }
  }
  uint64_t total = 0, done = 0;
  for (const Stamp& s : sources) total += uint64_t(std::max<int64_t>(s.size, 0));
  // Progress counts in kilobytes (a page file may pass the 32-bit count of bytes).
  auto step = [&](uint64_t n) {
    done += n;
    return !progress || progress(uint32_t(done >> 10), uint32_t(total >> 10));
  };
  if (progress && !progress(0, uint32_t(total >> 10))) {
    if (cancelled) *cancelled = true;
    return Status::Ok();
  }
  // The copies are made under names of their own and take the slot when all three are whole,
  // so a failure or a cancel leaves the version the slot held.
  const std::string n = std::to_string(chosen);
  auto part = [&](const char* ext) { return base + ext + n + ".part"; };
  auto clear_parts = [&] {
    for (const char* e : {"DBF", "DBT", "MDX"}) ::unlink(part(e).c_str());
  };
  for (int i = 0; i < 3; ++i) {
    const auto& [from, ext] = files[i];
    if (!sources[i].exists && i > 0) continue;  // a copy would not belong to the others
    bool stopped = false;
    int err = CopyWithTimes(from, part(ext), step, &stopped);
    if (err != 0 || stopped) {
      clear_parts();
      if (stopped) {
        if (cancelled) *cancelled = true;
        return Status::Ok();
      }
      return Status::Error(BaseName(from) + ": バックアップ " + base + ext + n + " を作れません" +
                           Why(err));
    }
  }
  // The table's copy marks a slot as taken: it goes first and comes back last, so a slot cut
  // short in between is an empty one, taken first next time.
  int err = 0;
  std::string failed = base + "DBF" + n;
  if (::unlink(failed.c_str()) != 0 && errno != ENOENT) err = errno;
  for (int i : {1, 2, 0}) {
    if (err != 0) break;
    failed = base + files[i].second + n;
    if (!sources[i].exists && i > 0) {
      if (::unlink(failed.c_str()) != 0 && errno != ENOENT) err = errno;
    } else if (::rename(part(files[i].second).c_str(), failed.c_str()) != 0) {
      err = errno;
    }
  }
  if (err != 0) {
    clear_parts();
    for (const char* e : {"DBF", "DBT", "MDX"}) ::unlink((base + e + n).c_str());
    return Status::Error(BaseName(dbf_path) + ": バックアップ " + failed + " を作れません" +
                         Why(err));
  }
  if (slot) *slot = chosen;
  return Status::Ok();
}

namespace {

// The base name recorded inside the memo and index files of a page file that took a new name.
void WriteBaseName(const std::string& to) {
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
}

struct Move {
  std::string from, to;
};

// Gives every file its new name beside the old one.  On failure the new names made are removed
// again; the message is "-" when the file system cannot do it (another file system, or no hard
// links there), so that the caller renames or copies instead.
Status LinkAll(const std::vector<Move>& moves) {
  for (size_t i = 0; i < moves.size(); ++i) {
    if (LinkFile(moves[i].from, moves[i].to)) continue;
    int err = errno;
    for (size_t k = i; k-- > 0;) RemoveFile(moves[k].to);
    if (err == EXDEV || err == EPERM || err == ENOTSUP || err == EOPNOTSUPP || err == ENOSYS)
      return Status::Error("-");
    return Status::Error(BaseName(moves[i].from) + ": 名前を " + BaseName(moves[i].to) +
                         " に変更できません" + Why(err));
  }
  return Status::Ok();
}

}  // namespace

Status RenamePageFile(const std::string& from, const std::string& to) {
  if (!FileExists(from)) return Status::Error(from + ": ファイルがありません");
  std::string notice;
  Status st = FinishInterruptedSlim(from, &notice);
  if (!st.ok()) return st;
  Fd held;
  if (!LockFree(from, &held))
    return Status::Error(BaseName(from) + ": ほかのプログラムが開いているので名前を変更できません");
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
  // On one file system the files first take their new names beside the old ones (hard links),
  // the table last; then the old names go, the table first.  A crash at any step leaves the
  // whole page file under one name or both, never one split between two.
  st = LinkAll(moves);
  if (st.ok()) {
    SyncFolderOf(to);
    for (size_t k = moves.size(); k-- > 0;) RemoveFile(moves[k].from);
    SyncFolderOf(from);
    WriteBaseName(to);
    return Status::Ok();
  }
  if (st.message() != "-") return st;
  // A file system without hard links: renamed one by one, the table last.
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
  WriteBaseName(to);
  return Status::Ok();
}

}  // namespace sk::store
