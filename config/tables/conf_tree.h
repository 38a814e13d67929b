// ConfTreeC: the objects of the declaration tables, built in declaration
// order: the two alternate-hive readers first (machine, then user), then
// each key node followed by the variables declared in it; destroyed in
// exactly the reverse order. All share one ConfVarStateC, owned here.
//
// confTree() is the process's tree. It is built on first use, not at load,
// so no static object of another library (or of this one) can reach a
// variable before its readers and parents exist; the first use also reads
// the alternate hives, so the registry must be reachable then. A test or an
// embedding program may build its own tree (with its own registry context
// and clock) beside it.
//
// Lookups may be made from any thread; the variables guard themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "config/registry/alt_hive_reader.h"
#include "config/registry/conf_var.h"
#include "config/registry/conf_var_boolean.h"
#include "config/registry/conf_var_state.h"
#include "config/tables/conf_declarations.h"

class ConfTreeC {
 public:
  explicit ConfTreeC(tnw::RegistryContextI* registry = nullptr, ConfVarStateC::ClockFn clock = nullptr);
  ~ConfTreeC();
  ConfTreeC(const ConfTreeC&) = delete;
  ConfTreeC& operator=(const ConfTreeC&) = delete;

  ConfVarStateC& state() { return state_; }

  // The key node `key`; null for kNone and kCount.
  ConfVarC* keyNode(ConfKeyE key) const;
  // The variable `valueName` declared in `key` (names compare without
  // regard to ASCII case, as the registry's do); null when none is
  // declared or it is not a T.
  template <typename T = ConfVarC>
  T* find(ConfKeyE key, std::string_view valueName) const {
    ConfVarC* v = findAny(key, valueName);
    return v && (T::kTypeCode == ConfVarC::kKeyNode || v->typeCode() == T::kTypeCode) ? static_cast<T*>(v) : nullptr;
  }

  // The one variable this agent reads at run time.
  ConfVarBooleanC& enableVirtAppUsageTracking() const { return *enableVirtAppUsageTracking_; }

  // Key nodes and variables (readers excluded), in construction order.
  const std::vector<std::unique_ptr<ConfVarC>>& objects() const { return objects_; }

 private:
  struct EntryC {
    ConfKeyE key;
    std::string_view name;
    ConfVarC* variable;
  };

  ConfVarC* findAny(ConfKeyE key, std::string_view valueName) const;
  std::unique_ptr<ConfVarC> build(const ConfVarRowC& row, ConfVarC* parent);

  ConfVarStateC state_;
  AltHiveReaderC machineHiveReader_;
  AltHiveReaderC userHiveReader_;
  std::vector<std::unique_ptr<ConfVarC>> objects_;
  ConfVarC* keys_[static_cast<int32_t>(ConfKeyE::kCount)] = {};
  std::vector<EntryC> variables_;
  ConfVarBooleanC* enableVirtAppUsageTracking_ = nullptr;
};

// The process's tree, built on the first call (thread-safe) and destroyed
// at unload.
ConfTreeC& confTree();
