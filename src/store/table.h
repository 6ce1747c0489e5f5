// A dBASE table with its memo file and production index, and a cursor over it.
//
// The cursor moves in physical order (no tag) or in the order of one tag, visiting live records
// that the filter accepts.  The current record is edited in place; a pending edit is written
// when the cursor moves, when the order or the filter flag is set, and when the table closes.
// Record numbers are physical, from 1; deleted records keep their number until slimming.
// While open, the .dbf holds an advisory lock: exclusive for a writer, shared for a reader, so a
// second open of a file open for writing fails in this process and in any other.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/status.h"
#include "store/dbf.h"
#include "store/dbt.h"
#include "store/keys.h"
#include "store/mdx.h"
#include "store/mem_order.h"
#include "store/order_cursor.h"

namespace sk::store {

struct TagSpec {
  std::string name;
  std::string expr;  // key expression, or a field name when is_expr is false
  bool is_expr = true;
};

struct Date {
  int year = 0, month = 0, day = 0;
  bool operator==(const Date&) const = default;
};

class Table {
 public:
  enum class State { kInactive, kBrowse, kEdit, kInsert };
  using Filter = std::function<bool(const Table&)>;
  using Bookmark = uint32_t;
  // Told how many records of how many a long pass has done; false cancels the pass.
  using Progress = std::function<bool(uint32_t done, uint32_t total)>;

  struct OpenOptions {
    // Shared lock, never writes a byte: an index that is missing, stale, foreign or damaged is
    // reported and replaced by an order built in memory (for the tag asked for).
    bool read_only = false;
    // Tags to build when the table's index is missing or unreadable (empty: a table without one).
    std::vector<TagSpec> default_tags;
    // The table is filled in one pass (a file being built, or pages taken in as a whole): new
    // records and their memos are written without a sync each, and their count reaches the
    // header at Close, after one sync of everything.  A crash before then leaves the table with
    // the records it had at the open.  Changes of existing records are synced as always.
    bool bulk = false;
    // Told how an index rebuilt at the open is getting on; false cancels the open: nothing is
    // opened, the files stay as they were, and OpenCancelled() tells so.
    Progress progress;
  };

  Table() = default;
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Creates a table (replacing files of that name) with the fields and tags, closed afterwards.
  static Status Create(const std::string& path, const std::vector<FieldDef>& fields,
                       const std::vector<TagSpec>& tags);
  // Adds tags to a closed table, building them from its records.
  static Status AddTags(const std::string& path, const std::vector<TagSpec>& tags);

  Status Open(const std::string& path, const OpenOptions& options);
  Status Open(const std::string& path) { return Open(path, OpenOptions{}); }
  Status Close();  // writes a pending edit first
  bool is_open() const { return dbf_.is_open(); }
  const std::string& path() const { return path_; }
  // Notices of repairs (an index rebuilt, or replaced by an order in memory; a record write
  // finished from the journal), at open or on the way; each given once.
  std::vector<std::string> TakeNotices();
  // With a sink, each notice goes to it as it arises instead (and those waiting, at once).  It is
  // called in the middle of an operation: it must not use the table.
  using NoticeSink = std::function<void(const std::string&)>;
  void SetNoticeSink(NoticeSink sink);

  // Cursor.
  Status First();
  Status Last();
  Status Next();
  Status Prior();
  Status MoveBy(int n);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // Physical number of the current record, -1 for a new record not yet written, 0 for none.
  int RecNo() const;
  uint32_t RecordCount() const { return dbf_.record_count(); }  // deleted ones included
  bool IsEmpty() const { return cur_ == 0 && state_ != State::kInsert; }

  // In a tag's order: moves to the first visible record whose key is at or after the key of a
  // record holding `value` in field `name` (a date as "YYYYMMDD") and blanks elsewhere.  When there
  // is none, to the last record with Eof set.  An error in physical order.
  Status FindNearest(const std::string& name, const std::string& value);

  // Calls fn with the bytes of every live record as in the file (deletion byte first), in
  // physical order, without moving the cursor or copying the records.
  Status ForEachRecord(const std::function<void(std::string_view)>& fn) const;

  // Order: a tag name, or "" for physical order.  Keeps the current record.
  std::string IndexName() const;
  Status SetIndexName(const std::string& name);
  std::string FirstTagExpression() const;
  std::vector<std::string> TagNames() const;
  // The tags the orders come from: the index's, or those ordered in memory.
  const std::vector<TagDef>& Tags() const;
  // True when the orders are built in memory because the index cannot be used.
  bool OrderInMemory() const { return mem_order_; }

  // Filter.  Without marks the filter is asked about each record the cursor reaches.
  void SetFilter(Filter f) {
    filter_ = std::move(f);
    DropMarks();
  }
  bool Filtered() const { return filtered_; }
  Status SetFiltered(bool on);
  // Asks the filter about every live record in one pass over the table and keeps the answers as
  // one bit per record: while the filter is on, moving in any order then reads no record to test
  // it, and an empty selection is known at once.  A record written, added or deleted gets its bit
  // again from the same filter.  The marks last until the filter is replaced or the table closes.
  // `progress` is called every few thousand records; when it returns false the pass stops,
  // *cancelled is set and nothing changes.  The cursor stays where it was.
  Status MarkFiltered(const Progress& progress = {}, bool* cancelled = nullptr);
  bool HasMarks() const { return marks_valid_; }
  // The number of marked records (meaningful with marks).
  uint32_t MarkedCount() const { return marked_; }

  // Editing.
  State state() const { return state_; }
  Status Edit();
  Status Append();
  Status Delete();
  Status Post();
  void Cancel();
  bool Modified() const { return modified_; }

  // Fields by name.  Strings are CP932 bytes; C fields lose trailing spaces; a date field reads
  // as "YYYYMMDD" or "" when blank.
  Status ReadField(const std::string& name, std::string* out) const;
  // The same by the field's position in fields() (a pass over many records looks names up once).
  Status ReadFieldAt(int index, std::string* out) const;
  // A memo field without a copy where it can: *view points into the memo file's read-ahead
  // buffer, the edited value, or *scratch; valid until the next read of a field or move.
  Status ReadMemoViewAt(int index, std::string_view* view, std::string* scratch) const;
  std::string FieldString(const std::string& name) const;  // "" on any error
  std::optional<Date> FieldDate(const std::string& name) const;
  // The current record's bytes (deletion byte first, record_length bytes; empty when there is
  // none): as edited, or inside a filter hook as in the file, read without a copy.  Valid until
  // the cursor moves or a field is set.
  std::string_view CurrentRecordBytes() const;
  Status SetFieldString(const std::string& name, const std::string& value);
  Status SetFieldDate(const std::string& name, const std::optional<Date>& date);
  bool IsDeleted() const;

  // Bookmarks: the current record, and a way back to it.
  Bookmark GetBookmark() const { return cur_; }
  Status GotoBookmark(Bookmark b);
  void FreeBookmark(Bookmark) {}

  const DbfFile& dbf() const { return dbf_; }
  const DbtFile& dbt() const { return dbt_; }
  const MdxFile& mdx() const { return mdx_; }
  const std::vector<FieldDef>& fields() const { return dbf_.fields(); }

  // Builds the index again from the records (the only full scan).  The fields a tag is keyed on
  // get their index flag.  `progress` may cancel while the files are unchanged: an error, with
  // *cancelled set, and the table should be closed (its old index is no longer open).
  Status RebuildIndex(const std::vector<TagDef>& tags, const Progress& progress = {},
                      bool* cancelled = nullptr);
  // The last Open rebuilt the index (it was missing, stale or damaged).
  bool IndexRebuiltAtOpen() const { return rebuilt_at_open_; }
  // The last Open was cancelled during a rebuild of the index.
  bool OpenCancelled() const { return open_cancelled_; }

 private:
  struct Memo {
    bool loaded = false;
    bool dirty = false;
    std::string value;
  };
  Status CheckActive() const;
  Status Settle();  // writes a pending edit, or drops an unmodified new record
  Status LoadCurrent() const;
  Status ReadMemoAt(int field, std::string* out) const;
  Status PrepareIndex(const OpenOptions& options);
  // Looks up the keys of `samples` records spread over the table (at least 2) in every tag: an
  // index of another table, or a damaged tree on the way to them, gives an error.
  Status SpotCheckIndex(uint32_t samples) const;
  void AddNotice(const std::string& notice);
  // The cursor over the current tag (the index's, or the order in memory, built here).
  Status MakeCursor();
  // After the index failed (message why): rebuilds it, or in a read-only table orders in memory.
  Status RecoverIndex(const std::string& why);
  // The cursor moves; a fault of the index is repaired once and the move made again.
  Status CursorEdge(bool last, bool* found);
  Status CursorSeek(const std::string& key, uint32_t recno, bool* found);
  Status CursorStep(bool forward, bool* found);
  Status SeekCursorToCurrent();
  Status Move(bool forward);
  // Steps from the current position; sets *moved when an accepted record was reached.
  Status Step(bool forward, bool* moved);
  Status FromEdge(bool last);
  Status Accept(uint32_t recno, bool* ok);
  // The live-and-filter test on the bytes of the current record as in the file.
  bool AcceptBytes(const char* rec);
  Status PhysicalScan(uint32_t from, bool forward, bool* found);
  // The marks in use for the filter; a record's bit.
  bool UseMarks() const;
  bool NoneMarked() const { return UseMarks() && marked_ == 0; }
  bool Marked(uint32_t recno) const { return (marks_[recno >> 6] >> (recno & 63)) & 1; }
  void SetMark(uint32_t recno, bool on);
  // A written record's bit, with the sorted list of a sparse selection kept in step (its entry
  // taken out, and put back at its key's place when marked) rather than read again.
  void MarkWritten(uint32_t recno, bool on, const std::string& rec);
  // After a write of the current record: its bit from the filter.
  void RemarkCurrent();
  void DropMarks();
  // The marked record nearest to `from` in the direction, from included; 0 for none.
  uint32_t NextMarked(uint32_t from, bool forward) const;
  // A few marked records in a tag's order: their keys sorted once, so that a step or an edge
  // finds its record without walking the tag past every unmarked entry.
  bool SparseReady();
  Status SparseStep(bool forward, bool* moved);
  void SparseEdge(bool last, bool* found);
  // After the current record was deleted or filtered out: the next record in the order, else the
  // one before, else none.
  Status MoveToNeighbour();
  std::string BlankRecord() const;
  Status WriteMemosInto(std::string* rec);
  // In bulk: what the pass appended, on disk and counted.
  Status FinishBulk();

  std::string path_;
  DbfFile dbf_;
  DbtFile dbt_;
  MdxFile mdx_;
  bool has_memo_ = false;
  bool read_only_ = false;
  bool bulk_ = false;
  bool index_usable_ = false;
  bool rebuilt_at_open_ = false, open_cancelled_ = false;
  std::vector<std::string> notices_;
  NoticeSink sink_;
  bool mem_order_ = false;         // orders built in memory instead of the index
  std::vector<TagDef> mem_tags_;   // their tags
  std::unique_ptr<MemOrder> mem_;  // the order of the current tag

  State state_ = State::kInactive;
  uint32_t cur_ = 0;  // current record, 0 for none
  uint32_t before_insert_ = 0;
  bool bof_ = true, eof_ = true;
  bool modified_ = false;
  mutable bool loaded_ = false;
  mutable std::string buf_;   // current record as edited
  mutable std::string orig_;  // current record as in the file
  mutable std::map<int, Memo> memos_;
  // While a filter hook runs: the record as in the file, straight from the table's read cache.
  std::string_view filter_view_;
  bool in_filter_ = false;
  std::string spill_;  // a record across two cache chunks, for filter_view_

  int tag_ = -1;
  std::unique_ptr<OrderCursor> cursor_;
  bool cursor_valid_ = false;
  Filter filter_;
  bool filtered_ = false;
  // The filter's answer for every record (bit r for record r) and how many are set.
  std::vector<uint64_t> marks_;
  bool marks_valid_ = false;
  uint32_t marked_ = 0;
  std::vector<std::pair<std::string, uint32_t>> sparse_;  // (key, record) in the tag's order
  int sparse_tag_ = -1;                                   // -1: not built
};

// Resolves the tags asked for (field names or key expressions) against a table's fields.
Status ResolveTags(const std::vector<TagSpec>& specs, const std::vector<FieldDef>& fields,
                   std::vector<TagDef>* out);

// The folder part of a path without a trailing separator, and the file name with its extension.
std::string GetDir(const std::string& path);
std::string GetName(const std::string& path);
// True when a file or folder of that name exists.
bool ExistDir(const std::string& path);

}  // namespace sk::store
