// A file layer for tests that simulates a power cut (built with the tests only).
//
// Every call reaches the real files in one folder, as the kernel would keep them; beside that the
// layer keeps what a disk would hold: the content of each file as of its last fdatasync, and the
// folder's entries as of its last sync, with the writes and the entry changes made since.  After
// a chosen number of calls the power goes: that call and every later one fails with EIO.  Cut()
// then rewrites the folder as the disk may hold it afterwards: the entries on disk plus a prefix
// of the later entry changes (the file system keeps their order), and each file's synced content
// with, for each 512-byte sector written since, either that content or one of the sector's later
// versions (so the writes land in any order), one sector possibly torn (a prefix of its new bytes
// over the old), and a size that any prefix of the writes may have left.
#pragma once

#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "store/file_io.h"

namespace sk::store::test {

class PowerCutLayer final : public FileLayer {
 public:
  // Takes the files of `dir` (no trailing separator) as they are as the state on disk.
  PowerCutLayer(const std::string& dir, uint32_t seed);

  // The power goes at call number `calls` from now (0: at the next call); never when not called.
  void CutAt(uint64_t calls) { cut_at_ = calls_ + calls; }
  bool power_lost() const { return lost_; }
  uint64_t calls() const { return calls_; }
  // With every file of the folder closed: rewrites the folder as the disk holds it after the
  // cut (whether or not the power went before).
  void Cut();

  int Open(const char* path, int flags, mode_t mode) override;
  ssize_t Pwrite(int fd, const void* buf, size_t n, off_t off) override;
  int Ftruncate(int fd, off_t size) override;
  int Fdatasync(int fd) override;
  int Close(int fd) override;
  int Rename(const char* from, const char* to) override;
  int Unlink(const char* path) override;
  // Second names are not kept track of: the layer says it has none (renaming then renames).
  int Link(const char*, const char*) override {
    errno = ENOTSUP;
    return -1;
  }
  int SyncDir(const char* dir) override;

 private:
  struct Change {
    bool truncate = false;
    uint64_t offset = 0;  // or the new size of a truncate
    std::string bytes;
  };
  struct Inode {
    std::string on_disk;
    std::vector<Change> pending;  // since the last fdatasync
  };
  struct EntryChange {
    std::string from, to;  // create: "" -> to; remove: from -> ""; rename: from -> to
    int inode = 0;
  };
  // False when the power is gone (errno set to EIO); counts the call.
  bool Powered();
  // The name inside the folder, or "" for a path elsewhere.
  std::string NameOf(const char* path) const;
  int InodeOf(int fd) const;
  std::string AfterCut(const Inode& inode);

  // Slimming builds its index on a second thread: every call is taken one at a time.
  std::mutex mu_;
  std::string dir_;
  std::mt19937 rng_;
  uint64_t calls_ = 0, cut_at_ = UINT64_MAX;
  bool lost_ = false;
  int next_inode_ = 1;
  std::map<int, Inode> inodes_;
  std::map<std::string, int> names_;          // the folder as the kernel has it
  std::map<std::string, int> names_on_disk_;  // as of the last folder sync
  std::vector<EntryChange> entry_changes_;    // since then
  std::map<int, int> fds_;                    // open descriptor -> inode
};

}  // namespace sk::store::test
