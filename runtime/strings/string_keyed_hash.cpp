#include "runtime/strings/string_keyed_hash.h"

#include "runtime/strings/hash_map.h"

void StringKeyedHashC::add(StringKeyedHashElemC* e) { table_.insert(e, StringMapHashOf(e->key)); }

StringKeyedHashElemC* StringKeyedHashC::find(const StringC& key) const {
  const uint32_t h = StringMapHashOf(key);
  for (HashElemC* e = table_.bucketOf(h); e; e = e->next) {
    auto* s = static_cast<StringKeyedHashElemC*>(e);
    if (e->hash == h && s->key == key) return s;
  }
  return nullptr;
}
