// Helpers shared by the page file tests: a fresh folder per test, raw file bytes, and pages.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "convert/cp932.h"
#include "store/file_io.h"
#include "store/page_file.h"
#include "store/table.h"

namespace sk::store::test {

// CP932 bytes of UTF-8 text.
inline std::string J(const std::string& utf8) {
  std::string out;
  EXPECT_TRUE(cp932::FromUtf8ToCp932(utf8, &out)) << utf8;
  return out;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), std::streamsize(data.size()));
}

// Overwrites bytes of a file in place.
inline void Patch(const std::string& path, size_t offset, const std::string& bytes) {
  std::string d = ReadBytes(path);
  ASSERT_LE(offset + bytes.size(), d.size()) << path;
  d.replace(offset, bytes.size(), bytes);
  WriteBytes(path, d);
}

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "sk_store_XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
};

struct Page {
  std::string bunrui, title, subtitle, date, text, image, key;  // CP932; date YYYYMMDD or ""
  bool operator==(const Page&) const = default;
};

inline void PrintTo(const Page& p, std::ostream* os) {
  *os << "{" << cp932::ToUtf8(p.bunrui) << "|" << cp932::ToUtf8(p.title) << "|"
      << cp932::ToUtf8(p.subtitle) << "|" << p.date << "|text " << p.text.size() << "|image "
      << p.image.size() << "|" << p.key << "}";
}

// Sets the fields of the record being edited or appended.
inline Status SetPage(Table& t, const Page& p) {
  const std::pair<const char*, const std::string*> f[] = {
      {"BUNRUI", &p.bunrui}, {"TITLE", &p.title}, {"SUBTITLE", &p.subtitle},
      {"DATE", &p.date},     {"TEXT", &p.text},   {"IMAGEFILE", &p.image},
      {"KEY", &p.key}};
  for (const auto& [name, value] : f) {
    Status st = t.SetFieldString(name, *value);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

inline Status AppendPage(Table& t, const Page& p) {
  Status st = t.Append();
  if (st.ok()) st = SetPage(t, p);
  if (st.ok()) st = t.Post();
  return st;
}

inline Page ReadPage(const Table& t) {
  Page p;
  const std::pair<const char*, std::string*> f[] = {
      {"BUNRUI", &p.bunrui}, {"TITLE", &p.title}, {"SUBTITLE", &p.subtitle},
      {"DATE", &p.date},     {"TEXT", &p.text},   {"IMAGEFILE", &p.image},
      {"KEY", &p.key}};
  for (const auto& [name, value] : f) {
    Status st = t.ReadField(name, value);
    EXPECT_TRUE(st.ok()) << st.message();
  }
  return p;
}

// Record numbers from First to the end in the current order and filter (bounded, so a damaged
// index cannot make a test hang).
inline std::vector<int> WalkRecNos(Table& t, Status* status = nullptr, size_t limit = 100000) {
  std::vector<int> v;
  Status st = t.First();
  while (st.ok() && !t.Eof() && v.size() < limit) {
    v.push_back(t.RecNo());
    st = t.Next();
  }
  if (status)
    *status = st;
  else
    EXPECT_TRUE(st.ok()) << st.message();
  return v;
}

// Creates a page file holding the pages, closed afterwards.
inline void MakePageFile(const std::string& path, const std::vector<Page>& pages) {
  ASSERT_TRUE(CreatePageFile(path).ok());
  Table t;
  Status st = t.Open(path, PageFileOptions());
  ASSERT_TRUE(st.ok()) << st.message();
  for (const auto& p : pages) {
    st = AppendPage(t, p);
    ASSERT_TRUE(st.ok()) << st.message();
  }
  ASSERT_TRUE(t.Close().ok());
}

// n pages titled prefix + a three-digit number (first, first + 1, ...) in a scrambled order, with
// the index as a rebuild writes it (full leaves under one root); returns the record numbers in
// title order.
inline std::vector<int> MakeTitledPages(const std::string& path, int n, const std::string& prefix,
                                        int first = 0) {
  std::vector<Page> pages;
  std::vector<std::pair<std::string, int>> by_title;
  for (int i = 0; i < n; ++i) {
    char title[32];
    snprintf(title, sizeof title, "%s%03d", prefix.c_str(), first + (i * 7) % n);
    pages.push_back({"b", title, "s", "20240101", "text " + std::to_string(i), "", ""});
    by_title.push_back({title, i + 1});
  }
  MakePageFile(path, pages);
  std::filesystem::remove(SiblingPath(path, "mdx"));
  Table t;
  EXPECT_TRUE(t.Open(path, PageFileOptions()).ok());
  EXPECT_TRUE(t.Close().ok());
  std::sort(by_title.begin(), by_title.end());
  std::vector<int> order;
  for (const auto& p : by_title) order.push_back(p.second);
  return order;
}

// The page of a tag's root in an index file.
inline uint32_t TagRoot(const std::string& mdx, const std::string& tag) {
  std::string m = ReadBytes(mdx);
  auto* p = reinterpret_cast<const unsigned char*>(m.data());
  for (size_t i = 0; i < 48 && 544 + 32 * (i + 1) <= m.size(); ++i) {
    const unsigned char* slot = p + 544 + 32 * i;
    if (std::string(reinterpret_cast<const char*>(slot + 4)) == tag)
      return Get32(p + size_t(Get32(slot)) * 512);
  }
  ADD_FAILURE() << "no tag " << tag;
  return 0;
}

// A little-endian 32-bit number as it stands in the files.
inline std::string U32(uint32_t v) {
  std::string s(4, '\0');
  Put32(reinterpret_cast<unsigned char*>(s.data()), v);
  return s;
}

}  // namespace sk::store::test
