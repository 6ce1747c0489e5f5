// The folders a listed picture name is looked for in.
//
// Order: the folder the program started in (StartDir), the page file's own folder (a program
// started from the desktop starts in the home folder here, so the page file's folder follows
// right after it), then the folders of ImageSearchDirs in list order.  The first folder holding a
// file of the bare name wins.  Only when no folder holds it under that exact name is it looked for
// again ignoring the case of ASCII letters (a page written on Windows names "SKY.JPG" where the
// folder holds "sky.jpg"); in a folder holding several such names the first in byte order wins.
//
// ImageSearchDirs is built from the "ImageDir" value: folders separated by ";"; a "*" at the end
// of a folder name includes every folder below it (depth first, in the order the file system
// lists them, names beginning with "." skipped).  ImageDirEntries keeps the items as the user
// named them (with their "*") and is written back at shutdown.  Folder comparisons ignore case;
// the real case is kept for every access.
//
// Paths here are platform paths (UTF-8), folders with a final "/".  A folder item typed with "\"
// separators is taken as it stands.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace sk::images {

// The regular files of folders, each folder read once: kept for a run of many lookups (an export),
// where asking the file system for every name would cost a failed stat per missing picture and
// folder.  A folder that cannot be read lists nothing.
class FolderListings {
 public:
  struct Listing {
    std::unordered_set<std::string> names;
    // ASCII-lower-cased name -> the real name (the first in byte order when several fold alike).
    std::unordered_map<std::string, std::string> folded;
  };
  const Listing& Of(const std::string& folder);
  // How many folders were read (for tests).
  size_t FoldersRead() const { return listings_.size(); }

 private:
  std::unordered_map<std::string, Listing> listings_;
};

// `name` with its ASCII letters lower-cased (bytes of other characters unchanged).
std::string AsciiLower(std::string_view name);

class ImageSearchPath {
 public:
  // start_dir, page_dir: with or without a final "/"; "" for none.
  void SetStartDir(std::string_view start_dir);
  void SetPageFileDir(std::string_view page_dir);
  const std::string& StartDir() const { return start_dir_; }
  const std::string& PageFileDir() const { return page_dir_; }

  // Rebuilds both lists from the "ImageDir" value (UTF-8).
  void SetImageDirList(std::string_view image_dir_value);
  // The "ImageDir" value to write back: every entry without its final "/", joined with ";".
  std::string ImageDirValue() const;

  // A folder the user picked a file in (adding files): added to ImageSearchDirs unless already
  // there (ignoring case), and to ImageDirEntries as well unless it lies inside a folder
  // registered with all its subfolders.  True when the lists changed.
  bool AddPickedFolder(std::string_view folder);

  // The full path of the first file named `bare_name` (UTF-8) along the path, exactly or else
  // ignoring ASCII case; nullopt when none.  With `listings` the folders are read through it
  // (once each) instead of asking for each name.
  std::optional<std::string> Find(std::string_view bare_name,
                                  FolderListings* listings = nullptr) const;

  const std::vector<std::string>& ImageSearchDirs() const { return search_dirs_; }
  const std::vector<std::string>& ImageDirEntries() const { return dir_entries_; }

 private:
  void SetSubdirList(const std::string& folder, int depth);
  // Appends folder to ImageSearchDirs unless it is there already (ignoring case).
  bool AddSearchDir(const std::string& folder);

  std::string start_dir_, page_dir_;
  std::vector<std::string> search_dirs_;
  // The case-folded names of search_dirs_: a "*" over a large tree lists thousands of folders,
  // and each is checked against all before it.
  std::unordered_set<std::string> search_keys_;
  std::vector<std::string> dir_entries_;
};

// Case-insensitive comparison of two folder names (Unicode simple case folding).
bool SameFolderName(std::string_view a, std::string_view b);

}  // namespace sk::images
