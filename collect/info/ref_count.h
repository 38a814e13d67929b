// Intrusive reference counting for the collectors' shared objects.
//
// RefCountC counts with atomic operations only, so RefM handles to one
// object may be copied and dropped on any thread. A new object starts at 0;
// the first RefM that takes it raises the count to 1, and the release that
// brings it back to 0 destroys the object through its virtual destructor.
// Create counted objects with new and hand them to a RefM at once; never
// destroy one otherwise while a RefM may still hold it.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

class RefCountI {
 public:
  // The new count.
  virtual uint32_t addRef() = 0;
  // The new count; at 0 the object is gone when this returns.
  virtual uint32_t release() = 0;
  virtual ~RefCountI() = default;
};

class RefCountC : public RefCountI {
 public:
  RefCountC() = default;
  // A copy is another object: it starts uncounted.
  RefCountC(const RefCountC&) : RefCountI() {}
  RefCountC& operator=(const RefCountC&) { return *this; }

  uint32_t addRef() override { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32_t release() override {
    const uint32_t n = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (n == 0) delete this;
    return n;
  }
  uint32_t refCount() const { return count_.load(std::memory_order_relaxed); }

 private:
  std::atomic<uint32_t> count_{0};
};

// A handle that holds one reference, or nothing. Taking an object adds a
// reference first, then swaps the pointer in atomically and releases the
// object held before, so a handle assigned its own object stays valid.
template <typename T>
class RefM {
 public:
  RefM() = default;
  RefM(T* object) { reset(object); }  // NOLINT: takes a new object as `RefM<X> p = new X`
  RefM(const RefM& other) { reset(other.get()); }
  template <typename U>
  RefM(const RefM<U>& other) {  // NOLINT: a handle to a derived class converts
    reset(other.get());
  }
  RefM(RefM&& other) noexcept : object_(other.object_.exchange(nullptr)) {}
  RefM& operator=(const RefM& other) {
    reset(other.get());
    return *this;
  }
  RefM& operator=(RefM&& other) noexcept {
    if (this != &other) {
      T* old = object_.exchange(other.object_.exchange(nullptr));
      if (old) old->release();
    }
    return *this;
  }
  ~RefM() { reset(); }

  void reset(T* object = nullptr) {
    if (object) object->addRef();
    T* old = object_.exchange(object);
    if (old) old->release();
  }

  T* get() const { return object_.load(); }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  explicit operator bool() const { return get() != nullptr; }
  bool operator==(const RefM& other) const { return get() == other.get(); }

 private:
  std::atomic<T*> object_{nullptr};
};
