// What the memo and table files read from disk for each way of reading: read-ahead while pages are
// read in file order, only about the asked-for memo or record otherwise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/dbf.h"
#include "store/dbt.h"
#include "store/test_util.h"

namespace sk::store {
namespace {

class ReadAheadTest : public test::TempDirTest {
 protected:
  // kMemos memos of 100 to 3,000 bytes, each byte telling its memo and place, and one memo
  // larger than any read-ahead span.
  static constexpr int kMemos = 300;
  static constexpr size_t kBig = 300 * 1024;
  void WriteMemos() {
    DbtFile dbt;
    ASSERT_TRUE(dbt.Create(Path("m.dbt"), "m", false).ok());
    for (int i = 0; i <= kMemos; ++i) {
      const size_t len = i == kMemos / 2 ? kBig : 100 + size_t(i) * 9973 % 2900;
      std::string text(len, '\0');
      for (size_t k = 0; k < len; ++k) text[k] = char('A' + (i + k) % 26);
      uint32_t block = 0;
      ASSERT_TRUE(dbt.Write(text, &block).ok());
      texts_.push_back(text);
      blocks_.push_back(block);
      memo_bytes_ += len;
    }
  }
  void ReadAll(const DbtFile& dbt, const std::vector<int>& order) {
    std::string out;
    for (int i : order) {
      ASSERT_TRUE(dbt.Read(blocks_[size_t(i)], &out).ok()) << i;
      ASSERT_EQ(out, texts_[size_t(i)]) << i;
    }
  }

  std::vector<std::string> texts_;
  std::vector<uint32_t> blocks_;
  uint64_t memo_bytes_ = 0;
};

TEST_F(ReadAheadTest, MemosInFileOrderShareReadsOthersReadAboutThemselves) {
  WriteMemos();
  std::vector<int> in_order, scattered;
  for (int i = 0; i <= kMemos; ++i) {
    in_order.push_back(i);
    scattered.push_back(i * 37 % (kMemos + 1));  // never two neighbours in a row
  }
  const uint64_t file_size = test::ReadBytes(Path("m.dbt")).size();

  DbtFile dbt;
  ASSERT_TRUE(dbt.Open(Path("m.dbt"), true, false).ok());
  ReadAll(dbt, in_order);
  // A few large reads, about the file once.
  EXPECT_LT(dbt.read_calls(), uint64_t(kMemos / 10));
  EXPECT_LT(dbt.bytes_read(), file_size + 256 * 1024);

  ASSERT_TRUE(dbt.Open(Path("m.dbt"), true, false).ok());
  ReadAll(dbt, scattered);
  // At most two reads a memo, and not much more than the memos themselves (a read-ahead span
  // for each would be about 80 MB).
  EXPECT_LE(dbt.read_calls(), uint64_t(2 * (kMemos + 1)) + 1);
  EXPECT_LT(dbt.bytes_read(), 3 * memo_bytes_);

  // Back to file order: reading ahead again.
  const uint64_t calls = dbt.read_calls();
  ReadAll(dbt, in_order);
  EXPECT_LT(dbt.read_calls() - calls, uint64_t(kMemos / 10));

  // A record's two memos read in the other order than they lie (1, 0, 3, 2, ...): still a run.
  ASSERT_TRUE(dbt.Open(Path("m.dbt"), true, false).ok());
  std::vector<int> pairs;
  for (int i = 0; i + 1 <= kMemos; i += 2) pairs.insert(pairs.end(), {i + 1, i});
  ReadAll(dbt, pairs);
  EXPECT_LT(dbt.read_calls(), uint64_t(kMemos / 5));
  EXPECT_LT(dbt.bytes_read(), 2 * file_size + 512 * 1024);

  // Backwards: each memo on its own, still right.
  ASSERT_TRUE(dbt.Open(Path("m.dbt"), true, false).ok());
  ReadAll(dbt, std::vector<int>(in_order.rbegin(), in_order.rend()));
  EXPECT_LT(dbt.bytes_read(), 3 * memo_bytes_);
}

TEST_F(ReadAheadTest, ViewsOfMemosWithoutACopy) {
  WriteMemos();
  DbtFile dbt;
  ASSERT_TRUE(dbt.Open(Path("m.dbt"), true, false).ok());
  std::string scratch;
  std::string_view view;
  // In file order the views point into the read-ahead buffer, except for a memo that runs past
  // the end of a span (and the one larger than any span), which comes whole in the scratch
  // string; scattered reads give the same texts.
  int copied = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (int n = 0; n <= kMemos; ++n) {
      const int i = pass == 0 ? n : n * 37 % (kMemos + 1);
      ASSERT_TRUE(dbt.ReadView(blocks_[size_t(i)], &view, &scratch).ok()) << i;
      ASSERT_EQ(view, texts_[size_t(i)]) << i;
      if (pass == 0) {
        copied += view.data() == scratch.data();
        if (i == kMemos / 2) {
          EXPECT_EQ(view.data(), scratch.data());
        }
      }
    }
  }
  EXPECT_LT(copied, kMemos / 10);
  EXPECT_FALSE(
      dbt.ReadView(uint32_t(test::ReadBytes(Path("m.dbt")).size() / 512 + 5), &view, &scratch)
          .ok());
  EXPECT_TRUE(view.empty());

  // Through the table: a memo as stored, and as edited before the edit is written.
  test::MakePageFile(Path("p.dbf"),
                     {{"", "a", "", "", "text one", "", ""}, {"", "b", "", "", "", "", ""}});
  Table t;
  ASSERT_TRUE(t.Open(Path("p.dbf"), PageFileOptions()).ok());
  const int text = t.dbf().FieldIndex("TEXT");
  ASSERT_TRUE(t.First().ok());
  ASSERT_TRUE(t.ReadMemoViewAt(text, &view, &scratch).ok());
  EXPECT_EQ(view, "text one");
  ASSERT_TRUE(t.Edit().ok());
  ASSERT_TRUE(t.SetFieldString("TEXT", "edited").ok());
  ASSERT_TRUE(t.ReadMemoViewAt(text, &view, &scratch).ok());
  EXPECT_EQ(view, "edited");
  ASSERT_TRUE(t.Next().ok());
  ASSERT_TRUE(t.ReadMemoViewAt(text, &view, &scratch).ok());
  EXPECT_TRUE(view.empty());
  EXPECT_FALSE(t.ReadMemoViewAt(t.dbf().FieldIndex("TITLE"), &view, &scratch).ok());
}

// Memos read through the read-ahead buffer or from a mapping of the file, in both memo forms:
// the same texts in any order (a lone 1A inside a dBASE III memo is text, a memo longer than any
// span comes whole), a memo written after the mapping is read from the file, and a damaged memo
// gets the same message either way.
TEST_F(ReadAheadTest, MappedAndDbase3MemosReadAsFromTheFile) {
  for (const bool dbase3 : {false, true}) {
    for (const bool mapped : {false, true}) {
      SCOPED_TRACE(std::string(dbase3 ? "dBASE III" : "dBASE IV") + (mapped ? ", mapped" : ""));
      const std::string path = Path(std::string("m") + (dbase3 ? "3" : "4") + ".dbt");
      std::vector<std::string> texts;
      std::vector<uint32_t> blocks;
      {
        DbtFile dbt;
        ASSERT_TRUE(dbt.Create(path, "m", dbase3).ok());
        for (int i = 0; i < 200; ++i) {
          std::string text = i == 70 ? std::string(kBig, 'b') : std::string(100 + i * 37, 'a' + i % 26);
          if (i % 9 == 0) text[text.size() / 2] = '\x1A';
          uint32_t block = 0;
          ASSERT_TRUE(dbt.Write(text, &block).ok());
          texts.push_back(text);
          blocks.push_back(block);
        }
      }
      std::string bytes = test::ReadBytes(path);
      if (!dbase3) {
        bytes[size_t(blocks[150]) * 512] = 'x';
        test::WriteBytes(path, bytes);
      }
      DbtFile dbt;
      ASSERT_TRUE(dbt.Open(path, false, dbase3).ok());
      if (mapped) ASSERT_TRUE(dbt.MapForReading());
      std::string scratch;
      std::string_view view;
      for (int pass = 0; pass < 2; ++pass) {
        for (int n = 0; n < 200; ++n) {
          const int i = pass == 0 ? n : n * 37 % 200;
          Status st = dbt.ReadView(blocks[size_t(i)], &view, &scratch, 9, "TEXT");
          if (!dbase3 && i == 150) {
            EXPECT_EQ(st.message(), BaseName(path) +
                                        ": レコード 9 の TEXT のメモ (ブロック " +
                                        std::to_string(blocks[150]) + ") に見出しがありません");
            continue;
          }
          ASSERT_TRUE(st.ok()) << i << " " << st.message();
          ASSERT_EQ(view, texts[size_t(i)]) << i;
        }
      }
      uint32_t block = 0;
      ASSERT_TRUE(dbt.Write("after the mapping", &block).ok());
      ASSERT_TRUE(dbt.ReadView(block, &view, &scratch).ok());
      EXPECT_EQ(view, "after the mapping");
      ASSERT_TRUE(dbt.ReadView(blocks[3], &view, &scratch).ok());
      EXPECT_EQ(view, texts[3]);
    }
  }
}

TEST_F(ReadAheadTest, MemoAfterAWriteAndPastTheEnd) {
  WriteMemos();
  DbtFile dbt;
  ASSERT_TRUE(dbt.Open(Path("m.dbt"), false, false).ok());
  ReadAll(dbt, {0, 1, 2});
  uint32_t block = 0;
  ASSERT_TRUE(dbt.Write("new text", &block).ok());
  std::string out;
  ASSERT_TRUE(dbt.Read(block, &out).ok());
  EXPECT_EQ(out, "new text");
  ReadAll(dbt, {3, kMemos});
  EXPECT_FALSE(dbt.Read(block + 1, &out).ok());
  EXPECT_TRUE(out.empty());
}

TEST_F(ReadAheadTest, RecordsFarApartAreReadAlone) {
  // 17,000 records of 1,001 bytes: more than the read cache holds (16 MB).
  constexpr uint32_t kRecords = 17000;
  constexpr size_t kLen = 1001;
  DbfFile dbf;
  ASSERT_TRUE(dbf.Create(Path("t.dbf"),
                         {{"A", 'C', 250}, {"B", 'C', 250}, {"C", 'C', 250}, {"D", 'C', 250}},
                         false)
                  .ok());
  for (uint32_t r = 1; r <= kRecords; ++r) {
    std::string rec = " " + std::to_string(r) + " ";
    rec.resize(kLen, 'x');
    uint32_t recno = 0;
    ASSERT_TRUE(dbf.AppendRecord(rec, &recno).ok());
  }
  dbf.Close();

  ASSERT_TRUE(dbf.Open(Path("t.dbf"), true).ok());
  const uint64_t header = dbf.bytes_read();
  std::string rec;
  std::string_view view;
  for (uint32_t i = 0; i < kRecords; ++i) {
    const uint32_t r = 1 + i * 7777 % kRecords;  // scattered over the file
    if (i % 2 == 0) {
      ASSERT_TRUE(dbf.ReadRecord(r, &rec).ok());
      view = rec;
    } else {
      ASSERT_TRUE(dbf.ViewRecord(r, &view, &rec).ok());
    }
    ASSERT_EQ(view.substr(0, view.find(' ', 1) + 1), " " + std::to_string(r) + " ");
  }
  // Each record alone: about the file once, where a chunk for each would be 30 times that.
  EXPECT_LT(dbf.bytes_read() - header, uint64_t(kRecords) * kLen * 3 / 2);

  // In file order the chunks serve the records.
  ASSERT_TRUE(dbf.Open(Path("t.dbf"), true).ok());
  for (uint32_t r = 1; r <= kRecords; ++r) ASSERT_TRUE(dbf.ViewRecord(r, &view, &rec).ok());
  EXPECT_LT(dbf.bytes_read(), uint64_t(kRecords) * kLen + 64 * 1024);
}

}  // namespace
}  // namespace sk::store
