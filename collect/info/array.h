// ArrayM: a growable array that owns its elements by value, with the
// framework's growth rule. When an append finds the array full, the
// capacity becomes ((3 x capacity) | 62) / 2 + 1 (32, 64, 128, 224, 352, ...)
// and the elements move over. Clearing destroys the elements from the last
// to the first and frees the storage. Copying copies every element (for
// RefM elements: shares the objects).
//
// Failures are answers, not exceptions: an append or insert that cannot
// grow the storage (the count would pass 2^32 - 1, or memory is out)
// returns false and leaves the array as it was. Element access past the
// count answers null. Not locked: one thread at a time.
#pragma once

#include <cstdint>
#include <limits>
#include <new>
#include <utility>

template <typename T>
class ArrayM {
 public:
  ArrayM() = default;
  ArrayM(const ArrayM& other) {
    if (other.count_ == 0 || !reserveExactly(other.capacity_)) return;
    for (uint32_t i = 0; i < other.count_; ++i) new (data_ + i) T(other.data_[i]);
    count_ = other.count_;
  }
  ArrayM(ArrayM&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        count_(std::exchange(other.count_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  ArrayM& operator=(const ArrayM& other) {
    if (this != &other) {
      ArrayM copy(other);
      swap(copy);
    }
    return *this;
  }
  ArrayM& operator=(ArrayM&& other) noexcept {
    if (this != &other) {
      clear();
      swap(other);
    }
    return *this;
  }
  ~ArrayM() { clear(); }

  uint32_t count() const { return count_; }
  uint32_t capacity() const { return capacity_; }
  bool isEmpty() const { return count_ == 0; }

  // Null at or beyond the count.
  T* at(uint32_t index) { return index < count_ ? data_ + index : nullptr; }
  const T* at(uint32_t index) const { return index < count_ ? data_ + index : nullptr; }

  bool append(const T& value) { return insert(count_, value); }
  bool append(T&& value) { return insert(count_, std::move(value)); }

  // Below the count the later elements shift up by one; at or beyond it the
  // value is appended.
  bool insert(uint32_t index, T value) {
    if (count_ == capacity_ && !grow()) return false;
    if (index >= count_) {
      new (data_ + count_) T(std::move(value));
    } else {
      new (data_ + count_) T(std::move(data_[count_ - 1]));
      for (uint32_t i = count_ - 1; i > index; --i) data_[i] = std::move(data_[i - 1]);
      data_[index] = std::move(value);
    }
    ++count_;
    return true;
  }

  void clear() {
    while (count_ > 0) {
      --count_;
      data_[count_].~T();
    }
    ::operator delete(data_);
    data_ = nullptr;
    capacity_ = 0;
  }

  void swap(ArrayM& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(count_, other.count_);
    std::swap(capacity_, other.capacity_);
  }

  T* begin() { return data_; }
  T* end() { return data_ + count_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + count_; }

  // The capacity that follows `capacity` by the growth rule (0 when it would
  // not fit in 32 bits).
  static uint32_t grownCapacity(uint32_t capacity) {
    const uint64_t next = ((uint64_t{3} * capacity) | 62) / 2 + 1;
    return next > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(next);
  }

 private:
  bool grow() { return reserveExactly(grownCapacity(capacity_)); }

  bool reserveExactly(uint32_t capacity) {
    if (capacity <= capacity_ || capacity > std::numeric_limits<size_t>::max() / sizeof(T)) return false;
    T* fresh = static_cast<T*>(::operator new(size_t{capacity} * sizeof(T), std::nothrow));
    if (!fresh) return false;
    for (uint32_t i = 0; i < count_; ++i) {
      new (fresh + i) T(std::move(data_[i]));
      data_[i].~T();
    }
    ::operator delete(data_);
    data_ = fresh;
    capacity_ = capacity;
    return true;
  }

  T* data_ = nullptr;
  uint32_t count_ = 0;
  uint32_t capacity_ = 0;
};
