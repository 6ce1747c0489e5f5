#include "store/page_file.h"

#include <algorithm>

namespace sk::store {

std::vector<FieldDef> PageRecordFields() {
  std::vector<FieldDef> f = {
      {"BUNRUI", 'C', 20}, {"TITLE", 'C', 50},     {"SUBTITLE", 'C', 50}, {"DATE", 'D', 8},
      {"TEXT", 'M', 10},   {"IMAGEFILE", 'M', 10}, {"KEY", 'C', 1},
  };
  int off = 0;
  for (auto& x : f) {
    x.offset = off;
    off += x.width;
  }
  return f;
}

namespace {
TagSpec Tag(const char* name) {
  std::string n = name;
  if (n == "D") return {"D", "DATE", false};
  auto field = [](char c) -> std::string {
    return c == 'S' ? "UPPER(SUBTITLE)" : c == 'T' ? "UPPER(TITLE)" : "UPPER(BUNRUI)";
  };
  std::string e = field(n[0]);
  if (n.size() > 1) {
    if (n[1] == 'D') {
      e += "+DTOS(DATE)";
    } else {
      e += '+';
      e += field(n[1]);
    }
  }
  return {n, e, true};
}
}  // namespace

std::vector<TagSpec> PageFileTags() {
  std::vector<TagSpec> v;
  for (const char* n : {"SD", "TD", "BD", "S", "T", "B", "D", "BT", "BS", "TS"})
    v.push_back(Tag(n));
  return v;
}

std::vector<TagSpec> AddIndexTags() {
  std::vector<TagSpec> v;
  for (const char* n : {"T", "S", "D", "BT", "BS", "BD", "TS", "TD", "SD", "B"})
    v.push_back(Tag(n));
  return v;
}

Table::OpenOptions PageFileOptions(bool read_only) {
  Table::OpenOptions o;
  o.read_only = read_only;
  o.default_tags = PageFileTags();
  return o;
}

Status CreatePageFile(const std::string& path) {
  return Table::Create(path, PageRecordFields(), PageFileTags());
}

Status AddIndex(const std::string& path) { return Table::AddTags(path, AddIndexTags()); }

namespace {

// The number of records a pass over the source visits, for progress: the marked ones of a
// selection, else the live ones (counted in one pass over the records, without their memos).
uint32_t RecordsToVisit(const Table& source) {
  if (source.Filtered()) return source.HasMarks() ? source.MarkedCount() : source.RecordCount();
  uint32_t live = 0;
  if (!source.ForEachRecord([&](std::string_view) { ++live; }).ok()) return source.RecordCount();
  return live;
}

constexpr int kProgressEvery = 64;

}  // namespace

Status BatchAppend(Table& source, Table& out, int* copied, const Table::Progress& progress,
                   bool* cancelled) {
  if (copied) *copied = 0;
  if (cancelled) *cancelled = false;
  if (!source.is_open() || !out.is_open())
    return Status::Error("コピー元またはコピー先のテーブルが開かれていません");
  Table::Bookmark here = source.GetBookmark();
  std::vector<std::string> names;
  for (const auto& f : source.fields())
    if (out.dbf().FieldIndex(f.name) >= 0) names.push_back(f.name);
  uint32_t total = progress ? RecordsToVisit(source) : 0;
  bool stop = progress && !progress(0, total);
  Status st = stop ? Status::Ok() : source.First();
  int n = 0;
  while (st.ok() && !stop && !source.Eof()) {
    st = out.Append();
    for (size_t i = 0; st.ok() && i < names.size(); ++i) {
      std::string v;
      st = source.ReadField(names[i], &v);
      if (st.ok()) st = out.SetFieldString(names[i], v);
    }
    if (st.ok()) st = out.Post();
    if (st.ok()) {
      ++n;
      st = source.Next();
      if (st.ok() && progress && n % kProgressEvery == 0) {
        total = std::max(total, uint32_t(n));
        stop = !progress(uint32_t(n), total);
      }
    }
  }
  if (!st.ok() && out.state() == Table::State::kInsert) out.Cancel();
  if (st.ok() && progress && !stop && n % kProgressEvery != 0)
    progress(uint32_t(n), std::max(total, uint32_t(n)));
  if (here != 0) source.GotoBookmark(here);
  if (copied) *copied = n;
  if (cancelled) *cancelled = stop;
  return st;
}

Status BatchCopy(Table& source, const std::string& dest, BatchMode mode, int* copied,
                 const Table::Progress& progress, bool* cancelled) {
  if (copied) *copied = 0;
  if (cancelled) *cancelled = false;
  if (!source.is_open()) return Status::Error("コピー元のテーブルが開かれていません");
  if (mode == BatchMode::kCopy) {
    Status st = Table::Create(dest, source.fields(), {});
    if (!st.ok()) return st;
  }
  Table out;
  Table::OpenOptions o;
  o.bulk = true;  // the pages are taken in as a whole, synced once at the end
  Status st = out.Open(dest, o);
  if (!st.ok()) return st;
  st = BatchAppend(source, out, copied, progress, cancelled);
  Status closed = out.Close();
  return st.ok() ? closed : st;
}

ViewMode DecodeKey(const std::string& key) {
  ViewMode m;
  if (key.empty()) return m;
  unsigned c = static_cast<unsigned char>(key[0]);
  m.set = c & 1;
  if (!m.set) return m;
  m.itemize = c & 64;
  m.indent = int((c >> 2) & 7) - 2;
  m.highlight = c & 32;
  return m;
}

std::string EncodeKey(const ViewMode& mode) {
  if (!mode.set) return "";
  unsigned c = 1;
  if (mode.itemize)
    c += 64;
  else
    c += unsigned(std::clamp(mode.indent, -2, 4) + 2) * 4;
  if (mode.highlight) c += 32;
  return std::string(1, char(c));
}

}  // namespace sk::store
