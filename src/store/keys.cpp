#include "store/keys.h"

#include <strings.h>

#include <cctype>
#include <cstring>

#include "convert/sjis.h"

namespace sk::store {

namespace {

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool IsValidDate(int y, int m, int d) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || m < 1 || m > 12 || d < 1) return false;
  int dim = kDays[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) dim = 29;
  return d <= dim;
}

}  // namespace

double JulianDay(int y, int m, int d) {
  int a = (14 - m) / 12;
  long yy = y + 4800 - a;
  long mm = m + 12 * a - 3;
  long jdn = d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
  return double(jdn);
}

bool ParseDate8(const char* p, int* y, int* m, int* d) {
  for (int i = 0; i < 8; ++i)
    if (p[i] < '0' || p[i] > '9') return false;
  *y = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
  *m = (p[4] - '0') * 10 + (p[5] - '0');
  *d = (p[6] - '0') * 10 + (p[7] - '0');
  return IsValidDate(*y, *m, *d);
}

Status ParseTag(const std::string& name, const std::string& expr, bool is_expr,
                const std::vector<FieldDef>& fields, TagDef* out) {
  TagDef t;
  t.name = name;
  t.expr = expr;
  t.is_expr = is_expr;
  auto bad = [&](const std::string& why) {
    return Status::Error("索引タグ " + name + " のキー式 \"" + expr +
                         "\" を解釈できません: " + why);
  };
  if (name.empty() || name.size() > 10) return bad("タグ名の長さ");
  if (!is_expr) {
    int f = FindField(fields, Trim(expr));
    if (f < 0) return bad("フィールドがありません");
    t.terms.push_back({KeyTerm::kField, f});
    if (fields[size_t(f)].type == 'D') {
      t.type = 'D';
      t.key_len = 8;
    } else {
      t.type = 'C';
      t.key_len = fields[size_t(f)].width;
    }
  } else {
    size_t pos = 0;
    std::string e = expr;
    while (true) {
      size_t plus = e.find('+', pos);
      std::string term =
          Trim(e.substr(pos, plus == std::string::npos ? std::string::npos : plus - pos));
      KeyTerm kt;
      std::string fname = term;
      size_t open = term.find('(');
      if (open != std::string::npos) {
        if (term.back() != ')') return bad("括弧が閉じていません");
        std::string fn = Trim(term.substr(0, open));
        fname = Trim(term.substr(open + 1, term.size() - open - 2));
        if (strcasecmp(fn.c_str(), "UPPER") == 0)
          kt.kind = KeyTerm::kUpper;
        else if (strcasecmp(fn.c_str(), "DTOS") == 0)
          kt.kind = KeyTerm::kDtos;
        else
          return bad("関数 " + fn + " は使えません");
      }
      int f = FindField(fields, fname);
      if (f < 0) return bad("フィールド " + fname + " がありません");
      kt.field = f;
      char ft = fields[size_t(f)].type;
      if (kt.kind == KeyTerm::kDtos) {
        if (ft != 'D') return bad("DTOS() の引数が日付ではありません");
        t.key_len += 8;
      } else {
        if (ft != 'C') return bad("文字フィールドではありません");
        t.key_len += fields[size_t(f)].width;
      }
      t.terms.push_back(kt);
      if (plus == std::string::npos) break;
      pos = plus + 1;
    }
    t.type = 'C';
  }
  if (t.key_len < 1 || t.key_len > 100) return bad("キー長 " + std::to_string(t.key_len));
  *out = std::move(t);
  return Status::Ok();
}

std::string MakeKey(const TagDef& tag, const std::vector<FieldDef>& fields,
                    const std::string& rec) {
  if (tag.type == 'D') {
    const FieldDef& f = fields[size_t(tag.terms[0].field)];
    double jd = 0.0;
    int y, m, d;
    if (size_t(1 + f.offset + 8) <= rec.size() && ParseDate8(rec.data() + 1 + f.offset, &y, &m, &d))
      jd = JulianDay(y, m, d);
    std::string k(8, '\0');
    memcpy(k.data(), &jd, 8);  // little-endian on every target we build for
    return k;
  }
  std::string k;
  k.reserve(size_t(tag.key_len));
  for (const KeyTerm& t : tag.terms) {
    const FieldDef& f = fields[size_t(t.field)];
    std::string v = rec.substr(size_t(1 + f.offset), size_t(f.width));
    if (t.kind == KeyTerm::kUpper) {
      v = sjis::HankakuToUpperLowerCase(v, 2);
    } else if (t.kind == KeyTerm::kDtos) {
      int y, m, d;
      if (v.size() != 8 || !ParseDate8(v.data(), &y, &m, &d)) v.assign(8, ' ');
    }
    k += v;
  }
  k.resize(size_t(tag.key_len), ' ');
  return k;
}

int CompareKeys(const TagDef& tag, const unsigned char* a, const unsigned char* b) {
  if (tag.type == 'D') {
    double x, y;
    memcpy(&x, a, 8);
    memcpy(&y, b, 8);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  return memcmp(a, b, size_t(tag.key_len));
}

}  // namespace sk::store
