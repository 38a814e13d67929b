#include "config/registry/alt_hive_reader.h"

#include "config/registry/trace_modules.h"
#include "config/registry/trace_scope.h"

AltHiveReaderC::AltHiveReaderC(ConfVarStateC& state, const char* keyPath, const char* valueName, bool isUser)
    : state_(state), keyPath_(StringC::fromUtf8(keyPath ? keyPath : "")),
      valueName_(StringC::fromUtf8(valueName ? valueName : "")) {
  using HiveE = ConfVarStateC::HiveE;
  StringC present;
  if (!isUser) {
    if (!state_.altHive(HiveE::kMachine, present)) readInto(tnw::kHKeyLocalMachine, HiveE::kMachine);
    return;
  }
  if (!state_.altHive(HiveE::kUserFromUserRoot, present) && readInto(tnw::kHKeyCurrentUser, HiveE::kUserFromUserRoot))
    return;
  if (!state_.altHive(HiveE::kUserFromMachineRoot, present))
    readInto(tnw::kHKeyLocalMachine, HiveE::kUserFromMachineRoot);
}

bool AltHiveReaderC::readInto(tnw::RegKey root, ConfVarStateC::HiveE which) {
  tnw::TextI* out = nullptr;
  const tnw::Status status = state_.service().readText(root, keyPath_.newRef(), valueName_.newRef(), &out);
  StringC text = StringC::adopt(status == tnw::kOk ? out : nullptr);
  if (status == tnw::kRegNotFound) return false;
  const StringC rootName = StringC::adopt(state_.service().rootName(root));
  if (status != tnw::kOk) {
    traceIndented(kRegistrySearchModule, "Failed to read registry value \"%S\\%S\\%S\". Returned error %ld", rootName,
                  keyPath_, valueName_, status);
    return false;
  }
  text.trimRight(StringC::fromUtf8("\\"));
  if (text.isEmpty()) {
    traceIndented(kRegistrySearchModule, "Ignoring empty alternate registry hive \"%S\\%S\\%S\".", rootName, keyPath_,
                  valueName_);
    return false;
  }
  state_.setAltHive(which, text);
  return true;
}
