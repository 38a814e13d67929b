#include "config/prefs/env_environment.h"

std::string env_nameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    if (static_cast<unsigned char>(c) >= 0x80) return StringC::fromUtf8(name).toLower().toUtf8();
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

namespace {
StringC keyOf(const StringC& name) { return StringC::fromUtf8(env_nameKey(name.utf8())); }
}  // namespace

env_EnvironmentC::env_EnvironmentC(const env_EnvironmentC& other) { *this = other; }

env_EnvironmentC& env_EnvironmentC::operator=(const env_EnvironmentC& other) {
  if (this == &other) return *this;
  clear();
  other.map_.forEach([this](const StringC& key, EntryC* e) {
    map_.insert(key, new EntryC{e->name, e->param->clone()});
  });
  return *this;
}

env_EnvironmentC::~env_EnvironmentC() { clear(); }

void env_EnvironmentC::clear() {
  std::vector<EntryC*> all;
  map_.forEach([&all](const StringC&, EntryC* e) { all.push_back(e); });
  map_.clear();
  for (EntryC* e : all) delete e;
}

env_EnvironmentC::EntryC* env_EnvironmentC::entry(const StringC& name) const {
  auto r = map_.find(keyOf(name));
  return r.valid() ? r.value() : nullptr;
}

QblEnvParamI* env_EnvironmentC::find(const StringC& name) {
  EntryC* e = entry(name);
  return e ? e->param.get() : nullptr;
}

QblEnvParamI* env_EnvironmentC::param(const StringC& name, bool multiValued) {
  if (EntryC* e = entry(name)) return e->param.get();
  std::unique_ptr<QblEnvParamI> p;
  if (multiValued)
    p = std::make_unique<env_MultiParamC>();
  else
    p = std::make_unique<env_MonoParamC>();
  QblEnvParamI* raw = p.get();
  map_.insert(keyOf(name), new EntryC{name, std::move(p)});
  return raw;
}

bool env_EnvironmentC::remove(const StringC& name) {
  const StringC key = keyOf(name);
  auto r = map_.find(key);
  if (!r.valid()) return false;
  EntryC* e = r.value();
  map_.removeValue(key, e);
  delete e;
  return true;
}

void env_EnvironmentC::store(const StringC& name, std::unique_ptr<QblEnvParamI> p) {
  if (!p) return;
  if (EntryC* e = entry(name)) {
    e->param = std::move(p);
    return;
  }
  map_.insert(keyOf(name), new EntryC{name, std::move(p)});
}

std::vector<StringC> env_EnvironmentC::names() const {
  std::vector<StringC> out;
  map_.forEach([&out](const StringC&, EntryC* e) { out.push_back(e->name); });
  return out;
}
