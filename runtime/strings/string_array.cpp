#include "runtime/strings/string_array.h"

const StringC& StringArrayC::at(int32_t i) const {
  static const StringC* empty = new StringC();
  if (i < 0 || i >= count()) return *empty;
  return items_[static_cast<size_t>(i)];
}
