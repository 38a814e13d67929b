// HashMapM: keys to values on top of HashTableC. Several entries may carry
// the same key. Entries are owned by the map.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "runtime/strings/hash_table.h"
#include "runtime/strings/string_array.h"
#include "runtime/strings/string_c.h"

// Spreads unsigned keys over the low bits, which addressing uses.
inline uint32_t hashOf(uint32_t key) {
  key ^= key >> 16;
  key *= 0x7FEB352Du;
  key ^= key >> 15;
  key *= 0x846CA68Bu;
  key ^= key >> 16;
  return key;
}

// FNV-1a over the UTF-8 bytes.
inline uint32_t StringMapHashOf(const StringC& key) {
  uint32_t h = 2166136261u;
  for (char c : key.utf8()) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

template <typename K>
struct HashOfM {
  uint32_t operator()(const K& k) const { return hashOf(static_cast<uint32_t>(k)); }
};

template <>
struct HashOfM<StringC> {
  uint32_t operator()(const StringC& k) const { return StringMapHashOf(k); }
};

template <typename K, typename V>
struct HashElemM : HashElemC {
  HashElemM(const K& k, const V& v) : key(k), value(v) {}
  K key;
  V value;
};

// The entries of one bucket whose key equals the key asked, in bucket order.
template <typename K, typename V, typename Eq = std::equal_to<K>>
class HashResultM {
 public:
  HashResultM(HashElemC* first, const K& key) : key_(key), at_(first) { skip(); }
  bool valid() const { return at_ != nullptr; }
  HashElemM<K, V>* element() const { return static_cast<HashElemM<K, V>*>(at_); }
  V& value() const { return element()->value; }
  void next() {
    at_ = at_->next;
    skip();
  }

 private:
  void skip() {
    while (at_ && !Eq()(static_cast<HashElemM<K, V>*>(at_)->key, key_)) at_ = at_->next;
  }
  K key_;
  HashElemC* at_;
};

template <typename K, typename V, typename H = HashOfM<K>, typename Eq = std::equal_to<K>>
class HashMapM {
 public:
  using ElemT = HashElemM<K, V>;
  using ResultT = HashResultM<K, V, Eq>;

  HashMapM() = default;
  ~HashMapM() { clear(); }
  HashMapM(const HashMapM&) = delete;
  HashMapM& operator=(const HashMapM&) = delete;

  void insert(const K& key, const V& value) {
    auto* e = new ElemT(key, value);
    table_.insert(e, H()(key));
  }

  ResultT find(const K& key) const { return ResultT(table_.bucketOf(H()(key)), key); }

  // Removes the first entry with this key and this value.
  bool removeValue(const K& key, const V& value) {
    for (ResultT r = find(key); r.valid(); r.next()) {
      if (r.value() == value) {
        ElemT* e = r.element();
        table_.remove(e);
        delete e;
        return true;
      }
    }
    return false;
  }

  // Removes every entry with this key; returns how many.
  uint32_t remove(const K& key) {
    uint32_t n = 0;
    for (;;) {
      ResultT r = find(key);
      if (!r.valid()) return n;
      ElemT* e = r.element();
      table_.remove(e);
      delete e;
      ++n;
    }
  }

  void clear() {
    std::vector<HashElemC*> all;
    table_.forEach([&](HashElemC* e) { all.push_back(e); });
    for (HashElemC* e : all) {
      table_.remove(e);
      delete static_cast<ElemT*>(e);
    }
  }

  template <typename F>
  void forEach(F&& f) const {
    table_.forEach([&](HashElemC* e) {
      auto* el = static_cast<ElemT*>(e);
      f(el->key, el->value);
    });
  }

  uint32_t count() const { return table_.count(); }
  const HashTableC& table() const { return table_; }

 private:
  HashTableC table_;
};

struct StringMapHashC {
  uint32_t operator()(const StringC& k) const { return StringMapHashOf(k); }
};

// StringC keys to string arrays the map does not own.
template <typename V = StringArrayC*>
using StringMapM = HashMapM<StringC, V, StringMapHashC>;
