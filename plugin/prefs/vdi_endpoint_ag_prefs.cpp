#include "plugin/prefs/vdi_endpoint_ag_prefs.h"

#include <cstdlib>
#include <string>

#include "config/prefs/env_declared_defaults.h"
#include "config/prefs/env_default_builder.h"
#include "config/prefs/env_msw_preferences.h"
#include "config/prefs/qb_context.h"
#include "files/file_name.h"
#include "log/log_manager.h"
#include "platform/library_objects.h"

namespace {

constexpr const char* kOptionNames[] = {
    "Disabled", "UploadPeriod", "VDIDirectory", "UploadFile", "Upload",   "VdiAccess",
    "UploadLocation", "DateTimeFormat", "VDIFile", "VDIExtension", "DateTime", "Version",
    "LowProfile", "Delay", "MachineName", "MachineId", "UserId"};
constexpr int kOptionCount = sizeof kOptionNames / sizeof kOptionNames[0];
// The ones a reload clears: all but the machine and user identity.
constexpr int kClearedOnReload = 14;

// Null-terminated, built once; kept for the library's lifetime.
const env_EnvOptsC* const* optionTable() {
  static const env_EnvOptsC* const* table = [] {
    auto** t = new const env_EnvOptsC*[kOptionCount + 1];
    for (int i = 0; i < kOptionCount; ++i) t[i] = new env_EnvOptsC(StringC(kOptionNames[i], "system-8"));
    t[kOptionCount] = nullptr;
    platform::library_objects::adopt(
        [](void* p) {
          auto** options = static_cast<const env_EnvOptsC**>(p);
          for (int i = 0; i < kOptionCount; ++i) delete options[i];
          delete[] options;
        },
        t);
    return t;
  }();
  return table;
}


}  // namespace

VDIEndpointAgPrefs::VDIEndpointAgPrefs(const StringC& productVersion, env_EnvironmentI* environment)
    : EnvPreferencesC(environment), productVersion_(productVersion) {}

VDIEndpointAgPrefs::~VDIEndpointAgPrefs() = default;

const env_EnvOptsC* const* VDIEndpointAgPrefs::options() { return optionTable(); }

void VDIEndpointAgPrefs::findOption(env_EnvOptsC& out, const StringC& name) {
  for (const env_EnvOptsC* const* o = optionTable(); *o; ++o)
    if ((*o)->getName().equals(name)) {
      out = **o;
      return;
    }
  out = env_EnvOptsC(name, 0);
}

int32_t VDIEndpointAgPrefs::loadPreferences(int argc, const char* const* argv) {
  int32_t status = setDefaults();
  if (status < 0) return status;
  if ((status = addSections()) < 0) return status;
  if ((status = applyArguments(argc, argv)) < 0) return status;
  if ((status = prepare()) < 0) return status;
  if ((status = deriveDefaults()) < 0) return status;
  return validate();
}

void VDIEndpointAgPrefs::reloadPreferences() {
  env_EnvironmentI* env = environment();
  for (int i = 0; i < kClearedOnReload; ++i) {
    const StringC name(kOptionNames[i], "system-8");
    // A fixed variable keeps its value: cleared, it would read empty until
    // the next load, and a fixed "Delay" would turn back-to-back cycles.
    if (isFixed(name)) continue;
    if (QblEnvParamI* p = env->param(name, false)) p->clear();
  }
  setDefaults();
  addSections();
  deriveDefaults();
  validate();
}

int32_t VDIEndpointAgPrefs::setDefaults() {
  env_EnvDefaultBuilderC().build(*this);
  // The log and data settings the agent's registry section declares: the
  // registry load (after this) replaces them, but where it has nothing they
  // hold, rather than the suite-wide table's launcher log.
  seedDeclaredDefaults(*this, ConfKeyE::kVdiEndpointAgent,
                       {"VDIDirectory", "LogFile", "LogFileOld", "LogFileSize", "LogLevel"});
  set(text("Version"), productVersion_, false);
  set(text("Disabled"), text("False"), false);
  set(text("Delay"), text("60"), false);
  set(text("DateTimeFormat"), text("%Y%m%dT%H%M%S"), false);
  set(text("LowProfile"), text("True"), false);
  // The machine name's normalising conversion is the identity.
  set(text("MachineName"), value(text("ComputerName")), false);
  set(text("MachineId"), text("$(MachineName)"), false);
  set(text("UserId"), text("$(UserName)"), false);
  return 0;
}

int32_t VDIEndpointAgPrefs::deriveDefaults() {
  const bool expand = expandOnRead();
  setExpandOnRead(false);
  if (isEmpty(text("VdiAccess")) || isEmpty(text("UploadLocation")))
    set(text("VdiAccess"), text("$(ServerLocation)/VdiAccess/$(UserId) on $(MachineId) $(DateTime).vdi"), false);
  if (isEmpty(text("UploadFile"))) {
    // The target as a template, as the upload's reset takes it: expanded
    // now it would fix the service's own user and an empty "DateTime" into
    // the first document's name.
    StringC access;
    get(access, text("VdiAccess"), false);
    const FileNameC file(access);
    set(text("UploadFile"), StringC::fromUtf8(file.leafName()), false);
    set(text("VDIExtension"), StringC::fromUtf8(file.extension()), false);
  }
  StringC upload;
  get(upload, text("UploadFile"), false);
  StringC uploadExpanded;
  expandText(uploadExpanded, upload);
  if (FileNameC(uploadExpanded).extension().empty()) {
    set(text("UploadFile"), upload + text(".vdi"), false);
    set(text("VDIExtension"), text("vdi"), false);
  }
  if (isEmpty(text("VDIFile"))) set(text("VDIFile"), text("$(MachineId)_$(DateTime).vdi"), false);
  if (isEmpty(text("Delay"))) set(text("Delay"), text("60"), false);
  if (isEmpty(text("VdiAccess")))
    set(text("Upload"), text("False"), false);
  else if (isEmpty(text("Upload")))
    set(text("Upload"), text("True"), false);
  if (isEmpty(text("TempDirectory"))) set(text("TempDirectory"), text("$(WinDirectory)\\Temp"), false);
  if (isEmpty(text("CommonAppDataFolder")))
    set(text("CommonAppDataFolder"), text("$(TempDirectory)\\All Users"), false);
  if (isEmpty(text("VDIDirectory"))) set(text("VDIDirectory"), text("$(TempDirectory)\\All Users\\vdi"), false);
  setExpandOnRead(expand);
  return 0;
}

int32_t VDIEndpointAgPrefs::addSections() {
  EnvMSWPreferencesC loader(environment(), this);
  const StringC separators = text(",;");
  for (const char* component : {"Root", "Common", "VDIEndpointAgent"})
    loader.loadComponent(text(component), true, separators);
  loader.loadComponentValue(text("Rules"), true, text("VdiAccess"), StringC());
  return 0;
}

int32_t VDIEndpointAgPrefs::applyArguments(int argc, const char* const* argv) {
  // getopt-style over "o:": "-o value", "-ovalue", other letters skipped,
  // "--" ends the options.
  for (int i = 1; i < argc && argv[i]; ++i) {
    const std::string a = argv[i];
    if (a == "--") break;
    if (a.size() < 2 || a[0] != '-') continue;
    if (a[1] != 'o') continue;
    std::string v;
    if (a.size() > 2) {
      v = a.substr(2);
    } else if (i + 1 < argc && argv[i + 1]) {
      v = argv[++i];
    } else {
      break;
    }
    const size_t eq = v.find('=');
    if (eq == std::string::npos) continue;
    set(StringC(v.substr(0, eq).c_str(), "system-8"), StringC(v.substr(eq + 1).c_str(), "system-8"), false);
  }
  return 0;
}

int32_t VDIEndpointAgPrefs::prepare() { return 0; }

int32_t VDIEndpointAgPrefs::validate() {
  const StringC disabled = text("Disabled");
  if (getBoolean(disabled, true) != getBoolean(disabled, false)) {
    set(disabled, text("True"), false);
    log_LogManagerC::instance().log('P', 2, 0xE1B30051,
                                    text("{e}ERROR: Preference '%1$S' is invalid: must be boolean value"),
                                    ArgListC::of(disabled));
  }
  const StringC period = text("UploadPeriod");
  const std::string p = value(period).toUtf8();
  // Nothing sets "UploadPeriod" but an administrator, and every reload clears
  // it: an empty one takes the default quietly, or each cycle would log an
  // error about a value nobody gave.
  if (p.empty()) {
    set(period, text("60"), false);
  } else if (std::strtol(p.c_str(), nullptr, 0) <= 0) {
    set(period, text("60"), false);
    log_LogManagerC::instance().log('P', 2, 0xE1B30052,
                                    text("{e}ERROR: Preference '%1$S' is invalid: must be a number greater than 0"),
                                    ArgListC::of(period));
  }
  return 0;
}
