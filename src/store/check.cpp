#include "store/check.h"

#include <algorithm>

#include "store/page_file.h"
#include "store/table.h"

namespace sk::store {

std::vector<std::string> CheckTableFiles(const std::string& path) {
  std::vector<std::string> faults;
  Table t;
  Table::OpenOptions o;
  o.read_only = true;
  Status st = t.Open(path, o);
  if (!st.ok()) {
    faults.push_back(st.message());
    return faults;
  }
  for (auto& n : t.TakeNotices()) faults.push_back(n);
  const DbfFile& dbf = t.dbf();
  std::string rec;
  // Records and memos.
  std::vector<char> live(dbf.record_count() + 1, 0);
  for (uint32_t r = 1; r <= dbf.record_count(); ++r) {
    st = dbf.ReadRecord(r, &rec);
    if (!st.ok()) {
      faults.push_back(st.message());
      break;
    }
    if (rec[0] != ' ' && rec[0] != '*')
      faults.push_back(BaseName(path) + ": レコード " + std::to_string(r) +
                       " の削除フラグが不正です");
    live[r] = rec[0] != '*';
  }
  if (t.dbt().is_open() && t.dbt().header_next_free() > t.dbt().blocks_in_file())
    faults.push_back(BaseName(t.dbt().path()) + ": ヘッダーの次の空きブロック " +
                     std::to_string(t.dbt().header_next_free()) + " がファイルの末尾 (" +
                     std::to_string(t.dbt().blocks_in_file()) + " ブロック) を越えています");
  if (t.dbt().is_open()) {
    // Every memo a live record points at must be readable.
    Status s = t.First();
    while (s.ok() && !t.Eof()) {
      for (const auto& f : t.fields()) {
        if (f.type != 'M') continue;
        std::string v;
        Status r = t.ReadField(f.name, &v);
        if (!r.ok()) faults.push_back(r.message());
      }
      s = t.Next();
    }
    if (!s.ok()) faults.push_back(s.message());
  }
  // Tags: exactly the live records, in key order, equal keys in record order.
  const MdxFile& mdx = t.mdx();
  if (mdx.is_open()) {
    for (size_t ti = 0; ti < mdx.tags().size(); ++ti) {
      const TagDef& tag = mdx.tags()[ti];
      std::vector<IndexEntry> es;
      std::vector<std::string> tf;
      Status w = mdx.Walk(int(ti), &es, &tf);
      for (auto& f : tf) faults.push_back(f);
      if (!w.ok()) {
        if (tf.empty()) faults.push_back(w.message());
        continue;
      }
      std::vector<char> seen(dbf.record_count() + 1, 0);
      size_t bad = 0;
      for (size_t i = 0; i < es.size(); ++i) {
        uint32_t r = es[i].recno;
        std::string where = BaseName(mdx.path()) + ": タグ " + tag.name + " ";
        if (r < 1 || r > dbf.record_count()) {
          faults.push_back(where + "のレコード番号 " + std::to_string(r) + " がテーブルの外です");
          continue;
        }
        if (seen[r]++)
          faults.push_back(where + "にレコード " + std::to_string(r) + " が二度あります");
        if (!live[r])
          faults.push_back(where + "に削除されたレコード " + std::to_string(r) +
                           " のキーがあります");
        if (dbf.ReadRecord(r, &rec).ok() && MakeKey(tag, dbf.fields(), rec) != es[i].key &&
            bad++ < 20)
          faults.push_back(where + "のレコード " + std::to_string(r) +
                           " のキーがレコードと合いません");
        if (i > 0) {
          int c = CompareKeys(tag, reinterpret_cast<const unsigned char*>(es[i - 1].key.data()),
                              reinterpret_cast<const unsigned char*>(es[i].key.data()));
          if (c > 0 || (c == 0 && es[i - 1].recno >= r))
            if (bad++ < 20)
              faults.push_back(where + "の順序がレコード " + std::to_string(r) +
                               " の前で乱れています");
        }
      }
      for (uint32_t r = 1; r <= dbf.record_count(); ++r)
        if (live[r] && !seen[r]) {
          faults.push_back(BaseName(mdx.path()) + ": タグ " + tag.name + " にレコード " +
                           std::to_string(r) + " のキーがありません");
          if (bad++ > 20) break;
        }
    }
  }
  t.Close();
  return faults;
}

}  // namespace sk::store
