// ConfVarC: a registry configuration variable of the suite's configuration
// tree, or, as a plain ConfVarC, a key node of that tree. The typed
// variables (ConfVarStringC, ConfVarBooleanC, ConfVarInt32C,
// ConfVarStringArrayC) derive from it and add their values and getValue().
//
// A variable knows where to look for its value and in which order
// (search()):
//   1. the override table, when it has an override name;
//   2. with flag kFlagAltHive, its alternate hive below HKEY_CURRENT_USER,
//      then below HKEY_LOCAL_MACHINE; in each root also the legacy layout
//      below the hive, until it was tried there and not found;
//   3. with kFlagUserRoot, HKEY_CURRENT_USER;
//   4. with kFlagMachineRoot (or kFlagRemote and no remote machine),
//      HKEY_LOCAL_MACHINE;
//   5. with kFlagRemote and a remote machine, its root 0; root 1 only when
//      root 0 failed with something other than "not found";
//   6. else the default.
// Every registry access goes through the state's registry service.
//
// Key paths are composed from the chain of parents: a node's full path is
// its parent's full path and its name; under an alternate hive H a hive-root
// node's full path is H itself. Plain (non-hive) paths are cached.
//
// Threads: reads, path composition and the state they touch are guarded by
// the state's variable lock (one lock for all variables of a tree), so any
// thread may read any variable; the public path functions take that lock
// themselves and must not be called while holding it. Construction and
// destruction happen on one thread, parents before and after their
// children (ConfTreeC does this).
#pragma once

#include <cstdint>

#include "config/registry/conf_var_state.h"
#include "runtime/strings/string_c.h"
#include "tnwcmn/tnwcmn.h"

class ConfVarC {
 public:
  enum TypeCode : int32_t { kKeyNode = 0, kString = 1, kStringArray = 3, kInt32 = 4, kBoolean = 5 };
  static constexpr TypeCode kTypeCode = kKeyNode;

  // Flag bits.
  static constexpr uint32_t kFlagAltHive = 0x80;      // look in the alternate hive first
  static constexpr uint32_t kFlagRemote = 0x40;       // may come from a remote machine's registry
  static constexpr uint32_t kFlagOverride = 0x20;     // has an override name
  static constexpr uint32_t kFlagUserRoot = 0x10;     // look in HKEY_CURRENT_USER
  static constexpr uint32_t kFlagMachineRoot = 0x08;  // look in HKEY_LOCAL_MACHINE
  static constexpr uint32_t kFlagEnvName = 0x04;      // has an environment-variable name
  static constexpr uint32_t kFlagUtf8 = 0x02;         // the default text is UTF-8, not system 8-bit
  static constexpr uint32_t kKeyNodeFlags = 0xD8;

  // source(): where the current value came from.
  static constexpr int32_t kSourceNotRead = 1;
  static constexpr int32_t kSourceDefault = 2;
  static constexpr int32_t kSourceMachine = 0x08;
  static constexpr int32_t kSourceUser = 0x10;
  static constexpr int32_t kSourceOverride = 0x20;
  static constexpr int32_t kSourceRemote = 0x40;
  static constexpr int32_t kSourceAltHive = 0x80;

  // legacyState(): the remote roots share the machine slot.
  enum LegacySlot : int32_t { kUserSlot = 0, kMachineSlot = 1 };
  static constexpr int32_t kLegacyNotTried = 0;
  static constexpr int32_t kLegacyFound = 1;
  static constexpr int32_t kLegacyNotFound = 3;  // 2 is read as 3; both are final

  // searchRoot() when nothing could be tried (no value name, no root).
  static constexpr tnw::Status kNothingTried = -1;

  // The freshness window: a value read at most this long ago is returned
  // without a search.
  static constexpr int64_t kFreshFor100ns = 5 * 10000000LL;

  // A key node (flags kKeyNodeFlags). `name` may hold backslashes or be a
  // whole path ("SOFTWARE\Tarnwell Corp"); a hive root is a node that an
  // alternate hive replaces. Null and empty texts are the same: none.
  ConfVarC(ConfVarStateC& state, ConfVarC* parent, const char* name, const char* legacyName, const char* attribute,
           bool isHiveRoot);
  virtual ~ConfVarC();
  ConfVarC(const ConfVarC&) = delete;
  ConfVarC& operator=(const ConfVarC&) = delete;

  // Copies the default into the current value (nothing for key nodes and
  // string arrays). Takes the variable lock.
  virtual void resetToDefault();

  ConfVarC* parent() const { return parent_; }
  TypeCode typeCode() const { return typeCode_; }
  const StringC& overrideName() const { return overrideName_; }
  const StringC& name() const { return name_; }
  const StringC& envName() const { return envName_; }
  uint32_t flags() const { return flags_; }
  bool isHiveRoot() const { return isHiveRoot_; }
  const StringC& legacyName() const { return legacyName_; }
  const StringC& attribute() const { return attribute_; }
  const StringC& altHivePath() const { return altHivePath_; }

  // Search results; take the variable lock.
  int32_t source();
  int32_t legacyState(LegacySlot slot);
  tnw::RegKey foundRoot();
  StringC foundKey();
  StringC foundName();

  // Path composition with this variable's alternate hive when
  // useAlternateHive is set. keyPath: the key the value lives in (the
  // parent's full path); fullPath: keyPath and the name; legacyKeyPath: the
  // key in the suite's older layout. Take the variable lock.
  StringC keyPath(bool useAlternateHive);
  StringC fullPath(bool useAlternateHive);
  StringC legacyKeyPath(bool useAlternateHive);

 protected:
  // A typed variable. Decides the alternate hive from the state's hives:
  // with kFlagUserRoot the user hive (user-root copy first), else, when it
  // is read from the local machine root, the machine hive; with neither,
  // kFlagAltHive is cleared.
  ConfVarC(ConfVarStateC& state, ConfVarC* parent, TypeCode type, const char* overrideName, const char* name,
           const char* envName, uint32_t flags, const char* attribute);

  ConfVarStateC& state() const { return state_; }
  // source() for a caller that holds the variable lock.
  int32_t sourceLocked() const { return source_; }

  // The steps every typed getValue() shares; the caller holds the variable
  // lock for all of them.
  //
  // true when the value read at lastRead is still fresh at `now` (0 <= now -
  // lastRead <= kFreshFor100ns); otherwise notes `now` as the read time and
  // returns false.
  bool freshOrMarkRead(int64_t now);

  enum class FetchedE { kOverride, kRegistry, kDefault };
  // Runs search() into source() and, for a registry place, reads the text
  // found there into `text` (or, with `list`, the items into `list`). A read
  // that fails after the search found the value is traced, sets source() to
  // kSourceDefault and answers kDefault: the caller then uses its default.
  FetchedE fetch(StringC& text, StringArrayC* list = nullptr);

  // The search order (see the top of this file); returns the source.
  int32_t search();
  // Looks in one root: kOk when the value is there (found* designate it),
  // kRegNotFound when it is not, another status when the root failed,
  // kNothingTried without value name or root.
  tnw::Status searchRoot(tnw::RegKey root, LegacySlot slot, bool useAlternateHive);

 private:
  bool hasValueName() const { return !name_.isEmpty(); }
  bool readsLocalMachine(const StringC& remoteMachine) const;
  void decideAltHive();
  StringC rootDisplayName(tnw::RegKey root) const;
  tnw::Status readFound(StringC& text, StringArrayC* list);

  // Under the variable lock; `hive` is the alternate hive that applies.
  StringC keyPathLocked(bool alt, const StringC& hive);
  StringC fullPathLocked(bool alt, const StringC& hive);
  StringC legacyKeyPathLocked(bool alt, const StringC& hive);

  ConfVarStateC& state_;
  ConfVarC* parent_;
  TypeCode typeCode_;
  StringC overrideName_;
  StringC name_;
  StringC envName_;
  uint32_t flags_;
  bool isHiveRoot_ = false;
  StringC legacyName_;
  StringC attribute_;
  int32_t source_ = kSourceNotRead;
  int64_t lastRead_ = 0;  // monotonic, 100 ns; 0 until the first read
  int32_t legacyState_[2] = {kLegacyNotTried, kLegacyNotTried};
  StringC keyPathCache_;
  bool keyPathCached_ = false;
  StringC legacyKeyPathCache_;
  bool legacyKeyPathCached_ = false;
  tnw::RegKey foundRoot_ = 0;
  StringC foundKey_;
  StringC foundName_;
  StringC altHivePath_;
};
