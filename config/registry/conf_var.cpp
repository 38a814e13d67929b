#include "config/registry/conf_var.h"

#include <vector>

#include "config/registry/trace_modules.h"
#include "config/registry/trace_scope.h"
#include "runtime/strings/string_array.h"

namespace {

StringC fromTable(const char* text) { return text ? StringC::fromUtf8(text) : StringC(); }

StringC join(const StringC& left, const StringC& right) {
  if (left.isEmpty()) return right;
  return left + StringC::fromUtf8("\\") + right;
}

bool isRegistrySource(int32_t source) {
  return source == ConfVarC::kSourceMachine || source == ConfVarC::kSourceUser ||
         source == ConfVarC::kSourceRemote || source == ConfVarC::kSourceAltHive;
}

// The items of a REG_MULTI_SZ. The list may change between asking its size
// and reading it, so a few rounds are allowed.
tnw::Status readList(tnw::RegistryServiceI& service, tnw::RegKey root, const StringC& key, const StringC& name,
                     StringArrayC& list) {
  int32_t count = 0;
  for (int round = 0; round < 3; ++round) {
    tnw::Status s = service.readMultiString(root, key.newRef(), name.newRef(), nullptr, 0, &count);
    if (s != tnw::kOk && s != tnw::kMoreData) return s;
    std::vector<tnw::TextI*> items(static_cast<size_t>(count > 0 ? count : 0), nullptr);
    s = service.readMultiString(root, key.newRef(), name.newRef(), items.data(), count, &count);
    if (s == tnw::kMoreData) continue;
    if (s != tnw::kOk) return s;
    list.clear();
    for (tnw::TextI* item : items) list.add(StringC::adopt(item));
    return tnw::kOk;
  }
  return tnw::kMoreData;
}

}  // namespace

ConfVarC::ConfVarC(ConfVarStateC& state, ConfVarC* parent, const char* name, const char* legacyName,
                   const char* attribute, bool isHiveRoot)
    : ConfVarC(state, parent, kKeyNode, nullptr, name, nullptr, kKeyNodeFlags, attribute) {
  isHiveRoot_ = isHiveRoot;
  legacyName_ = fromTable(legacyName);
}

ConfVarC::ConfVarC(ConfVarStateC& state, ConfVarC* parent, TypeCode type, const char* overrideName,
                   const char* name, const char* envName, uint32_t flags, const char* attribute)
    : state_(state),
      parent_(parent),
      typeCode_(type),
      overrideName_(fromTable(overrideName)),
      name_(fromTable(name)),
      envName_(fromTable(envName)),
      flags_(flags),
      attribute_(fromTable(attribute)) {
  decideAltHive();
}

ConfVarC::~ConfVarC() = default;

void ConfVarC::resetToDefault() {}

void ConfVarC::decideAltHive() {
  if (!(flags_ & kFlagAltHive)) return;
  using HiveE = ConfVarStateC::HiveE;
  StringC hive;
  if ((flags_ & kFlagUserRoot) &&
      (state_.altHive(HiveE::kUserFromUserRoot, hive) || state_.altHive(HiveE::kUserFromMachineRoot, hive))) {
    altHivePath_ = hive;
  } else if (readsLocalMachine(flags_ & kFlagMachineRoot ? StringC() : state_.remoteMachineName()) &&
             state_.altHive(HiveE::kMachine, hive)) {
    altHivePath_ = hive;
  } else {
    flags_ &= ~kFlagAltHive;
  }
}

bool ConfVarC::readsLocalMachine(const StringC& remoteMachine) const {
  return (flags_ & kFlagMachineRoot) || ((flags_ & kFlagRemote) && remoteMachine.isEmpty());
}

int32_t ConfVarC::source() {
  SpinLockGuardC guard(state_.variableLock());
  return source_;
}

int32_t ConfVarC::legacyState(LegacySlot slot) {
  SpinLockGuardC guard(state_.variableLock());
  return legacyState_[slot];
}

tnw::RegKey ConfVarC::foundRoot() {
  SpinLockGuardC guard(state_.variableLock());
  return foundRoot_;
}

StringC ConfVarC::foundKey() {
  SpinLockGuardC guard(state_.variableLock());
  return foundKey_;
}

StringC ConfVarC::foundName() {
  SpinLockGuardC guard(state_.variableLock());
  return foundName_;
}

StringC ConfVarC::keyPath(bool useAlternateHive) {
  SpinLockGuardC guard(state_.variableLock());
  return keyPathLocked(useAlternateHive, altHivePath_);
}

StringC ConfVarC::fullPath(bool useAlternateHive) {
  SpinLockGuardC guard(state_.variableLock());
  return fullPathLocked(useAlternateHive, altHivePath_);
}

StringC ConfVarC::legacyKeyPath(bool useAlternateHive) {
  SpinLockGuardC guard(state_.variableLock());
  return legacyKeyPathLocked(useAlternateHive, altHivePath_);
}

StringC ConfVarC::keyPathLocked(bool alt, const StringC& hive) {
  if (!alt && keyPathCached_) return keyPathCache_;
  StringC path = parent_ ? parent_->fullPathLocked(alt, hive) : StringC();
  if (!alt) {
    keyPathCache_ = path;
    keyPathCached_ = true;
  }
  return path;
}

StringC ConfVarC::fullPathLocked(bool alt, const StringC& hive) {
  if (alt && isHiveRoot_) return hive;
  const StringC key = keyPathLocked(alt, hive);
  return name_.isEmpty() ? key : join(key, name_);
}

// An alternate hive replaces the hive roots in the legacy layout as it does
// in the current one, so the legacy key of a node right below a hive root is
// the hive itself (H\VDI Endpoint Agent\5.0).
StringC ConfVarC::legacyKeyPathLocked(bool alt, const StringC& hive) {
  if (!alt && legacyKeyPathCached_) return legacyKeyPathCache_;
  StringC path;
  if (parent_) {
    if (alt && parent_->isHiveRoot_)
      path = hive;
    else
      path = join(parent_->legacyKeyPathLocked(alt, hive),
                  parent_->legacyName_.isEmpty() ? parent_->name_ : parent_->legacyName_);
  }
  if (!alt) {
    legacyKeyPathCache_ = path;
    legacyKeyPathCached_ = true;
  }
  return path;
}

bool ConfVarC::freshOrMarkRead(int64_t now) {
  if (lastRead_ != 0 && now >= lastRead_ && now - lastRead_ <= kFreshFor100ns) return true;
  // 0 means "never read", so a clock that reads 0 is noted one tick later.
  lastRead_ = now != 0 ? now : 1;
  return false;
}

StringC ConfVarC::rootDisplayName(tnw::RegKey root) const {
  StringC name = StringC::adopt(state_.service().rootName(root));
  return name.isEmpty() ? StringC::fromUtf8("HKLM_REMOTE_MACHINE") : name;
}

int32_t ConfVarC::search() {
  if (!overrideName_.isEmpty() && state_.findOverrideLocked(overrideName_)) return kSourceOverride;
  traceIndented(kRegistrySearchModule, "Looking for \"%S\" in registry", name_);

  if ((flags_ & kFlagAltHive) && hasValueName()) {
    if (searchRoot(tnw::kHKeyCurrentUser, kUserSlot, true) == tnw::kOk) return kSourceAltHive;
    if (searchRoot(tnw::kHKeyLocalMachine, kMachineSlot, true) == tnw::kOk) return kSourceAltHive;
  }
  if (flags_ & kFlagUserRoot) {
    if (!hasValueName()) return kSourceDefault;
    if (searchRoot(tnw::kHKeyCurrentUser, kUserSlot, false) == tnw::kOk) return kSourceUser;
  }
  if (!hasValueName()) return kSourceDefault;

  const StringC remote = flags_ & kFlagRemote ? state_.remoteMachineName() : StringC();
  if (readsLocalMachine(remote) && searchRoot(tnw::kHKeyLocalMachine, kMachineSlot, false) == tnw::kOk)
    return kSourceMachine;
  if ((flags_ & kFlagRemote) && !remote.isEmpty()) {
    const tnw::RegKey root0 = state_.registry().remoteRoot(0);
    if (!root0) return kSourceDefault;
    const tnw::Status s = searchRoot(root0, kMachineSlot, false);
    if (s == tnw::kOk) return kSourceRemote;
    if (s != tnw::kRegNotFound && searchRoot(state_.registry().remoteRoot(1), kMachineSlot, false) == tnw::kOk)
      return kSourceRemote;
  }
  return kSourceDefault;
}

// A value missing where the legacy layout is not tried answers kRegNotFound
// (not kNothingTried): the remote step tells "not found" on root 0 from a
// failing root by exactly this code.
tnw::Status ConfVarC::searchRoot(tnw::RegKey root, LegacySlot slot, bool useAlternateHive) {
  if (!hasValueName() || root == 0) return kNothingTried;
  tnw::RegistryServiceI& service = state_.service();
  const StringC key = keyPathLocked(useAlternateHive, altHivePath_);
  foundRoot_ = root;
  foundKey_ = key;
  foundName_ = name_;

  const StringC rootName = rootDisplayName(root);
  traceIndented(kRegistrySearchModule, "Searching registry value \"%S\\%S\\%S\".", rootName, key, name_);
  tnw::Status s = service.valueExists(root, key.newRef(), name_.newRef(), 0, 0);
  if (s == tnw::kOk) {
    traceIndented(kRegistrySearchModule, "Found registry value \"%S\\%S\\%S\".", rootName, key, name_);
    return tnw::kOk;
  }
  traceIndented(kRegistrySearchModule, "Failed to find registry value \"%S\\%S\\%S\".", rootName, key, name_);
  if (s != tnw::kRegNotFound) {
    traceIndented(kRegistrySearchModule, "Registry handle is not valid. Returned error %ld", s);
    return s;
  }

  const StringC legacyKey = legacyKeyPathLocked(useAlternateHive, altHivePath_);
  int32_t& legacy = legacyState_[slot];
  if (legacyKey.equalsIgnoreCase(legacyKeyPathLocked(false, altHivePath_)) || legacy == kLegacyNotFound || legacy == 2)
    return tnw::kRegNotFound;
  const StringC legacyName = legacyName_.isEmpty() ? name_ : legacyName_;
  foundKey_ = legacyKey;
  foundName_ = legacyName;
  if (legacy == kLegacyFound) {
    traceIndented(kRegistrySearchModule, "Searching registry value \"%S\\%S\\%S\".", rootName, legacyKey, legacyName);
    if (service.valueExists(root, legacyKey.newRef(), legacyName.newRef(), 0, 0) == tnw::kOk) {
      traceIndented(kRegistrySearchModule, "Found registry value \"%S\\%S\\%S\".", rootName, legacyKey, legacyName);
      return tnw::kOk;
    }
    traceIndented(kRegistrySearchModule, "Failed to find registry value \"%S\\%S\\%S\".", rootName, legacyKey,
                  legacyName);
  }
  legacy = kLegacyNotFound;
  s = service.valueExists(root, legacyKey.newRef(), legacyName.newRef(), 0, 0);
  if (s == tnw::kOk) legacy = kLegacyFound;
  return s;
}

tnw::Status ConfVarC::readFound(StringC& text, StringArrayC* list) {
  tnw::RegistryServiceI& service = state_.service();
  if (list) {
    uint32_t type = tnw::kRegNone;
    const tnw::Status s = service.valueType(foundRoot_, foundKey_.newRef(), foundName_.newRef(), &type);
    if (s != tnw::kOk) return s;
    if (type == tnw::kRegMultiSz) return readList(service, foundRoot_, foundKey_, foundName_, *list);
  }
  tnw::TextI* out = nullptr;
  const tnw::Status s = service.readText(foundRoot_, foundKey_.newRef(), foundName_.newRef(), &out);
  text = StringC::adopt(s == tnw::kOk ? out : nullptr);
  if (s == tnw::kOk && list) {
    list->clear();
    for (const StringC& item : text.split(StringC::fromUtf8(";")))
      if (!item.isEmpty()) list->add(item);
  }
  return s;
}

ConfVarC::FetchedE ConfVarC::fetch(StringC& text, StringArrayC* list) {
  source_ = search();
  if (source_ == kSourceOverride) {
    const StringArrayC* values = state_.findOverrideLocked(overrideName_);
    text = values && values->count() > 0 ? values->at(0) : StringC();
    if (list) {
      list->clear();
      if (values)
        for (const StringC& v : *values) list->add(v);
    }
    return FetchedE::kOverride;
  }
  if (!isRegistrySource(source_)) return FetchedE::kDefault;
  const tnw::Status s = readFound(text, list);
  if (s == tnw::kOk) return FetchedE::kRegistry;
  traceIndented(kRegistryGetModule, "Failed to read registry value \"%S\\%S\\%S\". Returned error %ld",
                rootDisplayName(foundRoot_), foundKey_, foundName_, s);
  source_ = kSourceDefault;
  return FetchedE::kDefault;
}
