// stl_ListC and stl_MapC: a list and an ordered map of untyped elements
// whose copies and destruction are done by a memory manager. They are thin
// layers over the standard containers; the manager decides what an element
// is (a StringC, a plain pointer, ...).
#pragma once

#include <list>
#include <map>

#include "runtime/strings/string_c.h"

class stl_ObjectMemoryManagerI {
 public:
  virtual ~stl_ObjectMemoryManagerI() = default;
  // A copy of the element for the container to keep.
  virtual void* copy(const void* element) = 0;
  virtual void destroy(void* element) = 0;
};

// Elements are StringC objects: the container keeps its own copies.
class stl_StringCMemoryManagerC final : public stl_ObjectMemoryManagerI {
 public:
  void* copy(const void* element) override { return new StringC(*static_cast<const StringC*>(element)); }
  void destroy(void* element) override { delete static_cast<StringC*>(element); }
};

// Elements are pointers the container stores as they are and never frees.
class stl_PointerCopyMemoryManagerC final : public stl_ObjectMemoryManagerI {
 public:
  void* copy(const void* element) override { return const_cast<void*>(element); }
  void destroy(void*) override {}
};

class stl_ListIteratorI {
 public:
  virtual ~stl_ListIteratorI() = default;
  virtual bool valid() const = 0;
  virtual void* get() const = 0;
  virtual void next() = 0;
};

class stl_ListC {
 public:
  // The manager must outlive the list.
  explicit stl_ListC(stl_ObjectMemoryManagerI& manager) : manager_(manager) {}
  ~stl_ListC() { clear(); }
  stl_ListC(const stl_ListC&) = delete;
  stl_ListC& operator=(const stl_ListC&) = delete;

  void pushBack(const void* element) { items_.push_back(manager_.copy(element)); }
  void pushFront(const void* element) { items_.push_front(manager_.copy(element)); }
  size_t count() const { return items_.size(); }
  void clear() {
    for (void* e : items_) manager_.destroy(e);
    items_.clear();
  }

  class stl_iterator final : public stl_ListIteratorI {
   public:
    explicit stl_iterator(const std::list<void*>& l) : it_(l.begin()), end_(l.end()) {}
    bool valid() const override { return it_ != end_; }
    void* get() const override { return *it_; }
    void next() override { ++it_; }

   private:
    std::list<void*>::const_iterator it_, end_;
  };
  stl_iterator iterate() const { return stl_iterator(items_); }

 private:
  stl_ObjectMemoryManagerI& manager_;
  std::list<void*> items_;
};

// Map keys: StringC in byte order.
struct map_StringCKey {
  StringC key;
  bool operator<(const map_StringCKey& o) const { return key < o.key; }
};

class stl_MapC {
 public:
  explicit stl_MapC(stl_ObjectMemoryManagerI& manager) : manager_(manager) {}
  ~stl_MapC() { clear(); }
  stl_MapC(const stl_MapC&) = delete;
  stl_MapC& operator=(const stl_MapC&) = delete;

  // Replaces an element under the same key.
  void set(const StringC& key, const void* element) {
    auto [it, inserted] = items_.emplace(map_StringCKey{key}, nullptr);
    if (!inserted) manager_.destroy(it->second);
    it->second = manager_.copy(element);
  }
  void* get(const StringC& key) const {
    auto it = items_.find(map_StringCKey{key});
    return it == items_.end() ? nullptr : it->second;
  }
  bool remove(const StringC& key) {
    auto it = items_.find(map_StringCKey{key});
    if (it == items_.end()) return false;
    manager_.destroy(it->second);
    items_.erase(it);
    return true;
  }
  size_t count() const { return items_.size(); }
  void clear() {
    for (auto& [k, v] : items_) manager_.destroy(v);
    items_.clear();
  }
  template <typename F>
  void forEach(F&& f) const {
    for (const auto& [k, v] : items_) f(k.key, v);
  }

 private:
  stl_ObjectMemoryManagerI& manager_;
  std::map<map_StringCKey, void*> items_;
};
