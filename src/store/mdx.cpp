#include "store/mdx.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace sk::store {

namespace {

constexpr uint32_t kHeaderPages = 4;
constexpr int kMaxDepth = 48;
constexpr size_t kCacheLimit = 8192;  // blocks (8 MiB)
constexpr size_t kMarker = 48;

void PutDate(unsigned char* p) {
  time_t t = time(nullptr);
  struct tm tm;
  localtime_r(&t, &tm);
  p[0] = uint8_t(tm.tm_year);
  p[1] = uint8_t(tm.tm_mon + 1);
  p[2] = uint8_t(tm.tm_mday);
}

// Builds a node block from entries (num, key) and, for an interior node, the right-most child.
std::vector<unsigned char> MakeNode(int item, int key_len,
                                    const std::vector<std::pair<uint32_t, const unsigned char*>>& e,
                                    uint32_t rightmost) {
  std::vector<unsigned char> d(MdxFile::kBlock, 0);
  Put32(d.data(), uint32_t(e.size()));
  for (size_t j = 0; j < e.size(); ++j) {
    unsigned char* p = d.data() + 8 + j * size_t(item);
    Put32(p, e[j].first);
    memcpy(p + 4, e[j].second, size_t(key_len));
  }
  Put32(d.data() + 8 + e.size() * size_t(item), rightmost);
  return d;
}

std::string TagHeader(const TagDef& t, uint32_t root, uint32_t pages_used, bool has_keys) {
  std::string h(MdxFile::kBlock, '\0');
  auto* p = reinterpret_cast<unsigned char*>(h.data());
  Put32(p, root);
  Put32(p + 4, pages_used);
  p[8] = 0x10;
  p[9] = uint8_t(t.type);
  Put16(p + 12, uint16_t(t.key_len));
  Put16(p + 14, uint16_t(t.max_keys()));
  Put16(p + 16, t.type == 'D' ? 1 : 0);
  Put16(p + 18, uint16_t(t.item_len()));
  memcpy(p + 24, t.expr.data(), std::min<size_t>(t.expr.size(), 220));
  p[246] = has_keys ? 1 : 0;
  return h;
}

}  // namespace

Status MdxFile::Fail(const std::string& what) const {
  return Status::Error(BaseName(file_.path()) + ": " + what);
}

Status MdxFile::Build(const std::string& path, const std::string& table_name, uint8_t language,
                      const std::vector<TagDef>& tags, const EntrySource& entries_for,
                      uint32_t record_count) {
  auto flat = [&](size_t t, std::string* keys, std::vector<uint32_t>* recnos) {
    std::vector<IndexEntry> es;
    Status st = entries_for(t, &es);
    const size_t len = size_t(tags[t].key_len);
    keys->assign(es.size() * len, '\0');
    recnos->resize(es.size());
    for (size_t i = 0; i < es.size(); ++i) {
      memcpy(keys->data() + i * len, es[i].key.data(), std::min(len, es[i].key.size()));
      (*recnos)[i] = es[i].recno;
    }
    return st;
  };
  return BuildFlat(path, table_name, language, tags, flat, record_count);
}

Status MdxFile::BuildFlat(const std::string& path, const std::string& table_name, uint8_t language,
                          const std::vector<TagDef>& tags, const FlatEntrySource& entries_for,
                          uint32_t record_count) {
  std::string keys;
  std::vector<uint32_t> recnos;
  PieceSource source;
  source.count = [&](size_t t, size_t* n) {
    Status st = entries_for(t, &keys, &recnos);
    *n = recnos.size();
    return st;
  };
  source.piece = [&](size_t t, size_t from, size_t, const char** k, const uint32_t** r) {
    *k = keys.data() + from * size_t(tags[t].key_len);
    *r = recnos.data() + from;
    return Status::Ok();
  };
  return BuildPieces(path, table_name, language, tags, source, record_count);
}

Status MdxFile::BuildPieces(const std::string& path, const std::string& table_name,
                            uint8_t language, const std::vector<TagDef>& tags,
                            const PieceSource& source, uint32_t record_count) {
  if (source.cancelled) *source.cancelled = false;
  std::string tmp = path + ".tmp";
  File f;
  if (!f.Open(tmp, 'c')) return Status::Error(BaseName(path) + ": 索引ファイルを作成できません");
  auto fail = [&](const char* what) {
    f.Close();
    RemoveFile(tmp);
    return Status::Error(BaseName(path) + ": " + what);
  };
  uint32_t next_page = kHeaderPages;
  std::vector<uint32_t> tag_pages, roots;
  // Nodes go out in large writes: those of a tag lie one after the other.
  std::string nodes;
  uint64_t nodes_at = 0;
  auto flush_nodes = [&] {
    bool ok = nodes.empty() || f.WriteAt(nodes_at, nodes.data(), nodes.size());
    nodes.clear();
    return ok;
  };
  nodes.reserve((4u << 20) + kBlock);
  // A zeroed node block at page, in the buffer; nullptr when a write failed.
  auto open_node = [&](uint32_t page) -> unsigned char* {
    uint64_t at = uint64_t(page) * 512;
    if (!nodes.empty() && (at != nodes_at + nodes.size() || nodes.size() >= (4u << 20)) &&
        !flush_nodes())
      return nullptr;
    if (nodes.empty()) nodes_at = at;
    nodes.resize(nodes.size() + kBlock);
    return reinterpret_cast<unsigned char*>(nodes.data() + nodes.size() - kBlock);
  };
  auto put_node = [&](uint32_t page, const std::vector<unsigned char>& node) {
    unsigned char* d = open_node(page);
    if (d) memcpy(d, node.data(), node.size());
    return d != nullptr;
  };
  uint64_t written = 0;  // entries of all tags, for progress
  for (size_t t = 0; t < tags.size(); ++t) {
    const TagDef& tag = tags[t];
    const int item = tag.item_len();
    const uint32_t maxk = uint32_t(tag.max_keys());
    uint32_t header_page = next_page;
    next_page += 2;
    uint32_t first_node = next_page;
    size_t count = 0;
    Status got = source.count(t, &count);
    if (!got.ok()) {
      f.Close();
      RemoveFile(tmp);
      return got;
    }
    // Leaves, filled, from pieces of whole leaves; the largest key of each is kept for the
    // levels above.
    struct Made {
      uint32_t page;
      size_t max;  // offset of its largest key in maxes
    };
    std::vector<Made> level;
    std::string maxes;
    const size_t key_len = size_t(tag.key_len);
    const size_t piece_len = size_t(maxk) * 2048;
    const char* piece_keys = nullptr;
    const uint32_t* piece_recnos = nullptr;
    size_t piece_from = 0, piece_n = 0;
    size_t i = 0;
    do {
      const size_t cnt = std::min<size_t>(maxk, count - i);
      if (cnt > 0 && i >= piece_from + piece_n) {
        if (source.progress && !source.progress(written + i, source.total)) {
          f.Close();
          RemoveFile(tmp);
          if (source.cancelled) *source.cancelled = true;
          return Status::Error(BaseName(path) + ": 索引の作成を取り消しました");
        }
        piece_from = i;
        piece_n = std::min(piece_len, count - i);
        got = source.piece(t, piece_from, piece_n, &piece_keys, &piece_recnos);
        if (!got.ok()) {
          f.Close();
          RemoveFile(tmp);
          return got;
        }
      }
      // Laid out in place as MakeNode would.
      uint32_t page = next_page;
      next_page += 2;
      unsigned char* d = open_node(page);
      if (!d) return fail("索引の書き込みに失敗しました");
      Put32(d, uint32_t(cnt));
      const char* key = piece_keys + (i - piece_from) * key_len;
      const uint32_t* recno = piece_recnos + (i - piece_from);
      for (size_t k = 0; k < cnt; ++k, key += key_len) {
        unsigned char* p = d + 8 + k * size_t(item);
        Put32(p, recno[k]);
        memcpy(p + 4, key, key_len);
      }
      i += cnt;
      level.push_back({page, maxes.size()});
      if (cnt > 0) maxes.append(key - key_len, key_len);
    } while (i < count);
    written += count;
    auto max_of = [&](const Made& m) {
      return reinterpret_cast<const unsigned char*>(maxes.data()) + m.max;
    };
    while (level.size() > 1) {
      std::vector<Made> up;
      for (size_t s = 0; s < level.size();) {
        size_t cnt = std::min<size_t>(maxk + 1, level.size() - s);
        // Avoid a last node with a single child when its neighbour can spare one.
        if (level.size() - s - cnt == 1 && cnt > 2) --cnt;
        std::vector<std::pair<uint32_t, const unsigned char*>> e;
        for (size_t k = 0; k + 1 < cnt; ++k) e.push_back({level[s + k].page, max_of(level[s + k])});
        auto node = MakeNode(item, tag.key_len, e, level[s + cnt - 1].page);
        uint32_t page = next_page;
        next_page += 2;
        if (!put_node(page, node)) return fail("索引の書き込みに失敗しました");
        up.push_back({page, level[s + cnt - 1].max});
        s += cnt;
      }
      level.swap(up);
    }
    uint32_t root = level[0].page;
    std::string th = TagHeader(tag, root, next_page - first_node, count > 0);
    if (!f.WriteAt(uint64_t(header_page) * 512, th.data(), th.size()))
      return fail("索引の書き込みに失敗しました");
    tag_pages.push_back(header_page);
    roots.push_back(root);
  }
  if (!flush_nodes()) return fail("索引の書き込みに失敗しました");
  // File header and tag table.
  std::string h(kHeaderPages * 512, '\0');
  auto* p = reinterpret_cast<unsigned char*>(h.data());
  p[0] = 0x02;
  PutDate(p + 1);
  std::string base = table_name.substr(0, 16);
  memcpy(p + 4, base.data(), base.size());
  Put16(p + 20, 2);
  Put16(p + 22, 1024);
  p[24] = 1;
  p[25] = 48;
  p[26] = 32;
  Put16(p + 28, uint16_t(tags.size()));
  p[31] = language;
  Put32(p + 32, next_page);
  Put32(p + 36, 0);
  PutDate(p + 44);
  memcpy(p + kMarker, "SKIX", 4);
  p[kMarker + 4] = 0;
  Put32(p + kMarker + 8, record_count);
  p[529] = 0x01;
  // Binary search tree over the tag names, in the order the tags were added.
  std::vector<int> left(tags.size(), 0), right(tags.size(), 0), parent(tags.size(), 0);
  for (size_t t = 1; t < tags.size(); ++t) {
    size_t cur = 0;
    while (true) {
      bool less = tags[t].name < tags[cur].name;
      int& next = less ? left[cur] : right[cur];
      if (next == 0) {
        next = int(t + 1);
        parent[t] = int(cur + 1);
        break;
      }
      cur = size_t(next - 1);
    }
  }
  for (size_t t = 0; t < tags.size(); ++t) {
    unsigned char* s = p + 544 + 32 * t;
    Put32(s, tag_pages[t]);
    memcpy(s + 4, tags[t].name.data(), std::min<size_t>(tags[t].name.size(), 10));
    s[15] = 0x10;
    s[16] = uint8_t(left[t]);
    s[17] = uint8_t(right[t]);
    s[18] = uint8_t(parent[t]);
    s[19] = 0x02;
    s[20] = uint8_t(tags[t].type);
  }
  if (!f.WriteAt(0, h.data(), h.size())) return fail("索引の書き込みに失敗しました");
  if (!f.Sync()) return fail("索引の書き込みに失敗しました");
  f.Close();
  if (!RenameFile(tmp, path)) {
    RemoveFile(tmp);
    return Status::Error(BaseName(path) + ": 索引ファイルを置き換えられません");
  }
  if (!SyncFolderOf(path)) return Status::Error(BaseName(path) + ": フォルダーに書き出せません");
  return Status::Ok();
}

Status MdxFile::Open(const std::string& path, bool read_only, const std::vector<FieldDef>& fields) {
  Close();
  read_only_ = read_only;
  if (!file_.Open(path, read_only ? 'r' : 'w'))
    return Status::Error(BaseName(path) + ": 索引ファイルを開けません (" + strerror(errno) + ")");
  int64_t size = file_.Size();
  std::string h(kHeaderPages * 512, '\0');
  if (size < int64_t(h.size()) || !file_.ReadExact(0, h.data(), h.size())) {
    Close();
    return Status::Error(BaseName(path) + ": 索引ファイルのヘッダーが途中で切れています");
  }
  const auto* p = reinterpret_cast<const unsigned char*>(h.data());
  if (p[0] != 0x02 || Get16(p + 22) != 1024 || p[26] != 32) {
    Close();
    return Status::Error(BaseName(path) + ": dBASE IV の索引ファイルではありません");
  }
  pages_ = Get32(p + 32);
  uint32_t real_pages = uint32_t(uint64_t(size) / 512);
  if (pages_ > real_pages || pages_ < kHeaderPages) {
    Close();
    return Status::Error(BaseName(path) + ": 索引ファイルのページ数 " + std::to_string(pages_) +
                         " がファイルの大きさと合いません");
  }
  table_name_.assign(reinterpret_cast<const char*>(p + 4),
                     strnlen(reinterpret_cast<const char*>(p + 4), 16));
  has_marker_ = memcmp(p + kMarker, "SKIX", 4) == 0;
  dirty_ = has_marker_ && p[kMarker + 4] != 0;
  synced_count_ = has_marker_ ? Get32(p + kMarker + 8) : 0;
  int ntags = Get16(p + 28);
  if (ntags < 1 || ntags > 47) {
    Close();
    return Status::Error(BaseName(path) + ": 索引ファイルのタグ数 " + std::to_string(ntags) +
                         " が不正です");
  }
  tags_.clear();
  roots_.clear();
  tag_pages_.clear();
  for (int t = 0; t < ntags; ++t) {
    const unsigned char* s = p + 544 + 32 * t;
    uint32_t hp = Get32(s);
    std::string name(reinterpret_cast<const char*>(s + 4),
                     strnlen(reinterpret_cast<const char*>(s + 4), 11));
    unsigned char th[256];
    if (hp < kHeaderPages || hp + 2 > pages_ ||
        !file_.ReadExact(uint64_t(hp) * 512, th, sizeof th)) {
      Close();
      return Status::Error(BaseName(path) + ": タグ " + name + " の見出しページ " +
                           std::to_string(hp) + " が不正です");
    }
    std::string expr(reinterpret_cast<const char*>(th + 24),
                     strnlen(reinterpret_cast<const char*>(th + 24), 220));
    bool is_expr = expr.find_first_of("(+") != std::string::npos;
    TagDef tag;
    Status st = ParseTag(name, expr, is_expr, fields, &tag);
    if (!st.ok()) {
      Close();
      return Status::Error(BaseName(path) + ": " + st.message());
    }
    if (th[9] != uint8_t(tag.type) || Get16(th + 12) != tag.key_len ||
        Get16(th + 18) != tag.item_len()) {
      Close();
      return Status::Error(BaseName(path) + ": タグ " + name +
                           " のキー長または型がキー式と合いません");
    }
    uint32_t root = Get32(th);
    if (root < kHeaderPages || root + 2 > pages_) {
      Close();
      return Status::Error(BaseName(path) + ": タグ " + name + " の根ページ " +
                           std::to_string(root) + " が不正です");
    }
    tags_.push_back(tag);
    roots_.push_back(root);
    tag_pages_.push_back(hp);
  }
  cache_.clear();
  return Status::Ok();
}

void MdxFile::Close() {
  file_.Close();
  tags_.clear();
  roots_.clear();
  tag_pages_.clear();
  cache_.clear();
  write_depth_ = 0;
  marked_ = abandoned_ = false;
}

int MdxFile::TagIndex(const std::string& name) const {
  for (size_t i = 0; i < tags_.size(); ++i)
    if (strcasecmp(tags_[i].name.c_str(), name.c_str()) == 0) return int(i);
  return -1;
}

Status MdxFile::Load(int tag, uint32_t page, std::shared_ptr<const Node>* out) const {
  auto it = cache_.find(CacheKey(tag, page));
  if (it != cache_.end()) {
    *out = it->second;
    return Status::Ok();
  }
  const TagDef& t = tags_[size_t(tag)];
  if (page < kHeaderPages || page + 2 > pages_)
    return Fail("タグ " + t.name + " のページ番号 " + std::to_string(page) +
                " がファイルの外を指しています");
  auto node = std::make_shared<Node>();
  node->page = page;
  node->data.resize(kBlock);
  if (!file_.ReadExact(uint64_t(page) * 512, node->data.data(), kBlock))
    return Fail("タグ " + t.name + " のページ " + std::to_string(page) + " を読めません");
  if (node->n() > uint32_t(t.max_keys()))
    return Fail("タグ " + t.name + " のページ " + std::to_string(page) + " のキー数 " +
                std::to_string(node->n()) + " が不正です");
  if (cache_.size() >= kCacheLimit) cache_.clear();
  cache_[CacheKey(tag, page)] = node;
  *out = node;
  return Status::Ok();
}

Status MdxFile::WriteNode(int tag, uint32_t page, const std::vector<unsigned char>& data) {
  if (!file_.WriteAt(uint64_t(page) * 512, data.data(), data.size()))
    return Fail("索引の書き込みに失敗しました");
  auto node = std::make_shared<Node>();
  node->page = page;
  node->data = data;
  cache_[CacheKey(tag, page)] = node;
  return Status::Ok();
}

Status MdxFile::AllocBlock(uint32_t* page) {
  *page = pages_;
  pages_ += 2;
  std::vector<unsigned char> zero(kBlock, 0);
  if (!file_.WriteAt(uint64_t(*page) * 512, zero.data(), zero.size()))
    return Fail("索引の書き込みに失敗しました");
  unsigned char b[4];
  Put32(b, pages_);
  if (!file_.WriteAt(32, b, 4)) return Fail("索引の書き込みに失敗しました");
  return Status::Ok();
}

Status MdxFile::WriteTagRoot(int tag, uint32_t root) {
  unsigned char b[4];
  Put32(b, root);
  if (!file_.WriteAt(uint64_t(tag_pages_[size_t(tag)]) * 512, b, 4))
    return Fail("索引の書き込みに失敗しました");
  roots_[size_t(tag)] = root;
  return Status::Ok();
}

Status MdxFile::SetTableName(const std::string& name) {
  if (read_only_) return Fail("読み取り専用で開かれています");
  char b[16] = {};
  memcpy(b, name.data(), std::min<size_t>(name.size(), 16));
  if (!file_.WriteAt(4, b, 16)) return Fail("索引の書き込みに失敗しました");
  table_name_.assign(b, strnlen(b, 16));
  return Status::Ok();
}

Status MdxFile::BeginWrite() {
  if (read_only_) return Fail("読み取り専用で開かれています");
  if (write_depth_++ > 0 || marked_) return Status::Ok();
  unsigned char m[5] = {'S', 'K', 'I', 'X', 1};
  if (!file_.WriteAt(kMarker, m, 5) || !file_.Sync()) {
    write_depth_ = 0;
    return Fail("索引の書き込みに失敗しました");
  }
  marked_ = true;
  has_marker_ = true;
  dirty_ = true;
  return Status::Ok();
}

Status MdxFile::EndWrite(uint32_t) {
  if (write_depth_ > 0) --write_depth_;
  return Status::Ok();
}

Status MdxFile::Seal(uint32_t record_count) {
  if (!marked_ || abandoned_ || write_depth_ > 0 || read_only_) return Status::Ok();
  unsigned char m[12] = {'S', 'K', 'I', 'X', 0, 0, 0, 0};
  Put32(m + 8, record_count);
  unsigned char d[3];
  PutDate(d);
  if (!file_.Sync() || !file_.WriteAt(kMarker, m, 12) || !file_.WriteAt(44, d, 3) || !file_.Sync())
    return Fail("索引の書き込みに失敗しました");
  marked_ = false;
  dirty_ = false;
  synced_count_ = record_count;
  return Status::Ok();
}

Status MdxFile::MaxRecno(int tag, uint32_t page, uint32_t* recno) const {
  const int item = tags_[size_t(tag)].item_len();
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    std::shared_ptr<const Node> n;
    Status st = Load(tag, page, &n);
    if (!st.ok()) return st;
    if (n->leaf(item)) {
      *recno = n->n() ? n->num(item, n->n() - 1) : 0;
      return Status::Ok();
    }
    page = n->child(item, n->n());
  }
  return Fail("タグ " + tags_[size_t(tag)].name + " のページがループしています");
}

Status MdxFile::DescendTo(int tag, const unsigned char* key, uint32_t recno,
                          std::vector<PathStep>* path) const {
  path->clear();
  const TagDef& t = tags_[size_t(tag)];
  const int item = t.item_len();
  uint32_t page = roots_[size_t(tag)];
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    std::shared_ptr<const Node> n;
    Status st = Load(tag, page, &n);
    if (!st.ok()) return st;
    uint32_t cnt = n->n();
    uint32_t lo = 0, hi = cnt;
    if (n->leaf(item)) {
      while (lo < hi) {  // first entry >= (key, recno)
        uint32_t mid = (lo + hi) / 2;
        int c = CompareKeys(t, n->key(item, mid), key);
        if (c < 0 || (c == 0 && n->num(item, mid) < recno))
          lo = mid + 1;
        else
          hi = mid;
      }
      path->push_back({n, lo});
      return Status::Ok();
    }
    while (lo < hi) {  // first child whose largest entry >= (key, recno)
      uint32_t mid = (lo + hi) / 2;
      int c = CompareKeys(t, n->key(item, mid), key);
      bool below = c < 0;
      if (c == 0) {
        uint32_t mr = 0;
        st = MaxRecno(tag, n->child(item, mid), &mr);
        if (!st.ok()) return st;
        below = mr < recno;
      }
      if (below)
        lo = mid + 1;
      else
        hi = mid;
    }
    path->push_back({n, lo});
    page = n->child(item, lo);
  }
  return Fail("タグ " + t.name + " のページがループしています");
}

Status MdxFile::Insert(int tag, const std::string& key, uint32_t recno) {
  std::vector<PathStep> path;
  Status st = DescendTo(tag, reinterpret_cast<const unsigned char*>(key.data()), recno, &path);
  if (!st.ok()) return st;
  st = InsertInto(tag, path, path.size() - 1, reinterpret_cast<const unsigned char*>(key.data()),
                  recno);
  if (!st.ok()) return st;
  if (path.size() == 1 && path[0].node->n() == 1) {
    // The tag has keys now.
    unsigned char one = 1;
    file_.WriteAt(uint64_t(tag_pages_[size_t(tag)]) * 512 + 246, &one, 1);
  }
  return Status::Ok();
}

Status MdxFile::InsertInto(int tag, std::vector<PathStep>& path, size_t level,
                           const unsigned char* key, uint32_t num) {
  const TagDef& t = tags_[size_t(tag)];
  const int item = t.item_len();
  const uint32_t maxk = uint32_t(t.max_keys());
  auto node = path[level].node;
  uint32_t pos = path[level].idx;
  bool leaf = node->leaf(item);
  uint32_t cnt = node->n();
  std::vector<std::pair<uint32_t, const unsigned char*>> e;
  e.reserve(cnt + 1);
  for (uint32_t j = 0; j < cnt; ++j) {
    if (j == pos) e.push_back({num, key});
    e.push_back({node->num(item, j), node->key(item, j)});
  }
  if (pos >= cnt) e.push_back({num, key});
  uint32_t rightmost = leaf ? 0 : node->child(item, cnt);
  if (e.size() <= maxk) {
    Status st = WriteNode(tag, node->page, MakeNode(item, t.key_len, e, rightmost));
    if (st.ok()) path[level].node = cache_[CacheKey(tag, node->page)];
    return st;
  }
  // Split: a new page takes the lower half, the old page keeps the upper half.
  size_t m = e.size() / 2;
  uint32_t left_page;
  Status st = AllocBlock(&left_page);
  if (!st.ok()) return st;
  std::string sep;
  std::vector<unsigned char> left_data, right_data;
  if (leaf) {
    std::vector<std::pair<uint32_t, const unsigned char*>> l(e.begin(), e.begin() + long(m));
    std::vector<std::pair<uint32_t, const unsigned char*>> r(e.begin() + long(m), e.end());
    sep.assign(reinterpret_cast<const char*>(l.back().second), size_t(t.key_len));
    left_data = MakeNode(item, t.key_len, l, 0);
    right_data = MakeNode(item, t.key_len, r, 0);
  } else {
    std::vector<std::pair<uint32_t, const unsigned char*>> l(e.begin(), e.begin() + long(m));
    std::vector<std::pair<uint32_t, const unsigned char*>> r(e.begin() + long(m) + 1, e.end());
    sep.assign(reinterpret_cast<const char*>(e[m].second), size_t(t.key_len));
    left_data = MakeNode(item, t.key_len, l, e[m].first);
    right_data = MakeNode(item, t.key_len, r, rightmost);
  }
  st = WriteNode(tag, left_page, left_data);
  if (!st.ok()) return st;
  st = WriteNode(tag, node->page, right_data);
  if (!st.ok()) return st;
  const auto* sepk = reinterpret_cast<const unsigned char*>(sep.data());
  if (level == 0) {
    uint32_t root_page;
    st = AllocBlock(&root_page);
    if (!st.ok()) return st;
    std::vector<std::pair<uint32_t, const unsigned char*>> r{{left_page, sepk}};
    st = WriteNode(tag, root_page, MakeNode(item, t.key_len, r, node->page));
    if (!st.ok()) return st;
    return WriteTagRoot(tag, root_page);
  }
  return InsertInto(tag, path, level - 1, sepk, left_page);
}

Status MdxFile::FixMaxUpward(int tag, std::vector<PathStep>& path, size_t level,
                             const unsigned char* key) {
  const TagDef& t = tags_[size_t(tag)];
  const int item = t.item_len();
  for (size_t l = level; l-- > 0;) {
    auto node = path[l].node;
    uint32_t i = path[l].idx;
    if (i < node->n()) {
      std::vector<unsigned char> d = node->data;
      memcpy(d.data() + 12 + i * uint32_t(item), key, size_t(t.key_len));
      Status st = WriteNode(tag, node->page, d);
      if (st.ok()) path[l].node = cache_[CacheKey(tag, node->page)];
      return st;
    }
  }
  return Status::Ok();
}

Status MdxFile::RemoveChild(int tag, std::vector<PathStep>& path, size_t level) {
  const TagDef& t = tags_[size_t(tag)];
  const int item = t.item_len();
  size_t pl = level - 1;
  auto node = path[pl].node;
  uint32_t i = path[pl].idx;
  uint32_t cnt = node->n();
  std::vector<std::pair<uint32_t, const unsigned char*>> e;
  for (uint32_t j = 0; j < cnt; ++j) e.push_back({node->num(item, j), node->key(item, j)});
  uint32_t rightmost = node->child(item, cnt);
  if (i < cnt) {
    e.erase(e.begin() + i);
    Status st = WriteNode(tag, node->page, MakeNode(item, t.key_len, e, rightmost));
    if (st.ok()) path[pl].node = cache_[CacheKey(tag, node->page)];
    return st;
  }
  if (cnt == 0) {
    if (pl == 0) {  // the tree is empty: the root becomes an empty leaf
      Status st = WriteNode(tag, node->page, std::vector<unsigned char>(kBlock, 0));
      if (st.ok()) path[pl].node = cache_[CacheKey(tag, node->page)];
      return st;
    }
    return RemoveChild(tag, path, pl);
  }
  std::string newmax(reinterpret_cast<const char*>(e.back().second), size_t(t.key_len));
  rightmost = e.back().first;
  e.pop_back();
  Status st = WriteNode(tag, node->page, MakeNode(item, t.key_len, e, rightmost));
  if (!st.ok()) return st;
  path[pl].node = cache_[CacheKey(tag, node->page)];
  return FixMaxUpward(tag, path, pl, reinterpret_cast<const unsigned char*>(newmax.data()));
}

Status MdxFile::Remove(int tag, const std::string& key, uint32_t recno) {
  const TagDef& t = tags_[size_t(tag)];
  const int item = t.item_len();
  std::vector<PathStep> path;
  const auto* k = reinterpret_cast<const unsigned char*>(key.data());
  Status st = DescendTo(tag, k, recno, &path);
  if (!st.ok()) return st;
  auto leaf = path.back().node;
  uint32_t idx = path.back().idx;
  if (idx >= leaf->n() || leaf->num(item, idx) != recno ||
      CompareKeys(t, leaf->key(item, idx), k) != 0)
    return Fail("タグ " + t.name + " にレコード " + std::to_string(recno) + " のキーがありません");
  uint32_t cnt = leaf->n();
  if (cnt == 1 && path.size() > 1) return RemoveChild(tag, path, path.size() - 1);
  std::vector<std::pair<uint32_t, const unsigned char*>> e;
  for (uint32_t j = 0; j < cnt; ++j)
    if (j != idx) e.push_back({leaf->num(item, j), leaf->key(item, j)});
  std::string newmax;
  if (idx == cnt - 1 && !e.empty())
    newmax.assign(reinterpret_cast<const char*>(e.back().second), size_t(t.key_len));
  st = WriteNode(tag, leaf->page, MakeNode(item, t.key_len, e, 0));
  if (!st.ok()) return st;
  path.back().node = cache_[CacheKey(tag, leaf->page)];
  if (!newmax.empty())
    return FixMaxUpward(tag, path, path.size() - 1,
                        reinterpret_cast<const unsigned char*>(newmax.data()));
  return Status::Ok();
}

// ---- Cursor ----

uint32_t MdxFile::Cursor::recno() const {
  const auto& l = path_.back();
  return l.node->num(mdx_->tags_[size_t(tag_)].item_len(), l.idx);
}

std::string MdxFile::Cursor::key() const {
  const auto& l = path_.back();
  const TagDef& t = mdx_->tags_[size_t(tag_)];
  return std::string(reinterpret_cast<const char*>(l.node->key(t.item_len(), l.idx)),
                     size_t(t.key_len));
}

Status MdxFile::Cursor::DescendEdge(uint32_t page, bool right, bool* found) {
  const int item = mdx_->tags_[size_t(tag_)].item_len();
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    if (path_.size() > size_t(kMaxDepth)) break;
    std::shared_ptr<const Node> n;
    Status st = mdx_->Load(tag_, page, &n);
    if (!st.ok()) return st;
    uint32_t cnt = n->n();
    if (n->leaf(item)) {
      if (cnt == 0) {
        path_.push_back({n, 0});
        *found = false;
        return Status::Ok();
      }
      path_.push_back({n, right ? cnt - 1 : 0});
      *found = true;
      return Status::Ok();
    }
    uint32_t idx = right ? cnt : 0;
    path_.push_back({n, idx});
    page = n->child(item, idx);
  }
  return mdx_->Fail("タグ " + mdx_->tags_[size_t(tag_)].name + " のページがループしています");
}

Status MdxFile::Cursor::First(bool* found) {
  path_.clear();
  Status st = DescendEdge(mdx_->roots_[size_t(tag_)], false, found);
  if (!st.ok() || *found) return st;
  return Normalize(found);
}

Status MdxFile::Cursor::Last(bool* found) {
  path_.clear();
  Status st = DescendEdge(mdx_->roots_[size_t(tag_)], true, found);
  if (!st.ok() || *found) return st;
  return StepBack(found);
}

Status MdxFile::Cursor::Seek(const std::string& key, uint32_t recno, bool* found) {
  std::vector<PathStep> p;
  Status st = mdx_->DescendTo(tag_, reinterpret_cast<const unsigned char*>(key.data()), recno, &p);
  if (!st.ok()) return st;
  path_ = std::move(p);
  return Normalize(found);
}

Status MdxFile::Cursor::Normalize(bool* found) {
  const int item = mdx_->tags_[size_t(tag_)].item_len();
  int guard = 0;
  while (true) {
    if (path_.empty()) {
      *found = false;
      return Status::Ok();
    }
    if (path_.back().idx < path_.back().node->n()) {
      *found = true;
      return Status::Ok();
    }
    // Leaf exhausted: climb to the first level with a further child.
    path_.pop_back();
    while (!path_.empty() && path_.back().idx >= path_.back().node->n()) path_.pop_back();
    if (path_.empty()) {
      *found = false;
      return Status::Ok();
    }
    ++path_.back().idx;
    uint32_t child = path_.back().node->child(item, path_.back().idx);
    bool f = false;
    Status st = DescendEdge(child, false, &f);
    if (!st.ok()) return st;
    if (++guard > 1000000) return mdx_->Fail("索引の走査が終わりません");
  }
}

Status MdxFile::Cursor::CheckStep(const std::shared_ptr<const Node>& from_node, uint32_t from_idx,
                                  bool forward, bool found) {
  if (!found || !from_node || from_idx >= from_node->n()) return Status::Ok();
  const TagDef& t = mdx_->tags_[size_t(tag_)];
  const int item = t.item_len();
  const auto& to = path_.back();
  int c = CompareKeys(t, to.node->key(item, to.idx), from_node->key(item, from_idx));
  uint32_t a = to.node->num(item, to.idx), b = from_node->num(item, from_idx);
  bool after = c > 0 || (c == 0 && a > b);
  bool before = c < 0 || (c == 0 && a < b);
  if (forward ? after : before) return Status::Ok();
  return mdx_->Fail("タグ " + t.name + " の順序が乱れています (レコード " + std::to_string(a) +
                    ")");
}

Status MdxFile::Cursor::Next(bool* found) {
  if (path_.empty()) {
    *found = false;
    return Status::Ok();
  }
  auto from = path_.back().node;
  uint32_t from_idx = path_.back().idx;
  ++path_.back().idx;
  Status st = Normalize(found);
  if (!st.ok()) return st;
  return CheckStep(from, from_idx, true, *found);
}

Status MdxFile::Cursor::Prior(bool* found) {
  std::shared_ptr<const Node> from;
  uint32_t from_idx = 0;
  if (!path_.empty()) {
    from = path_.back().node;
    from_idx = path_.back().idx;
  }
  Status st = StepBack(found);
  if (!st.ok()) return st;
  return CheckStep(from, from_idx, false, *found);
}

Status MdxFile::Cursor::StepBack(bool* found) {
  const int item = mdx_->tags_[size_t(tag_)].item_len();
  int guard = 0;
  while (true) {
    if (path_.empty()) {
      *found = false;
      return Status::Ok();
    }
    auto& top = path_.back();
    if (top.idx > 0 && top.idx <= top.node->n()) {
      --top.idx;
      *found = true;
      return Status::Ok();
    }
    path_.pop_back();
    while (!path_.empty() && path_.back().idx == 0) path_.pop_back();
    if (path_.empty()) {
      *found = false;
      return Status::Ok();
    }
    --path_.back().idx;
    uint32_t child = path_.back().node->child(item, path_.back().idx);
    bool f = false;
    Status st = DescendEdge(child, true, &f);
    if (!st.ok()) return st;
    if (f) {
      *found = true;
      return Status::Ok();
    }
    if (++guard > 1000000) return mdx_->Fail("索引の走査が終わりません");
  }
}

Status MdxFile::Walk(int tag, std::vector<IndexEntry>* out,
                     std::vector<std::string>* faults) const {
  out->clear();
  const TagDef& t = tags_[size_t(tag)];
  const int item = t.item_len();
  std::vector<char> seen(pages_ + 2, 0);
  struct Frame {
    uint32_t page;
    int depth;
  };
  // Depth-first, children in order; each page may be met once.
  std::vector<Frame> stack{{roots_[size_t(tag)], 0}};
  int leaf_depth = -1;
  while (!stack.empty()) {
    Frame f = stack.back();
    stack.pop_back();
    if (f.page < pages_ && seen[f.page]) {
      faults->push_back(BaseName(file_.path()) + ": タグ " + t.name + " のページ " +
                        std::to_string(f.page) + " が二度参照されています (ループ)");
      return Status::Error(faults->back());
    }
    if (f.depth > kMaxDepth) return Fail("タグ " + t.name + " が深すぎます");
    std::shared_ptr<const Node> n;
    Status st = Load(tag, f.page, &n);
    if (!st.ok()) {
      faults->push_back(st.message());
      return st;
    }
    seen[f.page] = 1;
    uint32_t cnt = n->n();
    if (n->leaf(item)) {
      if (leaf_depth < 0)
        leaf_depth = f.depth;
      else if (leaf_depth != f.depth)
        faults->push_back(BaseName(file_.path()) + ": タグ " + t.name +
                          " の葉の深さがそろっていません");
      for (uint32_t j = 0; j < cnt; ++j)
        out->push_back(
            {std::string(reinterpret_cast<const char*>(n->key(item, j)), size_t(t.key_len)),
             n->num(item, j)});
    } else {
      for (uint32_t j = cnt + 1; j-- > 0;) stack.push_back({n->child(item, j), f.depth + 1});
    }
  }
  return Status::Ok();
}

}  // namespace sk::store
