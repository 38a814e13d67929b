// HashTableC: linear hashing over intrusive elements.
//
// The table starts with one bucket and grows by exactly one bucket at a time:
// after each insert, buckets are added while count / buckets > 0.9. Adding
// bucket n (n = the old bucket count) widens the mask to 2*mask+1 when n
// needs it and splits bucket n & (mask >> 1): its elements whose hash has
// the new mask bit move to bucket n. A hash h lives in bucket h & mask, or
// h & (mask >> 1) when that index is not below the bucket count. Buckets are
// never removed.
//
// Elements belong to the caller; each carries its hash, computed once by
// the caller. Several elements may share a key (and a hash). Not locked:
// the owner of a table guards it.
#pragma once

#include <cstdint>

struct HashElemC {
  HashElemC* next = nullptr;
  uint32_t hash = 0;
};

// The bucket array: one pointer per bucket, grown by one bucket at a time.
class HashArrayC {
 public:
  HashArrayC() = default;
  ~HashArrayC();
  HashArrayC(const HashArrayC&) = delete;
  HashArrayC& operator=(const HashArrayC&) = delete;

  uint32_t count() const { return count_; }
  HashElemC*& operator[](uint32_t i) { return items_[i]; }
  HashElemC* operator[](uint32_t i) const { return items_[i]; }
  // Adds one empty bucket at the end; false when memory ran out.
  bool addOne();

 private:
  HashElemC** items_ = nullptr;
  uint32_t count_ = 0;
};

class HashTableC {
 public:
  HashTableC();
  HashTableC(const HashTableC&) = delete;
  HashTableC& operator=(const HashTableC&) = delete;

  // Links `e` (its hash set to `hash`) into the table.
  void insert(HashElemC* e, uint32_t hash);
  // Unlinks `e`; false when it is not in the table.
  bool remove(HashElemC* e);
  // The first element of the bucket where `hash` lives (follow `next`).
  HashElemC* bucketOf(uint32_t hash) const { return buckets_[address(hash)]; }

  uint32_t count() const { return count_; }
  uint32_t bucketCount() const { return buckets_.count(); }
  uint32_t mask() const { return mask_; }
  uint32_t occupiedBuckets() const { return occupied_; }
  uint32_t modifications() const { return modifications_; }
  uint32_t address(uint32_t hash) const;

  // Calls f(HashElemC*) for every element; f must not change the table.
  template <typename F>
  void forEach(F&& f) const {
    for (uint32_t b = 0; b < buckets_.count(); ++b)
      for (HashElemC* e = buckets_[b]; e; e = e->next) f(e);
  }

 private:
  void addBucket();

  uint32_t count_ = 0;
  uint32_t mask_ = 0;
  HashArrayC buckets_;
  uint32_t occupied_ = 0;
  uint32_t modifications_ = 0;
};
