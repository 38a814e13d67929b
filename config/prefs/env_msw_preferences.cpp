#include "config/prefs/env_msw_preferences.h"

#include <memory>
#include <string>
#include <vector>

#include "config/prefs/prefs_trace.h"
#include "config/tables/component_table.h"
#include "runtime/services/common_services.h"

namespace {

constexpr const char* kBase = "Software\\Tarnwell Corp\\Tarnwell";
constexpr const char* kPolicyBase = "Software\\Policies\\Tarnwell Corp\\Tarnwell";

StringC s(const char* utf8) { return StringC::fromUtf8(utf8); }

bool isCompanionName(const StringC& name) {
  const std::string key = env_nameKey(name.utf8());
  auto ends = [&key](std::string_view suffix) {
    return key.size() >= suffix.size() && key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  return (key.size() >= 6 && ends("fixed")) || (key.size() >= 4 && ends("fxd"));
}

// Splits at every character of `separators`, keeping empty parts, as the
// string type's split does, in one pass over the bytes: a megabyte value
// must not cost a character-position search per part.
StringArrayC splitAt(const StringC& text, const StringC& separators) {
  std::vector<std::string> seps;
  const std::string_view sv = separators.utf8();
  for (size_t i = 0; i < sv.size();) {
    size_t n = 1;
    while (i + n < sv.size() && (static_cast<unsigned char>(sv[i + n]) & 0xC0) == 0x80) ++n;
    seps.emplace_back(sv.substr(i, n));
    i += n;
  }
  StringArrayC parts;
  const std::string_view t = text.utf8();
  size_t start = 0;
  for (size_t i = 0; i < t.size();) {
    size_t match = 0;
    for (const std::string& sep : seps)
      if (t.compare(i, sep.size(), sep) == 0) match = sep.size();
    if (match) {
      parts.add(StringC::fromUtf8(t.substr(start, i - start)));
      i += match;
      start = i;
    } else {
      ++i;
      while (i < t.size() && (static_cast<unsigned char>(t[i]) & 0xC0) == 0x80) ++i;
    }
  }
  parts.add(StringC::fromUtf8(t.substr(start)));
  return parts;
}

}  // namespace

EnvMSWPreferencesC::EnvMSWPreferencesC(env_EnvironmentI* environment, EnvPreferencesC* target,
                                       tnw::RegistryServiceI* registry)
    : EnvPreferencesC(environment),
      target_(target ? target : this),
      registry_(registry ? registry : common_services::registryService()) {}

EnvMSWPreferencesC::~EnvMSWPreferencesC() = default;

StringC EnvMSWPreferencesC::normalKeyPath(const StringC& component, bool machine) {
  return s(machine ? "HKLM\\" : "HKCU\\") + s(kBase) + componentKeySuffix(component);
}

StringC EnvMSWPreferencesC::policyKeyPath(const StringC& component, bool machine) {
  StringC hive = value(s(machine ? "MachineAlternateRegistryHive" : "UserAlternateRegistryHive"));
  if (hive.isEmpty()) hive = s(kPolicyBase);
  return s(machine ? "HKLM\\" : "HKCU\\") + hive + componentKeySuffix(component);
}

tnw::Status EnvMSWPreferencesC::loadComponent(const StringC& component, bool machine, const StringC& separators) {
  const tnw::Status normal = loadPath(normalKeyPath(component, machine), nullptr, separators);
  const tnw::Status policy = loadPath(policyKeyPath(component, machine), nullptr, separators);
  return policy != tnw::kOk ? policy : normal;
}

tnw::Status EnvMSWPreferencesC::reserved29() { return static_cast<tnw::Status>(0x80004001); }

tnw::Status EnvMSWPreferencesC::loadComponentValue(const StringC& component, bool machine, const StringC& name,
                                                   const StringC& separators) {
  const tnw::Status normal = loadPath(normalKeyPath(component, machine), &name, separators);
  const tnw::Status policy = loadPath(policyKeyPath(component, machine), &name, separators);
  return policy != tnw::kOk ? policy : normal;
}

tnw::Status EnvMSWPreferencesC::loadKeyPath(const StringC& path, const StringC& separators) {
  return loadPath(path, nullptr, separators);
}

tnw::Status EnvMSWPreferencesC::loadPath(const StringC& path, const StringC* onlyValue, const StringC& separators) {
  const int32_t slash = path.find(U'\\');
  const std::string root = env_nameKey(slash < 0 ? path.utf8() : path.substr(0, slash).utf8());
  tnw::RegKey rootKey = 0;
  if (root == "hklm" || root == "hkey_local_machine")
    rootKey = tnw::kHKeyLocalMachine;
  else if (root == "hkcu" || root == "hkey_current_user")
    rootKey = tnw::kHKeyCurrentUser;
  if (!rootKey) {
    kPreferencesModule.trace("Key \"%1$S\" is not below HKLM or HKCU: nothing is loaded", path);
    return tnw::kInvalidArg;
  }
  const StringC sub = slash < 0 ? StringC() : path.substr(slash + 1);
  tnw::RegKey key = 0;
  if (registry_->openKey(rootKey, sub.newRef(), tnw::kKeyRead, &key) != tnw::kOk || !key) {
    kPreferencesModule.trace("Key \"%1$S\" not found: skipped", path);
    return tnw::kOk;
  }
  kPreferencesModule.trace("Loading key \"%1$S\"", path);
  const tnw::Status status = onlyValue ? readValue(key, *onlyValue, separators) : loadKey(key, separators);
  registry_->closeKey(key);
  return status;
}

tnw::Status EnvMSWPreferencesC::loadKey(tnw::RegKey key, const StringC& separators) {
  tnw::Status result = tnw::kOk;
  for (uint32_t index = 0;; ++index) {
    tnw::TextI* name = nullptr;
    uint32_t type = 0;
    if (registry_->enumValue(key, index, &name, &type) != tnw::kOk) {
      if (name) name->release();
      break;
    }
    const StringC n = StringC::adopt(name);
    if (isCompanionName(n)) continue;
    const tnw::Status status = readValue(key, n, separators);
    if (status != tnw::kOk) result = status;
  }
  return result;
}

bool EnvMSWPreferencesC::readText(tnw::RegKey key, const StringC& name, StringC& out) {
  tnw::TextI* text = nullptr;
  const tnw::Status status = registry_->readText(key, StringC().newRef(), name.newRef(), &text);
  out = StringC::adopt(text);
  return status == tnw::kOk;
}

bool EnvMSWPreferencesC::readList(tnw::RegKey key, const StringC& name, StringArrayC& out) {
  int32_t count = 0;
  tnw::Status status = registry_->readMultiString(key, StringC().newRef(), name.newRef(), nullptr, 0, &count);
  if (status != tnw::kOk && status != tnw::kMoreData) return false;
  if (count <= 0) return true;
  std::vector<tnw::TextI*> items(static_cast<size_t>(count), nullptr);
  int32_t got = 0;
  status = registry_->readMultiString(key, StringC().newRef(), name.newRef(), items.data(), count, &got);
  if (status != tnw::kOk) return false;
  for (int32_t i = 0; i < got && i < count; ++i) out.add(StringC::adopt(items[static_cast<size_t>(i)]));
  return true;
}

tnw::Status EnvMSWPreferencesC::readValue(tnw::RegKey key, const StringC& name, const StringC& separators) {
  EnvPreferencesC& to = *target_;
  env_EnvOptsC opts;
  to.findOption(opts, name);
  uint32_t type = 0;
  bool ok = registry_->valueType(key, StringC().newRef(), name.newRef(), &type) == tnw::kOk;
  if (ok && type == tnw::kRegMultiSz) {
    StringArrayC list;
    ok = readList(key, name, list);
    if (ok && opts.isMultiValued()) {
      to.setList(opts, &list, false);
    } else if (ok) {
      StringC joined;
      for (int32_t i = 0; i < list.count(); ++i) joined += (i ? s(";") : StringC()) + list.at(i);
      to.set(opts, joined, false);
    }
  } else if (ok) {
    StringC text;
    ok = readText(key, name, text);
    if (ok && opts.isMultiValued() && !text.isEmpty()) {
      const StringArrayC parts = splitAt(text, separators);
      to.setList(opts, &parts, false);
    } else if (ok) {
      to.set(opts, text, false);
    }
  }
  if (!ok) {
    kPreferencesModule.trace("Registry value \"%1$S\" cannot be read: 0x%2$08x", name, static_cast<uint32_t>(tnw::kFail));
    return tnw::kFail;
  }
  for (const char* suffix : {"Fxd", "Fixed"}) {
    const StringC companion = name + s(suffix);
    if (registry_->valueExists(key, StringC().newRef(), companion.newRef(), 0, 0) != tnw::kOk) continue;
    StringC text;
    if (readText(key, companion, text))
      to.set(companion, text, true);
    else
      kPreferencesModule.trace("Registry value \"%1$S\" cannot be read: 0x%2$08x", companion,
                               static_cast<uint32_t>(tnw::kFail));
  }
  return tnw::kOk;
}
