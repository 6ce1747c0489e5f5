#include "store/power_cut_layer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace sk::store::test {

namespace {

constexpr uint64_t kSector = 512;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Apply(std::string* content, const std::string& bytes, uint64_t off) {
  if (content->size() < off + bytes.size()) content->resize(size_t(off + bytes.size()), '\0');
  memcpy(content->data() + off, bytes.data(), bytes.size());
}

}  // namespace

PowerCutLayer::PowerCutLayer(const std::string& dir, uint32_t seed) : dir_(dir), rng_(seed) {
  for (const auto& e : std::filesystem::directory_iterator(dir_)) {
    if (!e.is_regular_file()) continue;
    int id = next_inode_++;
    inodes_[id].on_disk = ReadAll(e.path().string());
    names_[e.path().filename().string()] = id;
  }
  names_on_disk_ = names_;
}

bool PowerCutLayer::Powered() {
  if (!lost_ && calls_++ >= cut_at_) lost_ = true;
  if (lost_) errno = EIO;
  return !lost_;
}

std::string PowerCutLayer::NameOf(const char* path) const {
  std::string p = path;
  size_t slash = p.find_last_of('/');
  if (slash == std::string::npos || p.compare(0, slash, dir_) != 0 || slash != dir_.size())
    return {};
  return p.substr(slash + 1);
}

int PowerCutLayer::InodeOf(int fd) const {
  auto it = fds_.find(fd);
  return it == fds_.end() ? 0 : it->second;
}

int PowerCutLayer::Open(const char* path, int flags, mode_t mode) {
  std::lock_guard<std::mutex> hold(mu_);
  if (!Powered()) return -1;
  int fd = ::open(path, flags, mode);
  std::string name = NameOf(path);
  if (fd < 0 || name.empty()) return fd;
  auto it = names_.find(name);
  int id;
  if (it == names_.end()) {
    id = next_inode_++;
    inodes_[id];
    names_[name] = id;
    entry_changes_.push_back({"", name, id});
  } else {
    id = it->second;
    if (flags & O_TRUNC) inodes_[id].pending.push_back({true, 0, {}});
  }
  fds_[fd] = id;
  return fd;
}

ssize_t PowerCutLayer::Pwrite(int fd, const void* buf, size_t n, off_t off) {
  std::lock_guard<std::mutex> hold(mu_);
  if (!Powered()) return -1;
  ssize_t r = ::pwrite(fd, buf, n, off);
  if (int id = InodeOf(fd); id && r > 0)
    inodes_[id].pending.push_back(
        {false, uint64_t(off), std::string(static_cast<const char*>(buf), size_t(r))});
  return r;
}

int PowerCutLayer::Ftruncate(int fd, off_t size) {
  std::lock_guard<std::mutex> hold(mu_);
  if (!Powered()) return -1;
  int r = ::ftruncate(fd, size);
  if (int id = InodeOf(fd); id && r == 0) inodes_[id].pending.push_back({true, uint64_t(size), {}});
  return r;
}

int PowerCutLayer::Fdatasync(int fd) {
  std::lock_guard<std::mutex> hold(mu_);
  if (!Powered()) return -1;
  // The disk is simulated here: the real file need not reach the platters.
  if (int id = InodeOf(fd)) {
    Inode& in = inodes_[id];
    for (const Change& c : in.pending) {
      if (c.truncate)
        in.on_disk.resize(size_t(c.offset), '\0');
      else
        Apply(&in.on_disk, c.bytes, c.offset);
    }
    in.pending.clear();
  }
  return 0;
}

int PowerCutLayer::Close(int fd) {
  std::lock_guard<std::mutex> hold(mu_);
  fds_.erase(fd);
  int r = ::close(fd);  // closed even without power, so that no descriptor is left behind
  if (!Powered()) return -1;
  return r;
}

int PowerCutLayer::Rename(const char* from, const char* to) {
  std::lock_guard<std::mutex> hold(mu_);
  if (!Powered()) return -1;
  int r = ::rename(from, to);
  std::string a = NameOf(from), b = NameOf(to);
  if (r == 0 && !a.empty() && !b.empty() && names_.count(a)) {
    int id = names_[a];
    names_.erase(a);
    names_[b] = id;
    entry_changes_.push_back({a, b, id});
  }
  return r;
}

int PowerCutLayer::Unlink(const char* path) {
  std::lock_guard<std::mutex> hold(mu_);
  if (!Powered()) return -1;
  int r = ::unlink(path);
  std::string a = NameOf(path);
  if (r == 0 && !a.empty() && names_.count(a)) {
    entry_changes_.push_back({a, "", names_[a]});
    names_.erase(a);
  }
  return r;
}

int PowerCutLayer::SyncDir(const char* dir) {
  std::lock_guard<std::mutex> hold(mu_);
  if (!Powered()) return -1;
  if (dir_ == dir) {
    names_on_disk_ = names_;
    entry_changes_.clear();
  }
  return 0;
}

std::string PowerCutLayer::AfterCut(const Inode& in) {
  // Every version of each sector the pending changes produced, and the sizes they left.
  std::string now = in.on_disk;
  std::vector<uint64_t> sizes = {now.size()};
  std::map<uint64_t, std::vector<std::string>> versions;
  for (const Change& c : in.pending) {
    uint64_t first, last;
    if (c.truncate) {
      uint64_t old = now.size();
      now.resize(size_t(c.offset), '\0');
      first = std::min(old, c.offset) / kSector;
      last = std::max(old, c.offset) / kSector;
    } else {
      if (c.bytes.empty()) continue;
      Apply(&now, c.bytes, c.offset);
      first = c.offset / kSector;
      last = (c.offset + c.bytes.size() - 1) / kSector;
    }
    sizes.push_back(now.size());
    for (uint64_t s = first; s <= last && s * kSector < now.size(); ++s)
      versions[s].push_back(now.substr(size_t(s * kSector), size_t(kSector)));
  }
  std::string out = in.on_disk;
  out.resize(size_t(sizes[rng_() % sizes.size()]), '\0');
  auto put = [&](uint64_t s, const std::string& bytes, size_t n) {
    for (size_t i = 0; i < n && i < bytes.size() && s * kSector + i < out.size(); ++i)
      out[size_t(s * kSector + i)] = bytes[i];
  };
  std::vector<uint64_t> touched;
  std::map<uint64_t, size_t> chosen;
  for (const auto& [s, vs] : versions) {
    if (s * kSector >= out.size()) continue;
    size_t k = rng_() % (vs.size() + 1);  // 0: the sector as on disk
    chosen[s] = k;
    touched.push_back(s);
    if (k > 0) put(s, vs[k - 1], size_t(kSector));
  }
  // One sector caught in the middle of its write: a prefix of the next version over the chosen.
  if (!touched.empty() && rng_() % 2 == 0) {
    uint64_t s = touched[rng_() % touched.size()];
    if (chosen[s] < versions[s].size()) put(s, versions[s][chosen[s]], size_t(rng_() % kSector));
  }
  return out;
}

void PowerCutLayer::Cut() {
  std::lock_guard<std::mutex> hold(mu_);
  std::map<std::string, int> names = names_on_disk_;
  size_t kept = rng_() % (entry_changes_.size() + 1);
  for (size_t i = 0; i < kept; ++i) {
    const EntryChange& c = entry_changes_[i];
    if (!c.from.empty()) names.erase(c.from);
    if (!c.to.empty()) names[c.to] = c.inode;
  }
  std::map<std::string, std::string> files;
  std::map<int, std::string> contents;
  for (const auto& [name, id] : names) {
    if (!contents.count(id)) contents[id] = AfterCut(inodes_[id]);
    files[name] = contents[id];
  }
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    if (e.is_regular_file()) std::filesystem::remove(e.path());
  for (const auto& [name, bytes] : files) {
    std::ofstream out(dir_ + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
  }
  // What the folder now holds is what is on disk.
  inodes_.clear();
  names_.clear();
  fds_.clear();
  entry_changes_.clear();
  int id = 1;
  for (const auto& [name, bytes] : files) {
    inodes_[id].on_disk = bytes;
    names_[name] = id++;
  }
  next_inode_ = id;
  names_on_disk_ = names_;
  lost_ = false;
  cut_at_ = UINT64_MAX;
}

}  // namespace sk::store::test
