#include "config/prefs/env_declared_defaults.h"

#include "runtime/strings/arg_list.h"

bool declaredDefault(ConfKeyE key, const char* name, StringC& out) {
  const std::string wanted = env_nameKey(name);
  for (const ConfVarRowC& row : confVarRows()) {
    if (row.key != key || env_nameKey(row.name) != wanted) continue;
    switch (row.type) {
      case ConfVarC::kString:
        out = row.text ? StringC(row.text, (row.flags & ConfVarC::kFlagUtf8) ? "utf8" : "system-8") : StringC();
        return true;
      case ConfVarC::kInt32:
        out = StringC::fromUtf8("%1$d").format(ArgListC::of(row.number));
        return true;
      case ConfVarC::kBoolean:
        out = StringC::fromUtf8(row.number ? "True" : "False");
        return true;
      default:
        return false;
    }
  }
  return false;
}

void seedDeclaredDefaults(EnvPreferencesC& prefs, ConfKeyE key, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    StringC text;
    if (declaredDefault(key, name, text)) prefs.set(StringC::fromUtf8(name), text, false);
  }
}
