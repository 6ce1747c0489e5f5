// The table's index: preparing it at open, rebuilding it, ordering in memory when it cannot be
// used, and repairing it when a cursor move meets damage.
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>

#include "store/index_keys.h"
#include "store/table.h"

namespace sk::store {

namespace {

const char kRebuilt[] = "。レコードから索引を作り直しました。";
const char kInMemory[] =
    "。索引は使わず、レコードから並べた順序で読みます (ファイルは変更しません)。";

}  // namespace

void Table::AddNotice(const std::string& notice) {
  if (sink_)
    sink_(notice);
  else
    notices_.push_back(notice);
}

void Table::SetNoticeSink(NoticeSink sink) {
  sink_ = std::move(sink);
  if (sink_)
    for (const auto& n : TakeNotices()) sink_(n);
}

const std::vector<TagDef>& Table::Tags() const { return mem_order_ ? mem_tags_ : mdx_.tags(); }

Status Table::PrepareIndex(const OpenOptions& options) {
  index_usable_ = false;
  mem_order_ = false;
  mem_.reset();
  mem_tags_.clear();
  std::string mdx_path = SiblingPath(path_, "mdx");
  bool exists = FileExists(mdx_path);
  if (!exists && !dbf_.has_mdx_flag() && options.default_tags.empty()) return Status::Ok();
  std::vector<TagDef> tags;
  std::string why;
  if (exists) {
    Status st = mdx_.Open(mdx_path, read_only_, dbf_.fields());
    if (!st.ok()) {
      why = st.message();
    } else {
      tags = mdx_.tags();
      // Age: the index is written after the table by every change, so it is never older.
      int64_t age = mdx_.MTimeNs() - dbf_.file().MTimeNs();
      std::string stem = StemOf(path_).substr(0, 16);
      // A copy of a page file under another name keeps the old name in its index: another
      // name calls for a closer look at the keys, not for a rebuild.
      bool other_name = strcasecmp(mdx_.table_name().c_str(), stem.c_str()) != 0;
      if (!mdx_.has_marker())
        why = BaseName(mdx_path) + ": ほかのプログラムが書いた索引です";
      else if (mdx_.dirty())
        why = BaseName(mdx_path) + ": 索引の書き込みが途中で終わっています";
      else if (mdx_.synced_count() != dbf_.record_count())
        why = BaseName(mdx_path) + ": 索引のレコード数がテーブルと合いません";
      else if (age < 0)
        why = BaseName(mdx_path) + ": 索引がテーブルより古くなっています";
      else if (Status sc = SpotCheckIndex(other_name ? 64 : 8); !sc.ok())
        why = other_name ? BaseName(mdx_path) + ": 別のテーブルの索引です" : sc.message();
      else if (other_name && !read_only_ && !(st = mdx_.SetTableName(stem)).ok())
        why = st.message();
    }
  } else {
    why = BaseName(mdx_path) + ": 索引ファイルがありません";
  }
  if (why.empty()) {
    index_usable_ = true;
    return Status::Ok();
  }
  if (tags.empty()) {
    Status st = ResolveTags(options.default_tags, dbf_.fields(), &tags);
    if (!st.ok()) return st;
  }
  if (tags.empty()) return Status::Error(why);
  mdx_.Close();
  if (read_only_) {
    // A reader never writes: it orders in memory, a tag at a time, when one is asked for.
    mem_order_ = true;
    mem_tags_ = std::move(tags);
    AddNotice(why + kInMemory);
    return Status::Ok();
  }
  Status st = RebuildIndex(tags, options.progress, &open_cancelled_);
  if (!st.ok()) return st;
  rebuilt_at_open_ = true;
  AddNotice(why + kRebuilt);
  return Status::Ok();
}

Status Table::SpotCheckIndex(uint32_t samples) const {
  const uint32_t n = dbf_.record_count();
  const auto& tags = mdx_.tags();
  const std::string where = BaseName(mdx_.path()) + ": ";
  if (n == 0) {
    for (size_t t = 0; t < tags.size(); ++t) {
      MdxFile::Cursor c(&mdx_, int(t));
      bool found = false;
      Status st = c.First(&found);
      if (!st.ok()) return st;
      if (found)
        return Status::Error(where + "タグ " + tags[t].name + " に空のテーブルのキーがあります");
    }
    return Status::Ok();
  }
  // Records spread over the table: an index of another table, or one out of step, misses their
  // keys; a damaged tree on the way to them fails.
  std::string rec;
  uint32_t last = 0;
  for (uint32_t i = 0; i < samples; ++i) {
    uint32_t r = 1 + uint32_t(uint64_t(n - 1) * i / (samples - 1));
    if (r == last) continue;
    last = r;
    if (!dbf_.ReadRecord(r, &rec).ok() || rec[0] == '*') continue;
    for (size_t t = 0; t < tags.size(); ++t) {
      std::string key = MakeKey(tags[t], dbf_.fields(), rec);
      key.resize(size_t(tags[t].key_len), '\0');
      MdxFile::Cursor c(&mdx_, int(t));
      bool found = false;
      Status st = c.Seek(key, r, &found);
      if (!st.ok()) return st;
      if (!found || c.recno() != r || c.key() != key)
        return Status::Error(where + "タグ " + tags[t].name + " にレコード " + std::to_string(r) +
                             " のキーがありません (索引がテーブルと合いません)");
    }
  }
  return Status::Ok();
}

Status Table::RebuildIndex(const std::vector<TagDef>& tags, const Progress& progress,
                           bool* cancelled) {
  if (cancelled) *cancelled = false;
  if (read_only_) return Status::Error(BaseName(path_) + ": 読み取り専用で開かれています");
  std::string mdx_path = SiblingPath(path_, "mdx");
  std::string order = IndexName();
  // The old index stays open until the new one replaces it: a cancel leaves it as it was.
  const uint32_t n = dbf_.record_count();
  // Progress counts the records read, then the entries written (tags x records), in parts of
  // the same pass: done and total fit 32 bits whatever the table's size.
  const uint64_t total = uint64_t(n) + uint64_t(n) * tags.size();
  const uint32_t shift = total > 0xFFFFFFFFull ? 8 : 0;
  auto tell = [&](uint64_t done) {
    return !progress || progress(uint32_t(done >> shift), uint32_t(total >> shift));
  };
  auto stop = [&] {
    if (cancelled) *cancelled = true;
    return Status::Error(BaseName(mdx_path) + ": 索引の作成を取り消しました");
  };
  if (!tell(0)) return stop();
  // One pass over the records gathers the keys of every tag.
  TagKeySorter keys(tags, dbf_.fields());
  keys.Reserve(n);
  std::string rec;
  for (uint32_t r = 1; r <= n; ++r) {
    Status st = dbf_.ReadRecord(r, &rec);
    if (!st.ok()) return st;
    if (rec[0] != '*') keys.Add(r, rec.data());
    if ((r & 0x3FFF) == 0 && !tell(r)) return stop();
  }
  // The table's header next, so that the new index is not older than the table: its flag, and
  // the flag of every field a tag is keyed on, as in a new file.  A table whose header changes
  // here can no longer be left as it was: the index is written to the end.
  bool header_changed = false;
  if (!dbf_.has_mdx_flag()) {
    Status st = dbf_.SetMdxFlag(true);
    if (!st.ok()) return st;
    header_changed = true;
  }
  for (const auto& tag : tags) {
    int f = tag.is_expr ? -1 : dbf_.FieldIndex(tag.expr);
    if (f < 0 || dbf_.fields()[size_t(f)].mdx_flag) continue;
    Status st = dbf_.SetFieldMdxFlag(f);
    if (!st.ok()) return st;
    header_changed = true;
  }
  std::string piece_keys;
  std::vector<uint32_t> piece_recnos;
  MdxFile::PieceSource source;
  source.count = [&](size_t t, size_t* count) {
    *count = keys.Order(t);
    return Status::Ok();
  };
  source.piece = [&](size_t, size_t from, size_t count, const char** k, const uint32_t** r) {
    keys.Lay(from, count, &piece_keys, &piece_recnos);
    *k = piece_keys.data();
    *r = piece_recnos.data();
    return Status::Ok();
  };
  source.progress = [&](uint64_t done, uint64_t) {
    return tell(uint64_t(n) + done) || header_changed;
  };
  source.total = uint64_t(n) * tags.size();
  bool stopped = false;
  source.cancelled = &stopped;
  // The old index is closed before it is replaced.
  mdx_.Close();
  index_usable_ = false;
  mem_order_ = false;
  mem_.reset();
  mem_tags_.clear();
  cursor_.reset();
  cursor_valid_ = false;
  Status st = MdxFile::BuildPieces(mdx_path, StemOf(path_), dbf_.language(), tags, source, n);
  if (stopped) return stop();
  if (!st.ok()) return st;
  st = mdx_.Open(mdx_path, false, dbf_.fields());
  if (!st.ok()) return st;
  index_usable_ = true;
  tag_ = order.empty() ? -1 : mdx_.TagIndex(order);
  if (tag_ >= 0) cursor_ = std::make_unique<MdxFile::Cursor>(&mdx_, tag_);
  return Status::Ok();
}

Status Table::MakeCursor() {
  cursor_.reset();
  cursor_valid_ = false;
  if (tag_ < 0) return Status::Ok();
  if (!mem_order_) {
    if (!index_usable_ || !mdx_.is_open()) {
      tag_ = -1;
      return Status::Error(BaseName(path_) + ": 索引が使えません");
    }
    cursor_ = std::make_unique<MdxFile::Cursor>(&mdx_, tag_);
    return Status::Ok();
  }
  const TagDef& tag = mem_tags_[size_t(tag_)];
  if (!mem_ || mem_->tag().name != tag.name) {
    mem_.reset();
    Status st = MemOrder::Build(dbf_, tag, &mem_);
    if (!st.ok()) {
      tag_ = -1;
      return st;
    }
  }
  cursor_ = mem_->NewCursor();
  return Status::Ok();
}

Status Table::RecoverIndex(const std::string& why) {
  std::vector<TagDef> tags = Tags();
  if (read_only_) {
    mdx_.Close();
    index_usable_ = false;
    mem_order_ = true;
    mem_tags_ = std::move(tags);
    mem_.reset();
    AddNotice(why + kInMemory);
    return MakeCursor();
  }
  Status st = RebuildIndex(tags);
  if (!st.ok()) {
    tag_ = -1;
    cursor_.reset();
    cursor_valid_ = false;
    return Status::Error(why + "。索引を作り直せません: " + st.message());
  }
  AddNotice(why + kRebuilt);
  return Status::Ok();
}

namespace {

// An entry that names a record outside the table is a fault of the index.
Status CheckEntry(const Status& st, bool found, const OrderCursor& c, const DbfFile& dbf,
                  const std::string& mdx, const std::string& tag) {
  if (!st.ok() || !found) return st;
  uint32_t r = c.recno();
  if (r >= 1 && r <= dbf.record_count()) return st;
  return Status::Error(BaseName(mdx) + ": タグ " + tag + " のレコード番号 " + std::to_string(r) +
                       " がテーブルの外です");
}

}  // namespace

Status Table::CursorEdge(bool last, bool* found) {
  Status st = last ? cursor_->Last(found) : cursor_->First(found);
  if (mem_order_ || !index_usable_) return st;
  st = CheckEntry(st, *found, *cursor_, dbf_, mdx_.path(), IndexName());
  if (st.ok()) return st;
  Status r = RecoverIndex(st.message());
  if (!r.ok()) return r;
  return last ? cursor_->Last(found) : cursor_->First(found);
}

Status Table::CursorSeek(const std::string& key, uint32_t recno, bool* found) {
  Status st = cursor_->Seek(key, recno, found);
  if (mem_order_ || !index_usable_) return st;
  st = CheckEntry(st, *found, *cursor_, dbf_, mdx_.path(), IndexName());
  if (st.ok()) return st;
  Status r = RecoverIndex(st.message());
  if (!r.ok()) return r;
  return cursor_->Seek(key, recno, found);
}

Status Table::CursorStep(bool forward, bool* found) {
  const uint32_t at = cursor_->recno();
  Status st = forward ? cursor_->Next(found) : cursor_->Prior(found);
  if (mem_order_ || !index_usable_) return st;
  st = CheckEntry(st, *found, *cursor_, dbf_, mdx_.path(), IndexName());
  if (st.ok()) return st;
  Status r = RecoverIndex(st.message());
  if (!r.ok()) return r;
  // Back to the entry the step left, in the repaired order, and the step again.
  std::string rec;
  r = dbf_.ReadRecord(at, &rec);
  if (!r.ok()) return r;
  r = cursor_->Seek(MakeKey(Tags()[size_t(tag_)], dbf_.fields(), rec), at, found);
  if (!r.ok()) return r;
  if (forward) return *found && cursor_->recno() == at ? cursor_->Next(found) : r;
  return *found ? cursor_->Prior(found) : cursor_->Last(found);
}

}  // namespace sk::store
