#include "store/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sk::store {

namespace {

SystemFileLayer g_system;
FileLayer* g_layer = &g_system;

}  // namespace

int SystemFileLayer::Open(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}
ssize_t SystemFileLayer::Pwrite(int fd, const void* buf, size_t n, off_t off) {
  return ::pwrite(fd, buf, n, off);
}
int SystemFileLayer::Ftruncate(int fd, off_t size) { return ::ftruncate(fd, size); }
int SystemFileLayer::Fdatasync(int fd) { return ::fdatasync(fd); }
int SystemFileLayer::Close(int fd) { return ::close(fd); }
int SystemFileLayer::Rename(const char* from, const char* to) { return ::rename(from, to); }
int SystemFileLayer::Unlink(const char* path) { return ::unlink(path); }
int SystemFileLayer::Link(const char* from, const char* to) { return ::link(from, to); }
int SystemFileLayer::SyncDir(const char* dir) {
  int fd = ::open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  int r = ::fsync(fd);
  ::close(fd);
  return r;
}

FileLayer& Layer() { return *g_layer; }
void SetFileLayer(FileLayer* layer) { g_layer = layer ? layer : &g_system; }

bool RenameFile(const std::string& from, const std::string& to) {
  return g_layer->Rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return g_layer->Unlink(path.c_str()) == 0; }

bool LinkFile(const std::string& from, const std::string& to) {
  return g_layer->Link(from.c_str(), to.c_str()) == 0;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolderOf(const std::string& path) { return g_layer->SyncDir(FolderOf(path).c_str()) == 0; }

File& File::operator=(File&& o) noexcept {
  if (this != &o) {
    Close();
    fd_ = o.fd_;
    path_ = std::move(o.path_);
    o.fd_ = -1;
  }
  return *this;
}

bool File::Open(const std::string& path, char mode) {
  Close();
  bytes_read_ = read_calls_ = 0;
  int flags = O_CLOEXEC;
  if (mode == 'r')
    flags |= O_RDONLY;
  else if (mode == 'w')
    flags |= O_RDWR;
  else
    flags |= O_RDWR | O_CREAT | O_TRUNC;
  fd_ = g_layer->Open(path.c_str(), flags, 0644);
  path_ = path;
  return fd_ >= 0;
}

void File::Close() {
  if (fd_ >= 0) g_layer->Close(fd_);
  fd_ = -1;
}

int64_t File::ReadAt(uint64_t off, void* buf, size_t n) const {
  ++read_calls_;
  size_t done = 0;
  auto* p = static_cast<char*>(buf);
  while (done < n) {
    ssize_t r = ::pread(fd_, p + done, n - done, off_t(off + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    done += size_t(r);
  }
  bytes_read_ += done;
  return int64_t(done);
}

bool File::WriteAt(uint64_t off, const void* buf, size_t n) {
  size_t done = 0;
  auto* p = static_cast<const char*>(buf);
  while (done < n) {
    ssize_t r = g_layer->Pwrite(fd_, p + done, n - done, off_t(off + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += size_t(r);
  }
  return true;
}

bool File::Truncate(uint64_t size) { return g_layer->Ftruncate(fd_, off_t(size)) == 0; }

int64_t File::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return -1;
  return int64_t(st.st_size);
}

bool File::Sync() { return g_layer->Fdatasync(fd_) == 0; }

int64_t File::MTimeNs() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return -1;
  return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

std::string BaseName(const std::string& path) {
  size_t p = path.find_last_of("/\\:");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string StemOf(const std::string& path) {
  std::string n = BaseName(path);
  size_t dot = n.find_last_of('.');
  return dot == std::string::npos ? n : n.substr(0, dot);
}

bool FileExists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

std::string SiblingPath(const std::string& dbf_path, const std::string& ext) {
  size_t slash = dbf_path.find_last_of('/');
  std::string dir = slash == std::string::npos ? std::string(".") : dbf_path.substr(0, slash);
  std::string name = slash == std::string::npos ? dbf_path : dbf_path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  // Keep the case style of the table's own extension for a new file.
  bool upper = dot != std::string::npos && dot + 1 < name.size() && name[dot + 1] >= 'A' &&
               name[dot + 1] <= 'Z';
  std::string want = stem + "." + ext;
  if (upper)
    for (size_t i = stem.size() + 1; i < want.size(); ++i)
      if (want[i] >= 'a' && want[i] <= 'z') want[i] = char(want[i] - 32);
  std::string prefix = slash == std::string::npos ? std::string() : dir + "/";
  struct stat st;
  if (::stat((prefix + want).c_str(), &st) == 0) return prefix + want;
  if (DIR* d = ::opendir(dir.c_str())) {
    std::string found;
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n.size() == want.size() && n.compare(0, stem.size() + 1, stem + ".") == 0 &&
          strcasecmp(n.c_str() + stem.size() + 1, ext.c_str()) == 0) {
        found = e->d_name;
        break;
      }
    }
    ::closedir(d);
    if (!found.empty()) return prefix + found;
  }
  return prefix + want;
}

}  // namespace sk::store
