#include "store/table.h"

#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "convert/sjis.h"
#include "store/append_journal.h"
#include "store/maintenance.h"

namespace sk::store {

namespace {

std::string FormatMemoPointer(uint32_t block) {
  char b[16];
  snprintf(b, sizeof b, "%10u", block);
  return b;
}

}  // namespace

Status ResolveTags(const std::vector<TagSpec>& specs, const std::vector<FieldDef>& fields,
                   std::vector<TagDef>* out) {
  out->clear();
  for (const auto& s : specs) {
    TagDef t;
    Status st = ParseTag(s.name, s.expr, s.is_expr, fields, &t);
    if (!st.ok()) return st;
    out->push_back(std::move(t));
  }
  return Status::Ok();
}

std::string GetDir(const std::string& path) {
  size_t p = path.find_last_of("/\\");
  if (p == std::string::npos) return "";
  return path.substr(0, p);
}

std::string GetName(const std::string& path) { return BaseName(path); }

bool ExistDir(const std::string& path) { return FileExists(path); }

Table::~Table() { Close(); }

Status Table::Create(const std::string& path, const std::vector<FieldDef>& fields_in,
                     const std::vector<TagSpec>& tags) {
  std::vector<FieldDef> fields = fields_in;
  int off = 0;
  bool memo = false;
  for (auto& f : fields) {
    f.offset = off;
    off += f.width;
    memo |= f.type == 'M';
    f.mdx_flag = false;
    for (const auto& t : tags)
      if (!t.is_expr && strcasecmp(t.expr.c_str(), f.name.c_str()) == 0) f.mdx_flag = true;
  }
  std::vector<TagDef> defs;
  Status st = ResolveTags(tags, fields, &defs);
  if (!st.ok()) return st;
  if (FileExists(path)) {
    // Never replace a table that is open elsewhere.
    File held;
    if (held.Open(path, 'r') && ::flock(held.fd(), LOCK_EX | LOCK_NB) != 0)
      return Status::Error(BaseName(path) + ": ほかのプログラムが開いているので作り直せません");
  }
  DbfFile dbf;
  st = dbf.Create(path, fields, !tags.empty());
  if (!st.ok()) return st;
  dbf.Close();
  if (memo) {
    DbtFile dbt;
    st = dbt.Create(SiblingPath(path, "dbt"), StemOf(path), false);
    if (!st.ok()) return st;
  }
  std::string mdx_path = SiblingPath(path, "mdx");
  if (!tags.empty()) {
    auto none = [](size_t, std::vector<IndexEntry>* out) {
      out->clear();
      return Status::Ok();
    };
    st = MdxFile::Build(mdx_path, StemOf(path), 0x13, defs, none, 0);
    if (!st.ok()) return st;
  } else if (FileExists(mdx_path)) {
    RemoveFile(mdx_path);
  }
  if (!SyncFolderOf(path)) return Status::Error(BaseName(path) + ": フォルダーに書き出せません");
  return Status::Ok();
}

Status Table::AddTags(const std::string& path, const std::vector<TagSpec>& specs) {
  Table t;
  OpenOptions o;
  Status st = t.Open(path, o);
  if (!st.ok()) return st;
  std::vector<TagDef> tags = t.mdx_.is_open() ? t.mdx_.tags() : std::vector<TagDef>{};
  std::vector<TagDef> more;
  st = ResolveTags(specs, t.fields(), &more);
  if (!st.ok()) return st;
  for (auto& m : more) {
    bool dup = false;
    for (auto& e : tags) dup |= strcasecmp(e.name.c_str(), m.name.c_str()) == 0;
    if (dup) return Status::Error(BaseName(path) + ": タグ " + m.name + " はすでにあります");
    tags.push_back(m);
  }
  // Mark the fields that a tag is keyed on, before the index is written: an index older than
  // its table is rebuilt at the next open.
  for (const auto& s : specs) {
    if (s.is_expr) continue;
    int f = t.dbf_.FieldIndex(s.expr);
    if (f < 0) continue;
    st = t.dbf_.SetFieldMdxFlag(f);
    if (!st.ok()) return st;
  }
  st = t.RebuildIndex(tags);
  if (!st.ok()) return st;
  t.TakeNotices();
  return t.Close();
}

Status Table::Open(const std::string& path, const OpenOptions& options) {
  Close();
  rebuilt_at_open_ = false;
  open_cancelled_ = false;
  read_only_ = options.read_only;
  // A slimming cut short is finished (or cleared) before the table is read.
  std::string slim_notice;
  Status st = SettleInterruptedSlim(path, read_only_, &slim_notice);
  if (!st.ok()) return st;
  if (!slim_notice.empty()) AddNotice(slim_notice);
  st = SettleInterruptedChanges(path, read_only_, [this](const std::string& n) { AddNotice(n); });
  if (!st.ok()) return st;
  st = dbf_.Open(path, read_only_);
  if (!st.ok()) return st;
  if (::flock(dbf_.file().fd(), (read_only_ ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    dbf_.Close();
    return Status::Error(BaseName(path) + ": ほかのプログラムがすでに開いています");
  }
  path_ = path;
  bulk_ = options.bulk && !read_only_;
  if (!read_only_) {
    bool replayed = false;
    st = dbf_.ReplayJournal(&replayed);
    if (!st.ok()) {
      dbf_.Close();
      return st;
    }
    if (replayed)
      AddNotice(BaseName(path) + ": 途中で止まったレコードの書き込みを、控えから書き終えました");
  }
  has_memo_ = false;
  for (const auto& f : dbf_.fields()) has_memo_ |= f.type == 'M';
  if (has_memo_) {
    std::string dbt_path = SiblingPath(path, "dbt");
    st = dbt_.Open(dbt_path, read_only_, dbf_.dbase3_memos());
    if (!st.ok()) {
      dbf_.Close();
      return st;
    }
  }
  st = PrepareIndex(options);
  if (!st.ok()) {
    mdx_.Close();
    dbt_.Close();
    ::flock(dbf_.file().fd(), LOCK_UN);
    dbf_.Close();
    return st;
  }
  if (bulk_) dbf_.StartBulk();
  state_ = State::kBrowse;
  tag_ = -1;
  filtered_ = false;
  return First();
}

Status Table::Close() {
  Status result;
  if (dbf_.is_open()) {
    if (state_ == State::kEdit || state_ == State::kInsert) result = Settle();
    if (bulk_) {
      Status done = FinishBulk();
      if (result.ok()) result = done;
    }
    // The index's "being written" byte is cleared once its blocks are on disk.
    if (!read_only_ && index_usable_ && mdx_.is_open()) {
      Status sealed = mdx_.Seal(dbf_.record_count());
      if (result.ok()) result = sealed;
    }
    ::flock(dbf_.file().fd(), LOCK_UN);
  }
  cursor_.reset();
  cursor_valid_ = false;
  mem_order_ = false;
  mem_.reset();
  mem_tags_.clear();
  mdx_.Close();
  dbt_.Close();
  dbf_.Close();
  state_ = State::kInactive;
  cur_ = 0;
  loaded_ = false;
  memos_.clear();
  bof_ = eof_ = true;
  tag_ = -1;
  filtered_ = false;
  DropMarks();
  return result;
}

std::vector<std::string> Table::TakeNotices() {
  std::vector<std::string> n;
  n.swap(notices_);
  return n;
}

Status Table::CheckActive() const {
  if (!dbf_.is_open()) return Status::Error("テーブルが開かれていません");
  return Status::Ok();
}

int Table::RecNo() const {
  if (state_ == State::kInsert) return -1;
  return int(cur_);
}

std::string Table::IndexName() const {
  return tag_ >= 0 ? Tags()[size_t(tag_)].name : std::string();
}

std::string Table::FirstTagExpression() const {
  return !Tags().empty() ? Tags()[0].expr : std::string();
}

std::vector<std::string> Table::TagNames() const {
  std::vector<std::string> v;
  for (const auto& t : Tags()) v.push_back(t.name);
  return v;
}

std::string Table::BlankRecord() const { return std::string(size_t(dbf_.record_length()), ' '); }

Status Table::LoadCurrent() const {
  if (loaded_) return Status::Ok();
  if (cur_ == 0) {
    buf_ = orig_ = BlankRecord();
    loaded_ = true;
    return Status::Ok();
  }
  Status st = dbf_.ReadRecord(cur_, &orig_);
  if (!st.ok()) return st;
  buf_ = orig_;
  memos_.clear();
  loaded_ = true;
  return Status::Ok();
}

bool Table::IsDeleted() const {
  if (cur_ == 0 || !LoadCurrent().ok()) return false;
  return orig_[0] == '*';
}

// ---- moving ----

Status Table::Accept(uint32_t recno, bool* ok) {
  // Makes recno current (without state change) and tells whether the cursor may stop there.
  cur_ = recno;
  loaded_ = false;
  memos_.clear();
  *ok = true;
  if (tag_ >= 0 && !filtered_) return Status::Ok();
  if (UseMarks()) {
    *ok = Marked(recno);
    return Status::Ok();
  }
  std::string_view rec;
  Status st = dbf_.ViewRecord(recno, &rec, &spill_);
  if (!st.ok()) return st;
  *ok = AcceptBytes(rec.data());
  return Status::Ok();
}

bool Table::AcceptBytes(const char* rec) {
  if (rec[0] == '*') return false;
  if (!filtered_ || !filter_) return true;
  filter_view_ = std::string_view(rec, size_t(dbf_.record_length()));
  in_filter_ = true;
  bool ok = filter_(*this);
  in_filter_ = false;
  filter_view_ = {};
  return ok;
}

Status Table::PhysicalScan(uint32_t from, bool forward, bool* found) {
  // The records are looked at where they lie in the table's read cache, a chunk at a time, never
  // copied: a scan over a large file tests every record and keeps few.
  *found = false;
  if (UseMarks()) {
    uint32_t r = NextMarked(from, forward);
    if (r == 0) return Status::Ok();
    cur_ = r;
    loaded_ = false;
    memos_.clear();
    *found = true;
    return Status::Ok();
  }
  const uint32_t n = dbf_.record_count();
  const int64_t step = forward ? 1 : -1;
  const ptrdiff_t stride = forward ? dbf_.record_length() : -dbf_.record_length();
  memos_.clear();
  int64_t r = from;
  while (r >= 1 && r <= int64_t(n)) {
    const char* rec = nullptr;
    uint32_t run = 0;
    Status st = dbf_.ViewRun(uint32_t(r), forward, &rec, &run);
    if (!st.ok()) return st;
    if (run == 0) {  // a record across two chunks
      bool ok = false;
      st = Accept(uint32_t(r), &ok);
      if (!st.ok()) return st;
      if (ok) {
        *found = true;
        return Status::Ok();
      }
      r += step;
      continue;
    }
    for (uint32_t i = 0; i < run; ++i, r += step, rec += stride) {
      cur_ = uint32_t(r);
      loaded_ = false;
      if (AcceptBytes(rec)) {
        *found = true;
        return Status::Ok();
      }
    }
  }
  return Status::Ok();
}

Status Table::SeekCursorToCurrent() {
  if (tag_ < 0 || cur_ == 0) return Status::Ok();
  Status st = cursor_ ? Status::Ok() : MakeCursor();
  if (st.ok()) st = LoadCurrent();
  if (!st.ok()) return st;
  bool found = false;
  std::string key = MakeKey(Tags()[size_t(tag_)], dbf_.fields(), orig_);
  st = CursorSeek(key, cur_, &found);
  if (!st.ok()) return st;
  cursor_valid_ = found && cursor_->recno() == cur_;
  return Status::Ok();
}

Status Table::FromEdge(bool last) {
  Status st = Settle();
  if (!st.ok()) return st;
  uint32_t saved = cur_;
  bool found = false;
  if (NoneMarked()) {
    cursor_valid_ = false;  // nothing to walk
  } else if (tag_ >= 0 && SparseReady()) {
    SparseEdge(last, &found);
  } else if (tag_ < 0) {
    st = PhysicalScan(last ? dbf_.record_count() : 1, !last, &found);
  } else {
    if (!cursor_) st = MakeCursor();
    if (st.ok()) st = CursorEdge(last, &found);
    while (st.ok() && found) {
      bool ok = false;
      st = Accept(cursor_->recno(), &ok);
      if (!st.ok() || ok) break;
      st = CursorStep(!last, &found);
    }
    cursor_valid_ = st.ok() && found;
  }
  if (!st.ok()) {
    cur_ = saved;
    loaded_ = false;
    return st;
  }
  if (!found) {
    cur_ = 0;
    loaded_ = false;
    bof_ = eof_ = true;
    return Status::Ok();
  }
  bof_ = !last;
  eof_ = last;
  return Status::Ok();
}

Status Table::First() {
  Status st = CheckActive();
  return st.ok() ? FromEdge(false) : st;
}

Status Table::Last() {
  Status st = CheckActive();
  return st.ok() ? FromEdge(true) : st;
}

Status Table::Step(bool forward, bool* moved) {
  *moved = false;
  if (cur_ == 0 || NoneMarked()) return Status::Ok();
  if (tag_ >= 0 && SparseReady()) return SparseStep(forward, moved);
  uint32_t saved = cur_;
  bool found = false;
  Status st;
  if (tag_ < 0) {
    st = PhysicalScan(forward ? cur_ + 1 : cur_ - 1, forward, &found);
  } else {
    if (!cursor_valid_) st = SeekCursorToCurrent();
    if (st.ok() && cursor_valid_) {
      st = CursorStep(forward, &found);
    } else if (st.ok()) {
      // The current record is no longer in the tag (it was deleted): the seek has left the
      // cursor on the entry after where it stood.
      std::string key = MakeKey(Tags()[size_t(tag_)], dbf_.fields(), orig_);
      st = CursorSeek(key, cur_, &found);
      if (st.ok() && !forward) st = found ? CursorStep(false, &found) : CursorEdge(true, &found);
    }
    while (st.ok() && found) {
      bool ok = false;
      st = Accept(cursor_->recno(), &ok);
      if (!st.ok() || ok) break;
      st = CursorStep(forward, &found);
    }
  }
  if (!st.ok() || !found) {
    cur_ = saved;
    loaded_ = false;
    memos_.clear();
    if (tag_ >= 0) {
      Status s2 = SeekCursorToCurrent();
      if (st.ok()) st = s2;
    }
    return st;
  }
  cursor_valid_ = tag_ >= 0;
  *moved = true;
  return Status::Ok();
}

Status Table::Move(bool forward) {
  Status st = CheckActive();
  if (!st.ok()) return st;
  st = Settle();
  if (!st.ok()) return st;
  bool moved = false;
  st = Step(forward, &moved);
  if (!st.ok()) return st;
  // A step that moves leaves the far end; one that cannot sets the near end and stays.
  bool& from_end = forward ? bof_ : eof_;
  bool& to_end = forward ? eof_ : bof_;
  if (moved) from_end = false;
  to_end = !moved;
  if (cur_ == 0) bof_ = eof_ = true;
  return Status::Ok();
}

Status Table::Next() { return Move(true); }

Status Table::Prior() { return Move(false); }

Status Table::MoveBy(int n) {
  for (; n > 0; --n) {
    Status st = Next();
    if (!st.ok() || eof_) return st;
  }
  for (; n < 0; ++n) {
    Status st = Prior();
    if (!st.ok() || bof_) return st;
  }
  return Status::Ok();
}

Status Table::GotoBookmark(Bookmark b) {
  Status st = CheckActive();
  if (!st.ok()) return st;
  st = Settle();
  if (!st.ok()) return st;
  if (b < 1 || b > dbf_.record_count())
    return Status::Error(BaseName(path_) + ": レコード " + std::to_string(b) + " はありません");
  std::string rec;
  st = dbf_.ReadRecord(b, &rec);
  if (!st.ok()) return st;
  if (rec[0] == '*')
    return Status::Error(BaseName(path_) + ": レコード " + std::to_string(b) +
                         " は削除されています");
  cur_ = b;
  loaded_ = false;
  memos_.clear();
  bof_ = eof_ = false;
  cursor_valid_ = false;
  return SeekCursorToCurrent();
}

Status Table::ForEachRecord(const std::function<void(std::string_view)>& fn) const {
  Status st = CheckActive();
  if (!st.ok()) return st;
  std::string spill;
  for (uint32_t r = 1; r <= dbf_.record_count(); ++r) {
    std::string_view rec;
    st = dbf_.ViewRecord(r, &rec, &spill);
    if (!st.ok()) return st;
    if (!rec.empty() && rec[0] != '*') fn(rec);
  }
  return Status::Ok();
}

Status Table::FindNearest(const std::string& name, const std::string& value) {
  Status st = CheckActive();
  if (!st.ok()) return st;
  st = Settle();
  if (!st.ok()) return st;
  if (tag_ < 0) return Status::Error(BaseName(path_) + ": 索引の順序が選ばれていません");
  int f = dbf_.FieldIndex(name);
  if (f < 0) return Status::Error(BaseName(path_) + ": フィールド " + name + " がありません");
  const FieldDef& fd = dbf_.fields()[size_t(f)];
  std::string rec = BlankRecord();
  std::string v = value.substr(0, size_t(fd.width));
  memcpy(rec.data() + 1 + fd.offset, v.data(), v.size());
  std::string key = MakeKey(Tags()[size_t(tag_)], dbf_.fields(), rec);
  if (!cursor_) st = MakeCursor();
  uint32_t saved = cur_;
  bool found = false;
  if (st.ok()) st = CursorSeek(key, 0, &found);
  while (st.ok() && found) {
    bool ok = false;
    st = Accept(cursor_->recno(), &ok);
    if (!st.ok() || ok) break;
    st = CursorStep(true, &found);
  }
  if (!st.ok()) {
    cur_ = saved;
    loaded_ = false;
    memos_.clear();
    Status s2 = SeekCursorToCurrent();
    (void)s2;
    return st;
  }
  if (!found) return FromEdge(true);  // Eof stays set on the last record
  cursor_valid_ = true;
  bof_ = eof_ = false;
  return Status::Ok();
}

// ---- order and filter ----

Status Table::SetIndexName(const std::string& name) {
  Status st = CheckActive();
  if (!st.ok()) return st;
  st = Settle();
  if (!st.ok()) return st;
  int t = -1;
  if (!name.empty()) {
    if (!index_usable_ && !mem_order_) return Status::Error(BaseName(path_) + ": 索引が使えません");
    for (size_t i = 0; i < Tags().size() && t < 0; ++i)
      if (strcasecmp(Tags()[i].name.c_str(), name.c_str()) == 0) t = int(i);
    if (t < 0) return Status::Error(BaseName(path_) + ": 索引タグ " + name + " がありません");
  }
  tag_ = t;
  cursor_.reset();
  cursor_valid_ = false;
  if (tag_ >= 0) {
    st = MakeCursor();
    if (!st.ok()) {
      tag_ = -1;
      return st;
    }
    if (cur_ != 0) return SeekCursorToCurrent();
  }
  return Status::Ok();
}

Status Table::SetFiltered(bool on) {
  Status st = CheckActive();
  if (!st.ok()) return st;
  st = Settle();
  if (!st.ok()) return st;
  filtered_ = on;
  if (cur_ == 0) return First();
  bool ok = false;
  uint32_t here = cur_;
  st = Accept(here, &ok);
  if (!st.ok()) return st;
  if (ok) return SeekCursorToCurrent();
  // The current record is filtered out: go on to the next accepted one, else the one before.
  st = SeekCursorToCurrent();
  if (!st.ok()) return st;
  return MoveToNeighbour();
}

Status Table::MoveToNeighbour() {
  bool moved = false;
  Status st = Step(true, &moved);
  if (st.ok() && !moved) st = Step(false, &moved);
  if (!st.ok()) return st;
  if (!moved) {
    cur_ = 0;
    loaded_ = false;
  }
  bof_ = eof_ = !moved;
  return Status::Ok();
}

// ---- editing ----

Status Table::Edit() {
  Status st = CheckActive();
  if (!st.ok()) return st;
  if (read_only_) return Status::Error(BaseName(path_) + ": 読み取り専用で開かれています");
  if (state_ == State::kEdit || state_ == State::kInsert) return Status::Ok();
  if (cur_ == 0) return Append();
  st = LoadCurrent();
  if (!st.ok()) return st;
  state_ = State::kEdit;
  modified_ = false;
  return Status::Ok();
}

Status Table::Append() {
  Status st = CheckActive();
  if (!st.ok()) return st;
  if (read_only_) return Status::Error(BaseName(path_) + ": 読み取り専用で開かれています");
  st = Settle();
  if (!st.ok()) return st;
  before_insert_ = cur_;
  cur_ = 0;
  buf_ = orig_ = BlankRecord();
  memos_.clear();
  loaded_ = true;
  state_ = State::kInsert;
  modified_ = false;
  bof_ = eof_ = false;
  return Status::Ok();
}

void Table::Cancel() {
  if (state_ == State::kInsert) {
    cur_ = before_insert_;
    bof_ = eof_ = cur_ == 0;
  }
  if (state_ != State::kInactive) state_ = State::kBrowse;
  loaded_ = false;
  memos_.clear();
  modified_ = false;
}

Status Table::Settle() {
  if (state_ != State::kEdit && state_ != State::kInsert) return Status::Ok();
  if (!modified_) {
    Cancel();
    return Status::Ok();
  }
  return Post();
}

Status Table::FinishBulk() {
  // The pass's memos, then its records, then their count.
  Status st = dbt_.Sync();
  return st.ok() ? dbf_.FinishBulk() : st;
}

Status Table::WriteMemosInto(std::string* rec) {
  bool wrote = false;
  for (auto& [f, m] : memos_) {
    if (!m.dirty) continue;
    const FieldDef& fd = dbf_.fields()[size_t(f)];
    std::string ptr;
    if (m.value.empty()) {
      ptr.assign(size_t(fd.width), ' ');
    } else {
      uint32_t block = 0;
      Status st = dbt_.Write(m.value, &block);
      if (!st.ok()) return st;
      wrote = true;
      ptr = FormatMemoPointer(block);
      ptr.resize(size_t(fd.width), ' ');
      if (ptr.size() > size_t(fd.width)) ptr = ptr.substr(ptr.size() - size_t(fd.width));
    }
    memcpy(rec->data() + 1 + fd.offset, ptr.data(), size_t(fd.width));
  }
  // On disk before the record that points at them (in bulk, new records count only at Close).
  return wrote && !(bulk_ && state_ == State::kInsert) ? dbt_.Sync() : Status::Ok();
}

Status Table::Post() {
  Status st = CheckActive();
  if (!st.ok()) return st;
  if (state_ != State::kEdit && state_ != State::kInsert) return Status::Ok();
  std::string rec = buf_;
  rec[0] = ' ';
  // Memo blocks first: nothing points at them until the record is written.
  st = WriteMemosInto(&rec);
  if (!st.ok()) return st;
  bool use_index = index_usable_ && mdx_.is_open();
  if (use_index) {
    st = mdx_.BeginWrite();
    if (!st.ok()) return st;
  }
  const auto& tags = mdx_.tags();
  Status index_status;
  if (state_ == State::kInsert) {
    uint32_t recno = 0;
    st = dbf_.AppendRecord(rec, &recno);
    if (!st.ok()) {
      // The edit stays pending in the buffer; the index is checked at the next open.
      if (use_index) mdx_.AbandonWrite();
      return st;
    }
    cur_ = recno;
    if (use_index)
      for (size_t t = 0; t < tags.size() && index_status.ok(); ++t)
        index_status = mdx_.Insert(int(t), MakeKey(tags[t], dbf_.fields(), rec), recno);
  } else {
    if (rec != orig_) {
      if (bulk_) st = FinishBulk();
      if (st.ok()) st = dbf_.WriteRecord(cur_, rec);
      if (!st.ok()) {
        if (use_index) mdx_.AbandonWrite();
        return st;
      }
      if (use_index)
        for (size_t t = 0; t < tags.size() && index_status.ok(); ++t) {
          std::string ok = MakeKey(tags[t], dbf_.fields(), orig_);
          std::string nk = MakeKey(tags[t], dbf_.fields(), rec);
          if (ok == nk) continue;
          index_status = mdx_.Remove(int(t), ok, cur_);
          if (index_status.ok()) index_status = mdx_.Insert(int(t), nk, cur_);
        }
    }
  }
  state_ = State::kBrowse;
  modified_ = false;
  orig_ = buf_ = rec;
  memos_.clear();
  loaded_ = true;
  bof_ = eof_ = false;
  RemarkCurrent();
  if (use_index) {
    if (!index_status.ok()) {
      std::vector<TagDef> keep = tags;
      Status rb = RebuildIndex(keep);
      if (!rb.ok()) return rb;
      AddNotice(index_status.message() + "。レコードから索引を作り直しました。");
    } else {
      st = mdx_.EndWrite(dbf_.record_count());
      if (!st.ok()) return st;
    }
  }
  cursor_valid_ = false;
  return SeekCursorToCurrent();
}

Status Table::Delete() {
  Status st = CheckActive();
  if (!st.ok()) return st;
  if (state_ == State::kInsert) {
    Cancel();
    return Status::Ok();
  }
  if (cur_ == 0) return Status::Error(BaseName(path_) + ": 削除するレコードがありません");
  if (read_only_) return Status::Error(BaseName(path_) + ": 読み取り専用で開かれています");
  state_ = State::kBrowse;
  modified_ = false;
  loaded_ = false;
  st = LoadCurrent();
  if (!st.ok()) return st;
  bool use_index = index_usable_ && mdx_.is_open();
  if (use_index) {
    st = mdx_.BeginWrite();
    if (!st.ok()) return st;
  }
  std::string rec = orig_;
  rec[0] = '*';
  if (bulk_) st = FinishBulk();
  if (st.ok()) st = dbf_.WriteRecord(cur_, rec);
  if (!st.ok()) {
    if (use_index) mdx_.AbandonWrite();
    return st;
  }
  if (marks_valid_) MarkWritten(cur_, false, rec);
  Status index_status;
  if (use_index) {
    const auto& tags = mdx_.tags();
    for (size_t t = 0; t < tags.size() && index_status.ok(); ++t)
      index_status = mdx_.Remove(int(t), MakeKey(tags[t], dbf_.fields(), orig_), cur_);
    if (!index_status.ok()) {
      std::vector<TagDef> keep = tags;
      st = RebuildIndex(keep);
      if (!st.ok()) return st;
      AddNotice(index_status.message() + "。レコードから索引を作り直しました。");
    } else {
      st = mdx_.EndWrite(dbf_.record_count());
      if (!st.ok()) return st;
    }
  }
  orig_ = buf_ = rec;
  // The record has left every tag: the step finds its neighbours by its old key.
  cursor_valid_ = false;
  return MoveToNeighbour();
}

// ---- fields ----

Status Table::ReadMemoAt(int f, std::string* out) const {
  auto it = memos_.find(f);
  if (it != memos_.end() && it->second.loaded) {
    *out = it->second.value;
    return Status::Ok();
  }
  const FieldDef& fd = dbf_.fields()[size_t(f)];
  uint32_t block = 0;
  if (!ParseMemoPointer(buf_.data() + 1 + fd.offset, fd.width, &block)) {
    out->clear();
    return Status::Error(BaseName(path_) + ": レコード " + std::to_string(cur_) + " の " + fd.name +
                         " のメモ番号が壊れています");
  }
  // Memos are read from the file each time (the memo file reads ahead); only edited values are
  // kept here.
  if (block == 0 || !dbt_.is_open()) {
    out->clear();
    return Status::Ok();
  }
  return dbt_.Read(block, out, cur_, fd.name);
}

Status Table::ReadMemoViewAt(int f, std::string_view* view, std::string* scratch) const {
  *view = {};
  Status st = CheckActive();
  if (!st.ok()) return st;
  if (f < 0 || size_t(f) >= dbf_.fields().size() || dbf_.fields()[size_t(f)].type != 'M')
    return Status::Error(BaseName(path_) + ": フィールド番号 " + std::to_string(f) +
                         " はメモではありません");
  st = LoadCurrent();
  if (!st.ok()) return st;
  auto it = memos_.find(f);
  if (it != memos_.end() && it->second.loaded) {
    *view = it->second.value;
    return Status::Ok();
  }
  const FieldDef& fd = dbf_.fields()[size_t(f)];
  uint32_t block = 0;
  if (!ParseMemoPointer(buf_.data() + 1 + fd.offset, fd.width, &block))
    return Status::Error(BaseName(path_) + ": レコード " + std::to_string(cur_) + " の " + fd.name +
                         " のメモ番号が壊れています");
  if (block == 0 || !dbt_.is_open()) return Status::Ok();
  return dbt_.ReadView(block, view, scratch, cur_, fd.name);
}

Status Table::ReadField(const std::string& name, std::string* out) const {
  out->clear();
  int f = dbf_.FieldIndex(name);
  if (f < 0 && dbf_.is_open())
    return Status::Error(BaseName(path_) + ": フィールド " + name + " がありません");
  return ReadFieldAt(f, out);
}

Status Table::ReadFieldAt(int f, std::string* out) const {
  out->clear();
  Status st = CheckActive();
  if (!st.ok()) return st;
  if (f < 0 || size_t(f) >= dbf_.fields().size())
    return Status::Error(BaseName(path_) + ": フィールド番号 " + std::to_string(f) +
                         " がありません");
  st = LoadCurrent();
  if (!st.ok()) return st;
  const FieldDef& fd = dbf_.fields()[size_t(f)];
  if (fd.type == 'M') return ReadMemoAt(f, out);
  // The bytes go straight into *out (a pass over many records reuses its capacity).
  std::string_view v = std::string_view(buf_).substr(size_t(1 + fd.offset), size_t(fd.width));
  if (fd.type == 'D') {
    int y, m, d;
    if (v.size() == 8 && ParseDate8(v.data(), &y, &m, &d)) out->assign(v);
    return Status::Ok();
  }
  while (!v.empty() && (v.back() == ' ' || v.back() == '\0')) v.remove_suffix(1);
  if (fd.type == 'N' || fd.type == 'F') {
    size_t a = v.find_first_not_of(' ');
    v = a == std::string_view::npos ? std::string_view() : v.substr(a);
  }
  out->assign(v);
  return Status::Ok();
}

std::string_view Table::CurrentRecordBytes() const {
  // A hook that read a field has loaded the same bytes into buf_.
  if (in_filter_ && !loaded_) return filter_view_;
  if (!dbf_.is_open() || (cur_ == 0 && state_ != State::kInsert) || !LoadCurrent().ok()) return {};
  return buf_;
}

std::string Table::FieldString(const std::string& name) const {
  std::string v;
  ReadField(name, &v);
  return v;
}

std::optional<Date> Table::FieldDate(const std::string& name) const {
  std::string v;
  if (!ReadField(name, &v).ok() || v.size() != 8) return std::nullopt;
  Date d;
  if (!ParseDate8(v.data(), &d.year, &d.month, &d.day)) return std::nullopt;
  return d;
}

Status Table::SetFieldString(const std::string& name, const std::string& value) {
  Status st = CheckActive();
  if (!st.ok()) return st;
  if (state_ != State::kEdit && state_ != State::kInsert)
    return Status::Error(BaseName(path_) + ": 編集状態ではありません");
  int f = dbf_.FieldIndex(name);
  if (f < 0) return Status::Error(BaseName(path_) + ": フィールド " + name + " がありません");
  const FieldDef& fd = dbf_.fields()[size_t(f)];
  modified_ = true;
  if (fd.type == 'M') {
    Memo& m = memos_[f];
    m.loaded = m.dirty = true;
    m.value = value;
    return Status::Ok();
  }
  std::string v;
  if (fd.type == 'D') {
    int y, m, d;
    if (!value.empty() && (value.size() != 8 || !ParseDate8(value.data(), &y, &m, &d)))
      return Status::Error(BaseName(path_) + ": 日付 \"" + value + "\" が不正です");
    v = value;
  } else {
    v = value.substr(0, sjis::CutLength(value, size_t(fd.width)));
  }
  v.resize(size_t(fd.width), ' ');
  memcpy(buf_.data() + 1 + fd.offset, v.data(), size_t(fd.width));
  return Status::Ok();
}

Status Table::SetFieldDate(const std::string& name, const std::optional<Date>& date) {
  if (!date) return SetFieldString(name, "");
  char b[16];
  snprintf(b, sizeof b, "%04d%02d%02d", date->year, date->month, date->day);
  return SetFieldString(name, b);
}

}  // namespace sk::store
