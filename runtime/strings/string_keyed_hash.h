// StringKeyedHashC: a table of caller-owned elements keyed by a StringC.
// Subclass StringKeyedHashElemC to carry a payload.
#pragma once

#include "runtime/strings/hash_table.h"
#include "runtime/strings/string_c.h"

struct StringKeyedHashElemC : HashElemC {
  explicit StringKeyedHashElemC(const StringC& k) : key(k) {}
  virtual ~StringKeyedHashElemC() = default;
  StringC key;
};

class StringKeyedHashC {
 public:
  // The element stays the caller's; it must outlive its membership.
  void add(StringKeyedHashElemC* e);
  bool remove(StringKeyedHashElemC* e) { return table_.remove(e); }
  // The first element with this key (exact comparison), or null.
  StringKeyedHashElemC* find(const StringC& key) const;
  uint32_t count() const { return table_.count(); }

 private:
  HashTableC table_;
};
