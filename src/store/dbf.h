// N.dbf: the table file.
//
// clang-format off
// Layout written here (dBASE IV, little-endian):
//   0       version: 0x8B (dBASE IV with memo); 0x83 (dBASE III with memo) and 0x03 (no memo)
//           are read
//   1-3     date of last update: year-1900, month, day
//   4-7     record count, deleted records included
//   8-9     header length = 32 + 32 * fields + 1
//   10-11   record length = 1 + the field widths
//   28      0x01 when a production index (.mdx) exists
//   29      language driver: 0x13 (code page 932); 0x7B, 0x56 and 0 are read as 932 too
//   32..    32-byte field descriptors:
//             0-10  name (NUL-padded)
//             11    type (C, D, M, N, L)
//             16    width
//             17    decimals
//             31    0x01 when a production-index tag is keyed on this field
//           0x0D after the last descriptor
//   then    the records: deletion byte (0x20 live, 0x2A deleted) and the fields;
//           one 0x1A at the end.
// clang-format on
// Every record write and every change of the record count goes through the journal (below):
// the entry is synced, then the bytes are written and the table synced, so that a kill or a
// power cut at any moment leaves each record and the count either old or new.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/status.h"
#include "store/file_io.h"

namespace sk::store {

struct FieldDef {
  std::string name;  // ASCII, upper case
  char type = 'C';   // C, D, M (N and L are read as text)
  int width = 0;
  int decimals = 0;
  bool mdx_flag = false;  // a production-index tag is keyed on this field
  int offset = 0;         // offset in the record, after the deletion byte
};

class DbfFile {
 public:
  // Opens an existing table; read_only opens without write access.
  Status Open(const std::string& path, bool read_only);
  // Creates a table (replacing any file of that name).
  Status Create(const std::string& path, const std::vector<FieldDef>& fields, bool has_mdx);
  void Close();
  bool is_open() const { return file_.is_open(); }

  const std::string& path() const { return file_.path(); }
  File& file() { return file_; }
  uint8_t version() const { return version_; }
  uint8_t language() const { return language_; }
  bool has_mdx_flag() const { return mdx_flag_; }
  bool dbase3_memos() const { return version_ == 0x83; }
  uint32_t record_count() const { return count_; }
  int record_length() const { return reclen_; }
  int header_length() const { return hdrlen_; }
  const std::vector<FieldDef>& fields() const { return fields_; }
  int FieldIndex(const std::string& name) const;  // -1 when missing (case-insensitive)
  std::string UpdateDate() const;                 // "YYYY-MM-DD"

  // Reads record recno (1-based) into out (record_length bytes).
  Status ReadRecord(uint32_t recno, std::string* out) const;
  // The bytes of record recno without copying when the record lies in one cached chunk (else
  // copied into *spill).  The view lasts until the next read or write of this file.
  Status ViewRecord(uint32_t recno, std::string_view* out, std::string* spill) const;
  // The records that lie whole in the cached chunk holding record recno, from recno on (forward)
  // or back from it: *first points at record recno, *count tells how many there are (0 when
  // recno itself crosses two chunks).  Valid until the next read or write of this file.
  Status ViewRun(uint32_t recno, bool forward, const char** first, uint32_t* count) const;
  // Bytes delivered by reads of the file since Open (tests and benchmarks).
  uint64_t bytes_read() const { return file_.bytes_read(); }
  // Overwrites record recno (1..count) through the journal; on disk when this returns.
  Status WriteRecord(uint32_t recno, const std::string& rec);
  // Finishes a write that a killed process or a power cut left in the journal, syncs the table,
  // then removes the journal.  For writable opens, under the table's lock, before anything is
  // read.  *replayed tells whether bytes were written.  A record count in the header that the
  // file cannot hold is reported here (after the journal had its chance to set it right).
  Status ReplayJournal(bool* replayed);
  // Writes record count+1, the end mark and the header count through the journal; on disk when
  // this returns.
  Status AppendRecord(const std::string& rec, uint32_t* recno);
  // From now on appends write the record alone, neither journaled nor synced; FinishBulk puts
  // them on disk and then their count in the header.
  void StartBulk() { bulk_ = true; }
  Status FinishBulk();
  // Sets/clears the production-index flag in the header.
  Status SetMdxFlag(bool on);
  // Sets the index flag (byte 31) in the descriptor of a field that a tag is keyed on.
  Status SetFieldMdxFlag(int field);

 private:
  struct Piece {
    uint64_t offset;
    std::string bytes;
  };
  // Journal entry, synced; the pieces, the table synced; the entry marked done.
  Status WriteThroughJournal(const std::vector<Piece>& pieces);
  Status FinishUnfinished();
  void UpdateCache(uint64_t off, const std::string& bytes);
  // The header's first 8 bytes (version, date of update, record count) for a count.
  std::string HeaderCountBytes(uint32_t count) const;
  Status Fail(const std::string& what) const;
  Status CloseJournal();

  File journal_;                   // open while the table is, from the first journaled write
  std::vector<Piece> unfinished_;  // a write that failed after its entry was synced
  bool unsynced_ = false;          // header flags written since the last sync
  std::string count_fault_;        // a writable open's record count the file cannot hold

  File file_;
  bool read_only_ = false;
  bool bulk_ = false;
  uint32_t count_on_disk_ = 0;  // in bulk: the count the header holds
  uint8_t version_ = 0x8B;
  uint8_t language_ = 0x13;
  bool mdx_flag_ = false;
  uint32_t count_ = 0;
  int hdrlen_ = 0;
  int reclen_ = 0;
  std::vector<FieldDef> fields_;

  // Read cache: a few aligned chunks of the record area (records are small and read in runs).
  static constexpr size_t kChunk = 32768;
  static constexpr size_t kSlots = 512;  // up to 16 MB: the records of about 100,000 pages
  struct Slot {
    uint64_t index = UINT64_MAX;
    ReadBuffer data;
  };
  mutable std::vector<Slot> cache_;
  mutable uint64_t last_chunk_ = UINT64_MAX;  // the chunk of the last read
  void InvalidateCache() const;
  // True when the record at off is best read through the cache: the file fits the cache, or
  // the record's chunk is there or lies next to the last one read.  Otherwise a record far from
  // the last one (a tag's order, a jump) is read alone, not with the 32 KB around it.
  bool ThroughCache(uint64_t off) const;
  // The cached chunk holding byte `pos` of the file, read when missing; nullptr on a read error.
  const Slot* ChunkAt(uint64_t pos) const;
};

// The record journal beside a table: "<table>.jnl", one entry, written whole and synced before
// the bytes it holds are written to the table, and marked done ("SKJ0") once the table is synced.
// Removed (and its folder synced) when the table closes.  Layout (little-endian):
//   0  "SKJ2"
//   4  u32 number of pieces
//   8  u32 length of the entry
//  16  u64 FNV-1a hash of bytes 4..15 and of the pieces
//  24  pieces: u64 byte offset in the table, u32 length, the bytes
// A piece is a record image on its slot (for an append, followed by the end mark) or the first
// 8 bytes of the header with the new record count.
// Entries of the earlier form are still replayed: "SKJ1", u64 offset, u32 length, u64 hash of
// bytes 4..15 and the image, the record image.
std::string JournalPath(const std::string& table_path);
std::string EncodeJournal(uint64_t offset, std::string_view image);
std::string EncodeJournal2(const std::vector<std::pair<uint64_t, std::string>>& pieces);

// Index of the field named name (case-insensitive), -1 when missing.
int FindField(const std::vector<FieldDef>& fields, const std::string& name);

// Builds the 32-byte descriptors and header of a new table.
std::string BuildDbfHeader(uint8_t version, const std::vector<FieldDef>& fields, bool has_mdx,
                           uint32_t count);

}  // namespace sk::store
