#include "config/prefs/env_preferences.h"

#include "config/prefs/env_expander.h"
#include "config/prefs/prefs_trace.h"
#include "config/prefs/qb_context.h"

namespace {

bool endsWithIgnoreCase(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  return env_nameKey(s.substr(s.size() - suffix.size())) == env_nameKey(suffix);
}

void traceStopped(const StringC& what, const env_ExpanderC& x) {
  if (x.stopped())
    kPreferencesModule.trace("Expansion of \"%1$S\" stopped after %2$u references; the rest is kept as written",
                             what, x.references() - 1);
}

}  // namespace

EnvPreferencesC::EnvPreferencesC(env_EnvironmentI* environment)
    : env_(environment ? environment : QBContextC::process().environment()) {}

EnvPreferencesC::~EnvPreferencesC() = default;

bool EnvPreferencesC::isFixed(const StringC& name) {
  const std::string_view n = name.utf8();
  if ((n.size() >= 4 && endsWithIgnoreCase(n, "Fxd")) || (n.size() >= 6 && endsWithIgnoreCase(n, "Fixed")))
    return true;
  for (const char* suffix : {"Fixed", "Fxd"}) {
    const StringC companion = name + text(suffix);
    if (exists(companion) && getBoolean(companion, false)) return true;
  }
  return false;
}

void EnvPreferencesC::setList(const env_EnvOptsC& name, const StringArrayC* list, bool force) {
  const StringC n = name.getName();
  if (!list) return;
  if (!force && isFixed(n)) {
    kPreferencesModule.trace("%1$S is fixed: the list set is refused", n);
    return;
  }
  std::unique_ptr<StringArrayC> former(getList(name, true));
  // A caller may pass the variable's own list object's copy; read it first.
  const StringArrayC elements = *list;
  remove(name);
  const StringC self = text("$(") + n + text(")");
  for (const StringC& e : elements) {
    if (env_nameKey(e.utf8()) == env_nameKey(self.utf8())) {
      for (const StringC& old : *former) set(name, old, force);
    } else {
      set(name, e, force);
    }
  }
}

void EnvPreferencesC::setList(const StringC& name, const StringArrayC* list, bool force) {
  env_EnvOptsC opts;
  findOption(opts, name);
  setList(opts, list, force);
}

void EnvPreferencesC::set(const env_EnvOptsC& name, const StringC& value, bool force) {
  const StringC n = name.getName();
  if (!force && isFixed(n)) {
    kPreferencesModule.trace("%1$S is fixed: the set to \"%2$S\" is refused", n, value);
    return;
  }
  QblEnvParamI* p = env_->param(n, name.isMultiValued());
  if (name.isMultiValued())
    p->append(value);
  else
    p->set(value);
}

void EnvPreferencesC::set(const StringC& name, const StringC& value, bool force) {
  env_EnvOptsC opts;
  findOption(opts, name);
  set(opts, value, force);
}

StringC EnvPreferencesC::expandedValue(const StringC& name, QblEnvParamI* p) {
  env_ExpanderC x(*env_, unknownAsEmpty_);
  StringC out = x.expandValue(name, p->get());
  traceStopped(name, x);
  return out;
}

void EnvPreferencesC::get(StringC& out, const env_EnvOptsC& name, bool expand) {
  const StringC n = name.getName();
  QblEnvParamI* p = env_->find(n);
  if (expandOnRead_ && expand) {
    if (!p)
      out = unknownAsEmpty_ ? StringC() : text("$(") + n + text(")");
    else
      out = expandedValue(n, p);
    return;
  }
  out = p ? p->get() : StringC();
}

void EnvPreferencesC::get(StringC& out, const StringC& name, bool expand) {
  env_EnvOptsC opts;
  findOption(opts, name);
  get(out, opts, expand);
}

StringArrayC* EnvPreferencesC::getList(const env_EnvOptsC& name, bool expand) {
  auto* list = new StringArrayC();
  const StringC n = name.getName();
  QblEnvParamI* p = env_->find(n);
  if (!p) return list;
  const int32_t count = p->count();
  for (int32_t i = 0; i < count; ++i) {
    const StringC raw = p->at(i);
    if (expandOnRead_ && expand) {
      env_ExpanderC x(*env_, unknownAsEmpty_);
      list->add(x.expandValue(n, raw));
      traceStopped(n, x);
    } else {
      list->add(raw);
    }
  }
  return list;
}

StringArrayC* EnvPreferencesC::getList(const StringC& name, bool expand) {
  env_EnvOptsC opts;
  findOption(opts, name);
  return getList(opts, expand);
}

void EnvPreferencesC::expandText(StringC& out, const StringC& t) {
  env_ExpanderC x(*env_, unknownAsEmpty_);
  out = x.expandText(t);
  traceStopped(t.length() > 64 ? t.substr(0, 64) + text("...") : t, x);
}

void EnvPreferencesC::findOption(env_EnvOptsC& out, const StringC& name) { out = env_EnvOptsC(name, 0); }

void EnvPreferencesC::appendToList(const StringC& name, const StringC& value) {
  if (isFixed(name)) {
    kPreferencesModule.trace("%1$S is fixed: the append of \"%2$S\" is refused", name, value);
    return;
  }
  QblEnvParamI* p = env_->find(name);
  if (p && !p->isMultiValued()) {
    auto list = std::make_unique<env_MultiParamC>();
    list->append(p->get());
    env_->store(name, std::move(list));
    p = env_->find(name);
  }
  if (!p) p = env_->param(name, true);
  p->append(value);
}

env_EnvironmentI* EnvPreferencesC::environment() { return env_; }

bool EnvPreferencesC::isEmpty(const env_EnvOptsC& name) {
  QblEnvParamI* p = env_->find(name.getName());
  if (!p) return true;
  if (p->isMultiValued()) return false;
  StringC v;
  get(v, name, true);
  return v.isEmpty();
}

bool EnvPreferencesC::isEmpty(const StringC& name) {
  env_EnvOptsC opts;
  findOption(opts, name);
  return isEmpty(opts);
}

bool EnvPreferencesC::exists(const env_EnvOptsC& name) { return env_->exists(name.getName()); }
bool EnvPreferencesC::exists(const StringC& name) { return env_->exists(name); }
bool EnvPreferencesC::expandOnRead() const { return expandOnRead_; }
void EnvPreferencesC::setExpandOnRead(bool on) { expandOnRead_ = on; }
bool EnvPreferencesC::unknownAsEmpty() const { return unknownAsEmpty_; }
void EnvPreferencesC::setUnknownAsEmpty(bool on) { unknownAsEmpty_ = on; }

bool EnvPreferencesC::getBoolean(const env_EnvOptsC& name, bool fallback) {
  StringC v;
  get(v, name, true);
  if (v == text("True") || v == text("Yes")) return true;
  if (v == text("False") || v == text("No")) return false;
  return fallback;
}

bool EnvPreferencesC::getBoolean(const StringC& name, bool fallback) {
  env_EnvOptsC opts;
  findOption(opts, name);
  return getBoolean(opts, fallback);
}

void EnvPreferencesC::remove(const env_EnvOptsC& name) { env_->remove(name.getName()); }
void EnvPreferencesC::remove(const StringC& name) { env_->remove(name); }

void EnvPreferencesC::reattach() { env_ = QBContextC::process().environment(); }

StringC EnvPreferencesC::value(const StringC& name) {
  StringC out;
  get(out, name, true);
  return out;
}
