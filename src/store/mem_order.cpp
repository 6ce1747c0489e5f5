#include "store/mem_order.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "store/file_io.h"

namespace sk::store {

class MemOrder::Cursor : public OrderCursor {
 public:
  explicit Cursor(const MemOrder* order) : order_(order) {}
  Status First(bool* found) override { return At(0, found); }
  Status Last(bool* found) override {
    return order_->count_ ? At(order_->count_ - 1, found) : At(0, found);
  }
  Status Seek(const std::string& key, uint32_t recno, bool* found) override {
    std::string k = key;
    k.resize(size_t(order_->tag_.key_len), '\0');
    return At(order_->LowerBound(reinterpret_cast<const unsigned char*>(k.data()), recno), found);
  }
  Status Next(bool* found) override {
    if (pos_ >= order_->count_) {
      *found = false;
      return Status::Ok();
    }
    return At(pos_ + 1, found);
  }
  Status Prior(bool* found) override {
    if (pos_ == 0 || pos_ > order_->count_) {
      pos_ = kBefore;
      *found = false;
      return Status::Ok();
    }
    return At(pos_ - 1, found);
  }
  uint32_t recno() const override { return order_->recno(pos_); }

 private:
  static constexpr size_t kBefore = SIZE_MAX;
  Status At(size_t pos, bool* found) {
    pos_ = std::min(pos, order_->count_);
    *found = pos_ < order_->count_;
    return Status::Ok();
  }
  const MemOrder* order_;
  size_t pos_ = 0;  // count_ past the end, kBefore before the start
};

uint32_t MemOrder::recno(size_t i) const {
  return Get32(entries_.data() + i * stride_ + size_t(tag_.key_len));
}

std::unique_ptr<OrderCursor> MemOrder::NewCursor() const { return std::make_unique<Cursor>(this); }

size_t MemOrder::LowerBound(const unsigned char* k, uint32_t r) const {
  size_t lo = 0, hi = count_;
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    int c = CompareKeys(tag_, key(mid), k);
    if (c < 0 || (c == 0 && recno(mid) < r))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

Status MemOrder::Build(const DbfFile& dbf, const TagDef& tag, std::unique_ptr<MemOrder>* out) {
  auto m = std::make_unique<MemOrder>();
  m->tag_ = tag;
  const size_t kl = size_t(tag.key_len);
  m->stride_ = kl + 4;
  // The keys in record order, in one allocation (deleted records leave a little room unused).
  m->entries_.reserve(size_t(dbf.record_count()) * m->stride_);
  std::string rec, spill;
  for (uint32_t r = 1; r <= dbf.record_count(); ++r) {
    std::string_view view;
    Status st = dbf.ViewRecord(r, &view, &spill);
    if (!st.ok()) return st;
    if (view.empty() || view[0] == '*') continue;
    rec.assign(view);
    std::string key = MakeKey(tag, dbf.fields(), rec);
    key.resize(kl, '\0');
    size_t at = m->entries_.size();
    m->entries_.resize(at + m->stride_);
    memcpy(m->entries_.data() + at, key.data(), kl);
    Put32(m->entries_.data() + at + kl, r);
  }
  const size_t n = m->entries_.size() / m->stride_;
  m->count_ = n;
  // Sort a permutation (entries are in record order, so ties fall to the earlier one), then put
  // the entries in its order in place, one cycle at a time.
  std::vector<uint32_t> perm(n);
  for (size_t i = 0; i < n; ++i) perm[i] = uint32_t(i);
  const unsigned char* base = m->entries_.data();
  const size_t stride = m->stride_;
  std::sort(perm.begin(), perm.end(), [&](uint32_t a, uint32_t b) {
    int c = CompareKeys(tag, base + a * stride, base + b * stride);
    return c < 0 || (c == 0 && a < b);
  });
  constexpr uint32_t kDone = UINT32_MAX;
  std::vector<unsigned char> tmp(stride);
  unsigned char* e = m->entries_.data();
  for (size_t i = 0; i < n; ++i) {
    if (perm[i] == kDone) continue;
    memcpy(tmp.data(), e + i * stride, stride);
    size_t j = i;
    while (true) {
      size_t k = perm[j];
      perm[j] = kDone;
      if (k == i) {
        memcpy(e + j * stride, tmp.data(), stride);
        break;
      }
      memcpy(e + j * stride, e + k * stride, stride);
      j = k;
    }
  }
  *out = std::move(m);
  return Status::Ok();
}

}  // namespace sk::store
