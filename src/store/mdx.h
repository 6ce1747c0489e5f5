// N.mdx: the production index, one B-tree per tag.
//
// Layout written here (dBASE IV; pages of 512 bytes, blocks of 2 pages; page numbers count pages):
//   page 0-3   file header: 0 = 0x02; 1-3 date; 4-19 table base name, NUL-padded; 20-21 pages per
//              block (2); 22-23 block size (1024); 24 production flag (1); 25 tag slots (48);
//              26 slot length (32); 28-29 tags in use; 31 language byte; 32-35 pages in file;
//              36-39 first free page (0); 44-46 date of last update; 529 = 0x01.
//              48-63 (reserved for the program's own use): "SKIX", a byte set while index blocks
//              are being written, and the table's record count when the index was last complete.
//              Tag slots from 544, 32 bytes each: 0-3 page of the tag header; 4-14 name; 15 = 0x10;
//              16/17/18 a binary search tree over the names (less, greater, parent; 1-based);
//              19 = 0x02; 20 key type.
//   tag header (a block): 0-3 root page; 4-7 pages used; 8 key format (0x10); 9 key type;
//              12-13 key length; 14-15 keys per block; 16-17 0 (C) or 1 (D); 18-19 item length;
//              24.. key expression, NUL-terminated; 246 = 1 once the tag has keys.
//   node (a block): 0-3 number of entries; 4-7 0; from 8 entries [4-byte number][key], item
//              length apart.  Leaf: the number is the record number and the 4 bytes after the last
//              entry are 0.  Interior: the number is a child page, the key the largest key of that
//              child, and the right-most child's page follows the last entry.
// Crash safety: before the first block changes after an open the "being written" byte is set and
// synced; it is cleared with the record count, after a sync of the blocks, when the table closes.
// An index found half-written (a kill or a power cut during a session that wrote), or out of
// step with the table, is rebuilt from the records when the table is opened.  Index blocks need
// no sync of their own.  Rebuilds write a new file aside, sync it and rename it into place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert/status.h"
#include "store/file_io.h"
#include "store/keys.h"
#include "store/order_cursor.h"

namespace sk::store {

struct IndexEntry {
  std::string key;
  uint32_t recno = 0;
};

class MdxFile {
 public:
  static constexpr uint32_t kBlock = 1024;

  // Writes a new index holding tags, aside and renamed into place.  entries_for(t, out) gives
  // the sorted entries of tag t; it is called once per tag, so only one tag's keys are in memory.
  using EntrySource = std::function<Status(size_t tag, std::vector<IndexEntry>* out)>;
  static Status Build(const std::string& path, const std::string& table_name, uint8_t language,
                      const std::vector<TagDef>& tags, const EntrySource& entries_for,
                      uint32_t record_count);
  // The same with each tag's entries given flat: the keys one after the other (the tag's key
  // length each), and their record numbers.
  using FlatEntrySource =
      std::function<Status(size_t tag, std::string* keys, std::vector<uint32_t>* recnos)>;
  static Status BuildFlat(const std::string& path, const std::string& table_name, uint8_t language,
                          const std::vector<TagDef>& tags, const FlatEntrySource& entries_for,
                          uint32_t record_count);
  // The same with each tag's entries given a piece at a time, so that only a piece of a tag's
  // keys is in memory: count(t, &n) prepares tag t and tells its number of entries;
  // piece(t, from, n, &keys, &recnos) points at entries [from, from + n) laid out flat (valid
  // until the next call).  `progress` (optional) is told the entries written so far of all
  // `total` and may cancel: the old index stays and *cancelled is set.
  struct PieceSource {
    std::function<Status(size_t tag, size_t* n)> count;
    std::function<Status(size_t tag, size_t from, size_t n, const char** keys,
                         const uint32_t** recnos)>
        piece;
    std::function<bool(uint64_t done, uint64_t total)> progress;
    uint64_t total = 0;
    bool* cancelled = nullptr;
  };
  static Status BuildPieces(const std::string& path, const std::string& table_name,
                            uint8_t language, const std::vector<TagDef>& tags,
                            const PieceSource& source, uint32_t record_count);

  Status Open(const std::string& path, bool read_only, const std::vector<FieldDef>& fields);
  void Close();
  bool is_open() const { return file_.is_open(); }
  const std::string& path() const { return file_.path(); }

  const std::vector<TagDef>& tags() const { return tags_; }
  int TagIndex(const std::string& name) const;  // -1 when missing (case-insensitive)
  uint32_t root(int tag) const { return roots_[size_t(tag)]; }

  // The table base name the index was written for (bytes 4-19).
  const std::string& table_name() const { return table_name_; }
  Status SetTableName(const std::string& name);
  bool has_marker() const { return has_marker_; }
  bool dirty() const { return dirty_; }
  uint32_t synced_count() const { return synced_count_; }
  uint32_t pages_in_file() const { return pages_; }
  int64_t MTimeNs() const { return file_.MTimeNs(); }

  // Brackets every change of index blocks.  The first sets the "being written" byte and syncs it;
  // it stays set until Seal.
  Status BeginWrite();
  Status EndWrite(uint32_t record_count);
  // Ends a bracket whose change failed half-way: the "being written" byte stays set, so the
  // next open rebuilds the index.
  void AbandonWrite() {
    write_depth_ = 0;
    abandoned_ = true;
  }
  // Before the table closes: the blocks synced, then the "being written" byte cleared with the
  // record count and synced.  Nothing when no block changed since the open.
  Status Seal(uint32_t record_count);

  Status Insert(int tag, const std::string& key, uint32_t recno);
  Status Remove(int tag, const std::string& key, uint32_t recno);

  // A node as read from the file.
  struct Node {
    uint32_t page = 0;
    std::vector<unsigned char> data;
    uint32_t n() const { return Get32(data.data()); }
    bool leaf(int item) const { return Get32(data.data() + 8 + n() * uint32_t(item)) == 0; }
    uint32_t num(int item, uint32_t j) const { return Get32(data.data() + 8 + j * uint32_t(item)); }
    const unsigned char* key(int item, uint32_t j) const {
      return data.data() + 12 + j * uint32_t(item);
    }
    uint32_t child(int item, uint32_t j) const {
      return Get32(data.data() + 8 + j * uint32_t(item));
    }
  };
  // Reads and checks a node of a tag (entry count, child pages inside the file).
  Status Load(int tag, uint32_t page, std::shared_ptr<const Node>* out) const;

  // One level of a path from a tag's root to a leaf: the node and the entry (or child) index.
  struct PathStep {
    std::shared_ptr<const Node> node;
    uint32_t idx;
  };

  // A position in a tag: the path from the root to a leaf entry.
  class Cursor : public OrderCursor {
   public:
    Cursor(const MdxFile* mdx, int tag) : mdx_(mdx), tag_(tag) {}
    Status First(bool* found) override;
    Status Last(bool* found) override;
    // Positions on the first entry >= (key, recno).
    Status Seek(const std::string& key, uint32_t recno, bool* found) override;
    Status Next(bool* found) override;
    Status Prior(bool* found) override;
    uint32_t recno() const override;
    std::string key() const;

   private:
    Status DescendEdge(uint32_t page, bool right, bool* found);
    Status StepBack(bool* found);
    Status Normalize(bool* found);  // moves past the end of an exhausted leaf
    // A step must reach an entry strictly after (Next) or before (Prior) the one it left: a
    // damaged tree that refers to a page twice would otherwise repeat entries without end.
    Status CheckStep(const std::shared_ptr<const Node>& from_node, uint32_t from_idx, bool forward,
                     bool found);
    const MdxFile* mdx_;
    int tag_;
    std::vector<PathStep> path_;
  };

  // Every entry of a tag in order, with structural checks (for the consistency check).
  Status Walk(int tag, std::vector<IndexEntry>* out, std::vector<std::string>* faults) const;

 private:
  Status Fail(const std::string& what) const;
  Status WriteNode(int tag, uint32_t page, const std::vector<unsigned char>& data);
  Status AllocBlock(uint32_t* page);
  Status WriteHeaderFields();
  Status WriteTagRoot(int tag, uint32_t root);
  // Path of (node, index) from the root to the leaf slot of (key, recno).
  Status DescendTo(int tag, const unsigned char* key, uint32_t recno,
                   std::vector<PathStep>* path) const;
  Status MaxRecno(int tag, uint32_t page, uint32_t* recno) const;
  Status InsertInto(int tag, std::vector<PathStep>& path, size_t level, const unsigned char* key,
                    uint32_t num);
  Status FixMaxUpward(int tag, std::vector<PathStep>& path, size_t level, const unsigned char* key);
  Status RemoveChild(int tag, std::vector<PathStep>& path, size_t level);

  File file_;
  bool read_only_ = false;
  std::vector<TagDef> tags_;
  std::vector<uint32_t> roots_;
  std::vector<uint32_t> tag_pages_;
  uint32_t pages_ = 0;
  std::string table_name_;
  bool has_marker_ = false;
  bool dirty_ = false;
  uint32_t synced_count_ = 0;
  int write_depth_ = 0;
  bool marked_ = false;     // the "being written" byte set (and synced) since the open
  bool abandoned_ = false;  // a change failed half-way: the byte stays set

  // Nodes read, by tag and page: a node is checked against the key length of the tag it was read
  // for, so a damaged file that shares a page between tags cannot make it read past the block.
  static uint64_t CacheKey(int tag, uint32_t page) {
    return (uint64_t(uint32_t(tag)) << 32) | page;
  }
  mutable std::unordered_map<uint64_t, std::shared_ptr<const Node>> cache_;
};

}  // namespace sk::store
