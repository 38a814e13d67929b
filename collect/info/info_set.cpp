#include "collect/info/info_set.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<const InfoPiece*> comparedInNameOrder(const InfoSet& set) {
  std::vector<const InfoPiece*> pieces;
  pieces.reserve(set.count());
  for (const RefM<InfoPiece>& p : set)
    if (p && p->compared()) pieces.push_back(p.get());
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const InfoPiece* a, const InfoPiece* b) { return a->nameRef().compare(b->nameRef()) < 0; });
  return pieces;
}

}  // namespace

bool InfoSet::differsFrom(const InfoSet& other) const {
  const std::vector<const InfoPiece*> a = comparedInNameOrder(*this);
  const std::vector<const InfoPiece*> b = comparedInNameOrder(other);
  if (a.size() != b.size()) return true;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i]->valueRef() != b[i]->valueRef()) return true;
  return false;
}

std::string InfoSet::comparisonKey() const {
  std::string key;
  for (const InfoPiece* p : comparedInNameOrder(*this)) {
    // Length-prefixed, so no value can run into the next one.
    const std::string_view v = p->valueRef().utf8();
    key += std::to_string(v.size());
    key += ':';
    key += v;
  }
  return key;
}

uint32_t InfoSet::writeAttributes(XmlOutputStreamI& out) const {
  for (const RefM<InfoPiece>& p : *this) {
    if (!p || p->hidden()) continue;
    if (const uint32_t status = out.attribute(p->nameRef(), p->valueRef())) return status;
  }
  return 0;
}
