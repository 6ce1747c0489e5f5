#include "images/image_search_path.h"

#include <QString>
#include <filesystem>
#include <set>

namespace sk::images {

namespace fs = std::filesystem;

namespace {

// Deeper folders than this are not searched (and a folder reached again through a link is
// entered once), so a link back up the tree cannot make the list endless.
constexpr int kMaxDepth = 64;

std::string WithSlash(std::string_view folder) {
  std::string f(folder);
  if (!f.empty() && f.back() == '\\') f.back() = '/';
  if (!f.empty() && f.back() != '/') f += '/';
  return f;
}

// The key under which folder names that differ only in case are the same.
std::string FolderKey(std::string_view folder) {
  return QString::fromUtf8(folder.data(), qsizetype(folder.size())).toCaseFolded().toStdString();
}

}  // namespace

bool SameFolderName(std::string_view a, std::string_view b) { return FolderKey(a) == FolderKey(b); }

void ImageSearchPath::SetStartDir(std::string_view start_dir) { start_dir_ = WithSlash(start_dir); }

void ImageSearchPath::SetPageFileDir(std::string_view page_dir) { page_dir_ = WithSlash(page_dir); }

bool ImageSearchPath::AddSearchDir(const std::string& folder) {
  if (!search_keys_.insert(FolderKey(folder)).second) return false;
  search_dirs_.push_back(folder);
  return true;
}

void ImageSearchPath::SetImageDirList(std::string_view value) {
  search_dirs_.clear();
  search_keys_.clear();
  dir_entries_.clear();
  size_t from = 0;
  while (from <= value.size()) {
    size_t semi = value.find(';', from);
    if (semi == std::string_view::npos) semi = value.size();
    std::string item(value.substr(from, semi - from));
    from = semi + 1;
    if (item.empty()) continue;
    item = WithSlash(item);
    bool known = false;
    for (const std::string& e : dir_entries_) known = known || SameFolderName(e, item);
    if (known) continue;
    dir_entries_.push_back(item);
    if (item.size() >= 2 && item[item.size() - 2] == '*') {
      std::string folder = item.substr(0, item.size() - 2) + "/";
      AddSearchDir(folder);
      SetSubdirList(folder, 0);
    } else {
      AddSearchDir(item);
    }
  }
}

void ImageSearchPath::SetSubdirList(const std::string& folder, int depth) {
  std::set<std::string> seen;
  // Depth first, in the order the file system lists the entries.
  struct Walk {
    ImageSearchPath* self;
    std::set<std::string>* seen;
    void operator()(const std::string& dir, int depth) {
      if (depth > kMaxDepth) return;
      std::error_code ec;
      fs::path real = fs::canonical(dir, ec);
      if (ec || !seen->insert(real.string()).second) return;
      fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
      for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code ec2;
        if (!it->is_directory(ec2) || ec2) continue;
        std::string sub = dir + name + "/";
        self->AddSearchDir(sub);
        (*this)(sub, depth + 1);
      }
    }
  };
  Walk{this, &seen}(folder, depth);
}

std::string ImageSearchPath::ImageDirValue() const {
  std::string out;
  for (const std::string& e : dir_entries_) {
    if (!out.empty()) out += ';';
    out += e.substr(0, e.size() - 1);
  }
  return out;
}

bool ImageSearchPath::AddPickedFolder(std::string_view folder) {
  std::string f = WithSlash(folder);
  if (f.empty() || !AddSearchDir(f)) return false;
  for (const std::string& e : dir_entries_) {
    if (e.size() < 2 || e[e.size() - 2] != '*') continue;
    std::string d = e.substr(0, e.size() - 2);  // without "*/"
    if (f.size() > d.size() && f[d.size()] == '/' && SameFolderName(f.substr(0, d.size()), d))
      return true;
  }
  dir_entries_.push_back(f);
  return true;
}

std::string AsciiLower(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

const FolderListings::Listing& FolderListings::Of(const std::string& folder) {
  auto [it, added] = listings_.try_emplace(folder);
  if (!added) return it->second;
  Listing& l = it->second;
  std::error_code ec;
  fs::directory_iterator dir(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && dir != fs::directory_iterator(); dir.increment(ec)) {
    std::error_code ec2;
    if (!dir->is_regular_file(ec2) || ec2) continue;
    std::string name = dir->path().filename().string();
    auto [f, fresh] = l.folded.try_emplace(AsciiLower(name), name);
    if (!fresh && name < f->second) f->second = name;
    l.names.insert(std::move(name));
  }
  return l;
}

std::optional<std::string> ImageSearchPath::Find(std::string_view bare_name,
                                                 FolderListings* listings) const {
  if (bare_name.empty()) return std::nullopt;
  std::vector<const std::string*> dirs;
  dirs.reserve(search_dirs_.size() + 2);
  for (const std::string* d : {&start_dir_, &page_dir_})
    if (!d->empty()) dirs.push_back(d);
  for (const std::string& d : search_dirs_) dirs.push_back(&d);

  const std::string name(bare_name);
  if (listings) {
    for (const std::string* d : dirs)
      if (listings->Of(*d).names.count(name)) return *d + name;
  } else {
    for (const std::string* d : dirs) {
      std::error_code ec;
      std::string p = *d + name;
      if (fs::is_regular_file(p, ec)) return p;
    }
  }
  // Not there under that exact name: the same folders again, ignoring ASCII case.
  const std::string key = AsciiLower(name);
  FolderListings once;
  FolderListings& l = listings ? *listings : once;
  for (const std::string* d : dirs) {
    const FolderListings::Listing& in = l.Of(*d);
    auto it = in.folded.find(key);
    if (it != in.folded.end()) return *d + it->second;
  }
  return std::nullopt;
}

}  // namespace sk::images
