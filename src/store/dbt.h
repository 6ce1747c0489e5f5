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
// record points at are never overwritten.  Space is reclaimed only by slimming.
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
  void Close() { file_.Close(); }
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
  // Writes data as a new memo and returns its first block.
  Status Write(const std::string& data, uint32_t* block);

 private:
  Status Fail(const std::string& what) const;
  // Makes [off, off + n) available in the read-ahead buffer when it fits; returns a pointer into
  // it, or nullptr when those bytes are not all in the file.
  const unsigned char* Window(uint64_t off, size_t n) const;

  // Memos are mostly read in the order they were written: one large read serves many of them.
  static constexpr size_t kReadAhead = 256 * 1024;
  mutable std::string ra_;
  mutable uint64_t ra_off_ = 0;
  mutable uint64_t size_ = 0;  // the file's size as last seen
  File file_;
  bool read_only_ = false;
  bool dbase3_ = false;
  uint32_t block_size_ = 512;
  uint32_t next_free_ = 1;
  uint32_t header_next_free_ = 1;
};

}  // namespace sk::store
