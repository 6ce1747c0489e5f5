// N.dbt: the memo file.
//
// Layout written here (dBASE IV):
//   block 0 (header): 0-3 next free block; 8-15 table base name, space-padded; 16 = 0x00;
//                     20-21 block size (512)
//   a memo starts at a block: FF FF 08 00, a 4-byte length that counts these 8 bytes, the data,
//   zero-padded to the end of its last block.
// dBASE III memo files (0x03 at byte 16, 512-byte blocks, data ended by 1A 1A) are read and, for a
// dBASE III table, written in their own form.
// New and changed memos always go to fresh blocks past every block in use; blocks a written
// record points at are never overwritten.  Space is reclaimed only by slimming.  The header's
// next free block is written only after the blocks below it are on disk, so that it never points
// past the end of the file.
#pragma once

#include <cstdint>
#include <string>

#include "convert/status.h"
#include "store/file_io.h"

namespace sk::store {

class DbtFile {
 public:
  Status Open(const std::string& path, bool read_only, bool dbase3);
  Status Create(const std::string& path, const std::string& table_name, bool dbase3);
  void Close();
  bool is_open() const { return file_.is_open(); }
  const std::string& path() const { return file_.path(); }
  uint32_t block_size() const { return block_size_; }
  uint32_t next_free() const { return next_free_; }
  // The next free block as the header gives it (next_free() is where new memos really go: the
  // end of the file).
  uint32_t header_next_free() const { return header_next_free_; }
  uint64_t blocks_in_file() const;

  // Reads the memo that starts at block.  recno and field name the record for a message.
  Status Read(uint32_t block, std::string* out, uint32_t recno = 0,
              const std::string& field = {}) const;
  // The same without a copy where it can: *view points into the read-ahead buffer (valid until
  // the next read of this file) or, for a memo the buffer does not hold whole, into *scratch.
  Status ReadView(uint32_t block, std::string_view* view, std::string* scratch, uint32_t recno = 0,
                  const std::string& field = {}) const;
  // Maps the memo file for reading: from then on the memos that lie in the mapping are taken
  // from it, with no read calls and no copies.  For a pass over many pages by a process that
  // only reads them (the tool): a memo file cut short by another program meanwhile stops the
  // process with SIGBUS.  False when the file cannot be mapped (the reads go on as before).
  bool MapForReading() const;
  // Writes data as a new memo and returns its first block.  On disk after Sync.
  Status Write(const std::string& data, uint32_t* block);
  // Puts the memos written so far on disk (before a record points at them), then records the
  // new end in the header (on disk by the next Sync or Close).
  Status Sync();

  // Bytes delivered and read calls made by the memo file since Open (tests and benchmarks).
  uint64_t bytes_read() const { return file_.bytes_read(); }
  uint64_t read_calls() const { return file_.read_calls(); }

 private:
  Status Fail(const std::string& what) const;
  // A pointer to [off, off + n) when the read-ahead buffer holds it, else nullptr.
  const unsigned char* Cached(uint64_t off, size_t n) const;
  // Makes the buffer hold the memo header at off and what follows it; nullptr when those 8
  // bytes are not all in the file.
  const unsigned char* Header(uint64_t off) const;
  // Makes the buffer start at off (the run and span as for Header); false when nothing is read.
  bool Fill(uint64_t off) const;
  // A dBASE III memo from the buffer or the mapping, when its end mark is there.
  bool Dbase3View(uint64_t off, std::string_view* view) const;
  void Unmap() const;

  // Memos read in the order they lie in the file (page order) come from read-ahead spans that
  // double from kMinReadAhead to kReadAhead, from the second memo of a run on.  Any other read
  // (a tag's order, a jump) fetches about the memo itself: whole blocks covering twice the mean
  // length of the memos read so far (at most kMaxProbe), and the rest of a longer memo in a
  // second read.
  static constexpr size_t kMinReadAhead = 16 * 1024;
  static constexpr size_t kReadAhead = 256 * 1024;
  static constexpr size_t kMaxProbe = 16 * 1024;
  // A memo that starts this close past the end of the last one read continues a run (memos that
  // were rewritten elsewhere leave small gaps).
  static constexpr uint64_t kRunGap = 8 * 1024;
  // So does one that starts this close before it: a record's memos read in another order than
  // they lie (another program writes TEXT before IMAGEFILE; a page is read images first), once:
  // memos read backwards make no run.
  static constexpr uint64_t kRunBack = 64 * 1024;
  mutable ReadBuffer ra_;
  mutable const char* map_ = nullptr;  // the mapping of the file's first map_len_ bytes
  mutable size_t map_len_ = 0;
  mutable uint64_t ra_off_ = 0;
  mutable size_t ra_span_ = 0;     // the last read-ahead span; 0 when not reading ahead
  mutable int run_ = 0;            // memos read one after the other in file order
  mutable bool back_fill_ = false;  // the last fill was for a memo before the one read before
  mutable uint64_t last_end_ = 0;  // the block boundary after the last memo read
  mutable uint32_t mean_len_ = 0;  // running mean of the memo lengths read
  mutable uint64_t size_ = 0;      // the file's size as last seen
  File file_;
  bool read_only_ = false;
  bool dbase3_ = false;
  uint32_t block_size_ = 512;
  uint32_t next_free_ = 1;
  uint32_t header_next_free_ = 1;
  bool header_behind_ = false;  // memos written since the header's next free block was set
  bool unsynced_ = false;       // the header written since the last sync
};

// Reads a memo pointer field of a record (digits, blanks around them): 0 for none; false when
// the field holds anything else.
bool ParseMemoPointer(const char* p, int width, uint32_t* block);

}  // namespace sk::store
