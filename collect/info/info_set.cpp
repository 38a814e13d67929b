#include "collect/info/info_set.h"

#include <functional>
#include <string_view>
#include <vector>

namespace {

// The compared pieces in name order, stable for equal names. Sets have a
// handful of pieces and the App-V collector compares a thousand sets per
// cycle, so the common case stays on the stack and sorts by insertion
// (stable, and cheaper than std::stable_sort's buffer at this size).
class ComparedInNameOrderC {
 public:
  explicit ComparedInNameOrderC(const InfoSet& set) {
    if (set.count() > kInline) {
      spill_.resize(set.count());
      pieces_ = spill_.data();
    }
    for (const RefM<InfoPiece>& p : set) {
      if (!p || !p->compared()) continue;
      const InfoPiece* piece = p.get();
      size_t at = count_;
      while (at > 0 && piece->nameRef().compare(pieces_[at - 1]->nameRef()) < 0) {
        pieces_[at] = pieces_[at - 1];
        --at;
      }
      pieces_[at] = piece;
      ++count_;
    }
  }
  ComparedInNameOrderC(const ComparedInNameOrderC&) = delete;
  ComparedInNameOrderC& operator=(const ComparedInNameOrderC&) = delete;

  size_t size() const { return count_; }
  const InfoPiece* operator[](size_t i) const { return pieces_[i]; }

 private:
  static constexpr size_t kInline = 16;
  const InfoPiece* inline_[kInline];
  std::vector<const InfoPiece*> spill_;
  const InfoPiece** pieces_ = inline_;
  size_t count_ = 0;
};

}  // namespace

bool InfoSet::differsFrom(const InfoSet& other) const {
  const ComparedInNameOrderC a(*this);
  const ComparedInNameOrderC b(other);
  if (a.size() != b.size()) return true;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i]->valueRef() != b[i]->valueRef()) return true;
  return false;
}

size_t InfoSet::comparisonHash() const {
  const ComparedInNameOrderC pieces(*this);
  size_t hash = pieces.size();
  for (size_t i = 0; i < pieces.size(); ++i) {
    const size_t value = std::hash<std::string_view>{}(pieces[i]->valueRef().utf8());
    hash ^= value + static_cast<size_t>(0x9E3779B97F4A7C15ull) + (hash << 6) + (hash >> 2);
  }
  return hash;
}

uint32_t InfoSet::writeAttributes(XmlOutputStreamI& out) const {
  for (const RefM<InfoPiece>& p : *this) {
    if (!p || p->hidden()) continue;
    if (const uint32_t status = out.attribute(p->nameRef(), p->valueRef())) return status;
  }
  return 0;
}
