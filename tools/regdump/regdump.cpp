// regdump: what a machine root's registry holds, in the form `reg export`
// writes, so that an administrator can check a machine root with the tools
// of Windows in mind.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/machine_root.h"
#include "conf_trace.h"
#include "reg_compare.h"
#include "reg_export.h"
#include "tnwcmn/machine_store.h"

namespace {

const char kUsage[] =
    "usage: regdump [--machine DIR] [--view 32|64] [KEY]\n"
    "       regdump [--machine DIR] --trace NAME\n"
    "       regdump --compare FILE-A[,FILE...] FILE-B[,FILE...]\n"
    "  Prints the keys and values below KEY (default HKEY_LOCAL_MACHINE) of the registry of the\n"
    "  machine root DIR (default: $TNW_MACHINE_ROOT, else /var/lib/tarnwell), read from\n"
    "  DIR/registry/*.reg, as `reg export` writes them (UTF-8). KEY starts with a root:\n"
    "  HKEY_LOCAL_MACHINE (HKLM), HKEY_CURRENT_USER (HKCU), HKEY_USERS (HKU),\n"
    "  HKEY_CLASSES_ROOT (HKCR) or HKEY_CURRENT_CONFIG (HKCC).\n"
    "  --view 32 shows the keys as a 32-bit process sees them (the agent's view: below\n"
    "  HKLM\\SOFTWARE the keys of SOFTWARE\\WOW6432Node); --view 64 (the default) the keys as stored.\n"
    "  --trace shows where the agent's configuration variable NAME (\"EnableVirtAppUsageTracking\",\n"
    "  or with its key: \"VDI Endpoint Agent\\CurrentVersion\\LogFile\") is looked for, step by\n"
    "  step, and the value it reads on that machine (the search as the agent makes it).\n"
    "  --compare reads two sets of .reg files (as regedit or `reg export` wrote them, any\n"
    "  encoding; several files of a set separated by commas, loaded in that order) and prints\n"
    "  how their content differs: values by name, type and data, and keys without sub-keys;\n"
    "  exit 0 when they hold the same, 1 when not.\n";

// Loads one .reg file; false (reported) when it cannot be read.
bool loadFile(const std::string& path, tnw::reg::Store& store) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "regdump: cannot read '%s'\n", path.c_str());
    return false;
  }
  std::string bytes;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && bytes.size() <= tnw::reg::kMaxFileBytes) bytes.append(buf, n);
  std::fclose(f);
  std::vector<std::string> problems;
  tnw::reg::loadRegFile(bytes, path, store, problems);
  for (const auto& p : problems) std::fprintf(stderr, "regdump: %s\n", p.c_str());
  return true;
}

// A comma-separated list of files, loaded in order into one store.
bool loadFiles(const std::string& list, tnw::reg::Store& store) {
  size_t from = 0;
  for (;;) {
    const size_t comma = list.find(',', from);
    if (!loadFile(list.substr(from, comma == std::string::npos ? std::string::npos : comma - from), store))
      return false;
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

int compareFiles(const std::string& a, const std::string& b) {
  tnw::reg::Store sa, sb;
  if (!loadFiles(a, sa) || !loadFiles(b, sb)) return 2;
  const std::vector<std::string> diff = regdump::differences(sa, sb);
  for (const auto& line : diff) std::printf("%s\n", line.c_str());
  return diff.empty() ? 0 : 1;
}

int usage(const std::string& problem) {
  std::fprintf(stderr, "regdump: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string machine = common::machineRootFrom(std::getenv(common::kMachineRootVariable)
                                                    ? std::getenv(common::kMachineRootVariable)
                                                    : "");
  std::string key = "HKEY_LOCAL_MACHINE";
  bool view32 = false;
  bool keyGiven = false;
  std::string traced;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--compare") {
      if (argc != 4 || i != 1) return usage("--compare takes two files and nothing else");
      return compareFiles(argv[2], argv[3]);
    } else if (a == "--machine" && i + 1 < argc) {
      machine = argv[++i];
    } else if (a == "--trace" && i + 1 < argc) {
      traced = argv[++i];
    } else if (a == "--view" && i + 1 < argc) {
      const std::string v = argv[++i];
      if (v != "32" && v != "64") return usage("--view takes 32 or 64, not '" + v + "'");
      view32 = v == "32";
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option '" + a + "'");
    } else if (keyGiven) {
      return usage("one key at a time ('" + key + "' and '" + a + "')");
    } else {
      key = a;
      keyGiven = true;
    }
  }
  if (!traced.empty()) {
    if (keyGiven) return usage("--trace takes a variable, not a key");
    struct stat st {};
    if (stat((machine + "/registry").c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      std::fprintf(stderr, "regdump: cannot read the machine root '%s': it has no folder 'registry'\n",
                   machine.c_str());
      return 2;
    }
    setenv(common::kMachineRootVariable, machine.c_str(), 1);
    return regdump::traceVariable(traced);
  }
  std::vector<std::string> parts = tnw::reg::splitPath(key);
  const std::string root = parts.empty() ? std::string() : tnw::reg::canonicalRoot(parts.front());
  if (root.empty()) return usage("'" + key + "' does not start with a registry root");
  parts.erase(parts.begin());

  struct stat st {};
  const std::string registryDir = machine + "/registry";
  if (stat(registryDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "regdump: cannot read the machine root '%s': it has no folder 'registry'\n",
                 machine.c_str());
    return 2;
  }
  std::vector<std::string> files, problems;
  tnw::reg::scanMachineStore(machine, files);
  const auto store = tnw::reg::loadMachineStore(machine, files, problems);
  for (const auto& p : problems) std::fprintf(stderr, "regdump: %s\n", p.c_str());

  std::string out;
  if (!regdump::exportKey(*store, root, parts, view32, out)) {
    std::fprintf(stderr, "regdump: no key '%s' in the %s-bit view of '%s'\n", key.c_str(), view32 ? "32" : "64",
                 machine.c_str());
    return 1;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
