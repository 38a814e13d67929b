#include "conf_trace.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/registry/conf_var_boolean.h"
#include "config/registry/conf_var_int32.h"
#include "config/registry/conf_var_string.h"
#include "config/registry/conf_var_string_array.h"
#include "config/tables/conf_tree.h"
#include "runtime/services/common_services.h"
#include "runtime/strings/string_array.h"

namespace regdump {

namespace {

const char* sourceText(int32_t source) {
  switch (source) {
    case ConfVarC::kSourceMachine: return "HKEY_LOCAL_MACHINE";
    case ConfVarC::kSourceUser: return "HKEY_CURRENT_USER";
    case ConfVarC::kSourceOverride: return "the override table";
    case ConfVarC::kSourceRemote: return "the remote machine";
    case ConfVarC::kSourceAltHive: return "the alternate hive";
    default: return "the default";
  }
}

std::string readValue(ConfVarC& v) {
  switch (v.typeCode()) {
    case ConfVarC::kString: return "\"" + static_cast<ConfVarStringC&>(v).getValue().toUtf8() + "\"";
    case ConfVarC::kBoolean: return ConfVarBooleanC::booleanText(static_cast<ConfVarBooleanC&>(v).getValue());
    case ConfVarC::kInt32: return std::to_string(static_cast<ConfVarInt32C&>(v).getValue());
    case ConfVarC::kStringArray: {
      const StringArrayC items = static_cast<ConfVarStringArrayC&>(v).getValue();
      std::string out = "{";
      for (int32_t i = 0; i < items.count(); ++i) out += (i ? ", \"" : "\"") + items.at(i).toUtf8() + "\"";
      return out + "}";
    }
    default: return "(a key)";
  }
}

// The variable `name` names, or null (with the reason on standard error).
ConfVarC* lookUp(const std::string& name) {
  const StringC wanted = StringC::fromUtf8(name);
  const StringC suffix = StringC::fromUtf8("\\") + wanted;
  const bool qualified = wanted.find(U'\\') >= 0;
  std::vector<ConfVarC*> matches;
  for (const auto& object : confTree().objects()) {
    ConfVarC& v = *object;
    if (v.typeCode() == ConfVarC::kKeyNode) continue;
    const StringC path = v.fullPath(false);
    const int32_t at = path.length() - suffix.length();
    if (qualified ? at >= 0 && path.substr(at).equalsIgnoreCase(suffix) : v.name().equalsIgnoreCase(wanted))
      matches.push_back(&v);
  }
  if (matches.empty()) {
    std::fprintf(stderr, "regdump: no configuration variable '%s' in the tables\n", name.c_str());
    return nullptr;
  }
  if (matches.size() > 1) {
    std::fprintf(stderr, "regdump: '%s' names %zu variables; name one with its key:\n", name.c_str(), matches.size());
    for (ConfVarC* v : matches) std::fprintf(stderr, "  %s\n", v->fullPath(false).toUtf8().c_str());
    return nullptr;
  }
  return matches.front();
}

}  // namespace

int traceVariable(const std::string& name) {
  // The traces go to a scratch file and are printed before the result, so
  // that the two never interleave.
  char scratch[] = "/tmp/regdump-trace-XXXXXX";
  const int fd = mkstemp(scratch);
  if (fd < 0) {
    std::fprintf(stderr, "regdump: cannot make a scratch file for the trace\n");
    return 2;
  }
  close(fd);
  setenv("TNW_TRACE", "Configuring/Registry/*", 1);
  setenv("TNW_TRACE_FILE", scratch, 1);
  common_services::logService()->reload();
  std::string result;
  if (ConfVarC* v = lookUp(name)) {
    const std::string value = readValue(*v);
    result = v->fullPath(false).toUtf8() + " = " + value + " (from " + sourceText(v->source()) + ")\n";
  }
  if (std::FILE* f = std::fopen(scratch, "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) std::fwrite(buf, 1, n, stdout);
    std::fclose(f);
  }
  unlink(scratch);
  std::fputs(result.c_str(), stdout);
  return result.empty() ? 2 : 0;
}

}  // namespace regdump
