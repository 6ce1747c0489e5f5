#include "exchange/export_run.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "store/file_io.h"

namespace sk::exchange {
namespace {

constexpr size_t kFlushBytes = 1 << 20;

Status Fault(const std::string& path, const char* what, int err) {
  return Status::Error(path + " " + what + " (" + std::strerror(err) + ")");
}

// A killed export leaves its temporary file "<prefix>XXXXXX" beside the target; the export that
// made it held a lock on it while it lived.  Those nobody holds are removed (under their lock, so
// that a new export that happens to take the name meanwhile sees it locked and takes another).
void RemoveDeadTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* d = ::opendir(folder.c_str());
  if (!d) return;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (!std::all_of(name.begin() + long(prefix.size()), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
      continue;
    const std::string p = folder + "/" + name;
    int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlink(p.c_str());
    ::close(fd);
  }
  ::closedir(d);
}

}  // namespace

AsideFile::~AsideFile() { Discard(); }

Status AsideFile::Open(const std::string& path) {
  Discard();
  path_ = path;
  if (path.empty() || path.back() == '/') return Status::Error("出力するファイル名がありません");
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode))
    return Status::Error(path + " は通常のファイルではないので，書き込めません");
  if (exists && ::access(path.c_str(), W_OK) != 0) return Fault(path, "は書き込み禁止です", errno);
  const std::string folder = store::FolderOf(path);
  const std::string prefix = "." + std::filesystem::path(path).filename().string() + ".";
  RemoveDeadTemporaries(folder, prefix);
  // The temporary file is locked for as long as it lives.  A new one that is found locked
  // already was taken for a leftover by another export's clean-up: it goes, so try another name.
  for (int attempt = 0; fd_ < 0; ++attempt) {
    std::string tmpl = folder + "/" + prefix + "XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd_ < 0) return Fault(path, "を作成できません", errno);
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && attempt < 8) {
      ::close(fd_);
      fd_ = -1;
      continue;
    }
    temp_ = buf.data();
  }
  // The new file gets the old one's permissions, or those a newly created file would get.
  mode_t mode = 0;
  if (exists) {
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
  return Status::Ok();
}

Status AsideFile::Write(std::string_view bytes) {
  if (fd_ < 0) return Status::Error(path_ + " は開かれていません");
  while (!bytes.empty()) {
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fault(path_, "に書き込めません", errno);
    }
    bytes.remove_prefix(size_t(n));
  }
  return Status::Ok();
}

Status AsideFile::OpenStandardOutput() {
  Discard();
  path_ = "標準出力";
  fd_ = STDOUT_FILENO;
  standard_output_ = true;
  return Status::Ok();
}

Status AsideFile::Commit() {
  if (fd_ < 0) return Status::Error(path_ + " は開かれていません");
  if (standard_output_) {  // written as it went; standard output stays open
    fd_ = -1;
    standard_output_ = false;
    return Status::Ok();
  }
  // Renamed while still open and locked, so that no clean-up takes it for a leftover.
  if (::rename(temp_.c_str(), path_.c_str()) != 0)
    return Fault(path_, "を置き換えられません", errno);
  temp_.clear();
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fault(path_, "に書き込めません", errno);
  return Status::Ok();
}

void AsideFile::Discard() {
  if (standard_output_) fd_ = -1;  // never closed here
  standard_output_ = false;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

Status WalkRange(store::Table& t, const ExportRange& range, const std::function<Status()>& visit,
                 const store::Table::Progress& progress, ExportOutcome* outcome) {
  *outcome = {};
  Status st;
  uint32_t total = 0;
  if (range.all) {
    st = t.First();
    total = t.Filtered() && t.HasMarks() ? t.MarkedCount() : t.RecordCount();
  } else {
    total = range.count < 1 ? 0 : uint32_t(range.count);
    if (range.current_left) st = t.Next();
  }
  const bool any = range.all || range.count >= 1;
  while (st.ok() && any && !t.Eof() && !t.IsEmpty()) {
    st = visit();
    if (!st.ok()) break;
    ++outcome->pages;
    if (progress && (outcome->pages == 1 || outcome->pages % 256 == 0) &&
        !progress(uint32_t(outcome->pages), std::max(total, uint32_t(outcome->pages)))) {
      outcome->cancelled = true;
      return Status::Ok();
    }
    if (!range.all && outcome->pages >= range.count) break;
    st = t.Next();
  }
  return st;
}

Status ExportPages(store::Table& t, const ExportRange& range, PageExporter& ex, AsideFile& out,
                   const store::Table::Progress& progress, ExportOutcome* outcome) {
  std::string buf;
  buf.reserve(kFlushBytes + (64 << 10));
  ex.Head(&buf);
  ExportPage page;
  const ExportFields fields = ExportFieldsOf(t);
  const bool by_view = ex.TakesTextView();
  std::string_view text;
  std::string scratch;
  Status st = WalkRange(
      t, range,
      [&] {
        Status s;
        if (by_view) {
          // The text last: reading another memo may refill the buffer the view points into.
          s = ReadExportPageHeader(t, fields, &page);
          if (s.ok()) s = t.ReadMemoViewAt(fields.text, &text, &scratch);
          if (!s.ok()) return s;
          ex.PageView(page, text, &buf);
        } else {
          s = ReadExportPage(t, fields, &page);
          if (!s.ok()) return s;
          ex.Page(page, &buf);
        }
        if (buf.size() >= kFlushBytes) {
          s = out.Write(buf);
          buf.clear();
        }
        return s;
      },
      progress, outcome);
  if (!st.ok() || outcome->cancelled) return st;
  ex.Tail(&buf);
  return out.Write(buf);
}

}  // namespace sk::exchange
