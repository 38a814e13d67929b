// The parameters of the variable environment: what one variable holds.
// env_MonoParamC holds one text, env_MultiParamC an ordered list with a
// cursor, env_FunCacheStringC a text computed by a function object on its
// first read and kept. A parameter belongs to the environment that holds it.
// Parameters have no lock of their own: the environment is filled before
// other threads read it (env_FunCacheStringC alone guards its first
// computation, since that happens on a read).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "runtime/strings/string_c.h"

class QblEnvParamI {
 public:
  virtual ~QblEnvParamI() = default;                   // 0
  virtual void set(const StringC& text) = 0;          // 1: a list becomes this one element
  virtual StringC get() = 0;                          // 2: a list: the element at the cursor, "" past the end
  virtual void append(const StringC& text) = 0;       // 3: a single value is replaced
  virtual void clear() = 0;                           // 4: a single value empties, a list loses its elements
  virtual bool next() = 0;                            // 5: cursor one on; false past the end
  virtual int32_t count() = 0;                        // 6: elements (a single value: 1)
  virtual void reset() = 0;                           // 7: cursor to the first element
  virtual StringC at(int32_t index) = 0;              // 8: "" outside
  virtual bool isMultiValued() const = 0;             // 9
  // A deep copy, owned by the caller.
  virtual std::unique_ptr<QblEnvParamI> clone() = 0;  // 10
};

class env_MonoParamC final : public QblEnvParamI {
 public:
  env_MonoParamC() = default;
  explicit env_MonoParamC(const StringC& text) : text_(text) {}
  void set(const StringC& text) override { text_ = text; }
  StringC get() override { return text_; }
  void append(const StringC& text) override { text_ = text; }
  void clear() override { text_ = StringC(); }
  bool next() override { return false; }
  int32_t count() override { return 1; }
  void reset() override {}
  StringC at(int32_t index) override { return index == 0 ? text_ : StringC(); }
  bool isMultiValued() const override { return false; }
  std::unique_ptr<QblEnvParamI> clone() override { return std::make_unique<env_MonoParamC>(text_); }

 private:
  StringC text_;
};

class env_MultiParamC final : public QblEnvParamI {
 public:
  void set(const StringC& text) override;
  StringC get() override;
  void append(const StringC& text) override { items_.emplace_back(text); }
  void clear() override;
  bool next() override;
  int32_t count() override { return static_cast<int32_t>(items_.size()); }
  void reset() override { cursor_ = 0; }
  StringC at(int32_t index) override;
  bool isMultiValued() const override { return true; }
  std::unique_ptr<QblEnvParamI> clone() override;

 private:
  std::vector<env_MonoParamC> items_;
  size_t cursor_ = 0;
};

// What an env_FunCacheStringC computes. Called at most once per parameter
// (on the first read, on the reading thread); must not read the environment
// that holds the parameter.
class env_FunctionI {
 public:
  virtual ~env_FunctionI() = default;
  virtual StringC compute() = 0;
};

class env_FunCacheStringC final : public QblEnvParamI {
 public:
  explicit env_FunCacheStringC(std::shared_ptr<env_FunctionI> function) : function_(std::move(function)) {}
  // A set replaces what the function would give.
  void set(const StringC& text) override;
  StringC get() override;
  void append(const StringC& text) override { set(text); }
  void clear() override { set(StringC()); }
  bool next() override { return false; }
  int32_t count() override { return 1; }
  void reset() override {}
  StringC at(int32_t index) override { return index == 0 ? get() : StringC(); }
  bool isMultiValued() const override { return false; }
  // The copy shares the function and, once computed, the text.
  std::unique_ptr<QblEnvParamI> clone() override;

 private:
  std::shared_ptr<env_FunctionI> function_;
  std::mutex lock_;
  bool computed_ = false;
  StringC text_;
};
