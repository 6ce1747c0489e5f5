// A file descriptor with whole-buffer positional reads and writes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

namespace sk::store {

// Every change the engine makes to files (opening, writing, truncating, syncing, closing,
// renaming, removing, syncing a folder) goes through the file layer; reads go to the descriptor
// directly.  The system's calls are the default; a test puts its own layer in between to keep
// track of what would survive a power cut.  Each call answers as the system call does (-1 and
// errno on failure).
class FileLayer {
 public:
  virtual ~FileLayer() = default;
  virtual int Open(const char* path, int flags, mode_t mode) = 0;
  virtual ssize_t Pwrite(int fd, const void* buf, size_t n, off_t off) = 0;
  virtual int Ftruncate(int fd, off_t size) = 0;
  virtual int Fdatasync(int fd) = 0;
  virtual int Close(int fd) = 0;
  virtual int Rename(const char* from, const char* to) = 0;
  virtual int Unlink(const char* path) = 0;
  // A second name for a file (hard link).
  virtual int Link(const char* from, const char* to) = 0;
  // Makes the folder's entries (files created, renamed or removed in it) durable.
  virtual int SyncDir(const char* dir) = 0;
};
// The system's calls; a test layer derives from it and changes only the calls it watches.
class SystemFileLayer : public FileLayer {
 public:
  int Open(const char* path, int flags, mode_t mode) override;
  ssize_t Pwrite(int fd, const void* buf, size_t n, off_t off) override;
  int Ftruncate(int fd, off_t size) override;
  int Fdatasync(int fd) override;
  int Close(int fd) override;
  int Rename(const char* from, const char* to) override;
  int Unlink(const char* path) override;
  int Link(const char* from, const char* to) override;
  int SyncDir(const char* dir) override;
};
// The layer in use; SetFileLayer(nullptr) goes back to the system's calls.
FileLayer& Layer();
void SetFileLayer(FileLayer* layer);

// Through the layer: rename (replacing `to`), remove, and sync the folder that holds `path`.
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
bool LinkFile(const std::string& from, const std::string& to);
bool SyncFolderOf(const std::string& path);
// The folder that holds `path`: "." for a bare name, "/" for a name at the root.
std::string FolderOf(const std::string& path);

class File {
 public:
  File() = default;
  ~File() { Close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& o) noexcept : fd_(o.fd_), path_(std::move(o.path_)) { o.fd_ = -1; }
  File& operator=(File&& o) noexcept;

  // mode: 'r' read only, 'w' read/write existing, 'c' create or truncate for read/write.
  bool Open(const std::string& path, char mode);
  void Close();
  bool is_open() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }

  // Reads up to n bytes at off; returns the count read (short at the end of the file), -1 on error.
  int64_t ReadAt(uint64_t off, void* buf, size_t n) const;
  // True when exactly n bytes were read.
  bool ReadExact(uint64_t off, void* buf, size_t n) const {
    return ReadAt(off, buf, n) == static_cast<int64_t>(n);
  }
  bool WriteAt(uint64_t off, const void* buf, size_t n);
  bool Truncate(uint64_t size);
  int64_t Size() const;
  // fdatasync: what was written reaches the disk before this returns.
  bool Sync();
  // Modification time in nanoseconds since the epoch; -1 on error.
  int64_t MTimeNs() const;
  // Bytes delivered and calls made by ReadAt since Open (what tests and benchmarks look at).
  uint64_t bytes_read() const { return bytes_read_; }
  uint64_t read_calls() const { return read_calls_; }

 private:
  int fd_ = -1;
  std::string path_;
  mutable uint64_t bytes_read_ = 0;
  mutable uint64_t read_calls_ = 0;
};

// A read buffer whose new room is not zeroed first (it is read into at once).  Its bytes stay
// until the next Reset.
class ReadBuffer {
 public:
  char* data() { return p_.get(); }
  const char* data() const { return p_.get(); }
  size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }
  // Room for n bytes, the old ones not kept; size() becomes n.
  char* Reset(size_t n) {
    if (n > cap_) {
      p_.reset(new char[n]);
      cap_ = n;
    }
    n_ = n;
    return p_.get();
  }
  // Keeps the first n bytes (n <= size()).
  void Shrink(size_t n) { n_ = n < n_ ? n : n_; }
  void clear() { n_ = 0; }

 private:
  std::unique_ptr<char[]> p_;
  size_t n_ = 0, cap_ = 0;
};

// Little-endian helpers.
inline uint16_t Get16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void Put16(unsigned char* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void Put32(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// The last path component ("/", "\" and ":" all separate) and the folder before it.
std::string BaseName(const std::string& path);
// File name of path with its extension replaced (ext given without the dot).  The case of the
// existing sibling file is found when one exists in any case ("A.DBT" for "a.dbf").
std::string SiblingPath(const std::string& dbf_path, const std::string& ext);
// The file name without its folder and its extension ("diary" for "/a/diary.dbf").
std::string StemOf(const std::string& path);
// True when a file or folder of that name exists.
bool FileExists(const std::string& path);

}  // namespace sk::store
