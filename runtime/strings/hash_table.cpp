#include "runtime/strings/hash_table.h"

#include <cstdlib>
#include <new>

HashArrayC::~HashArrayC() { std::free(items_); }

bool HashArrayC::addOne() {
  void* grown = std::realloc(items_, (static_cast<size_t>(count_) + 1) * sizeof(HashElemC*));
  if (!grown) return false;
  items_ = static_cast<HashElemC**>(grown);
  items_[count_++] = nullptr;
  return true;
}

HashTableC::HashTableC() {
  if (!buckets_.addOne()) throw std::bad_alloc();
}

uint32_t HashTableC::address(uint32_t hash) const {
  uint32_t i = hash & mask_;
  if (i >= buckets_.count()) i = hash & (mask_ >> 1);
  return i;
}

void HashTableC::addBucket() {
  const uint32_t index = buckets_.count();
  if (!buckets_.addOne()) return;  // the table stays correct, only fuller
  if (index > mask_) mask_ = 2 * mask_ + 1;
  const uint32_t from = index & (mask_ >> 1);
  HashElemC** link = &buckets_[from];
  HashElemC** tail = &buckets_[index];
  while (HashElemC* e = *link) {
    if ((e->hash & mask_) == index) {
      *link = e->next;
      e->next = nullptr;
      *tail = e;
      tail = &e->next;
    } else {
      link = &e->next;
    }
  }
  if (buckets_[index]) {
    ++occupied_;
    if (!buckets_[from]) --occupied_;
  }
}

void HashTableC::insert(HashElemC* e, uint32_t hash) {
  e->hash = hash;
  ++count_;
  ++modifications_;
  // count / buckets > 0.9, in integers.
  while (static_cast<uint64_t>(count_) * 10 > static_cast<uint64_t>(buckets_.count()) * 9) {
    const uint32_t before = buckets_.count();
    addBucket();
    if (buckets_.count() == before) break;
  }
  HashElemC*& head = buckets_[address(hash)];
  if (!head) ++occupied_;
  e->next = head;
  head = e;
}

bool HashTableC::remove(HashElemC* e) {
  HashElemC** link = &buckets_[address(e->hash)];
  HashElemC** first = link;
  for (; *link; link = &(*link)->next) {
    if (*link == e) {
      *link = e->next;
      e->next = nullptr;
      if (!*first) --occupied_;
      --count_;
      ++modifications_;
      return true;
    }
  }
  return false;
}
