// StringArrayC: an ordered array of StringC.
#pragma once

#include <vector>

#include "runtime/strings/string_c.h"

class StringArrayC {
 public:
  void add(const StringC& s) { items_.push_back(s); }
  int32_t count() const { return static_cast<int32_t>(items_.size()); }
  // The element at i; an empty string outside the array.
  const StringC& at(int32_t i) const;
  void clear() { items_.clear(); }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<StringC> items_;
};
