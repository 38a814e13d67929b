// vdidryrun: one cycle's collection of the VDI endpoint agent on this
// machine, and the data document the agent would write from it, printed.
// On Linux the machine is a machine root; on Windows the real registry, LSA
// and WMI.
//
// It must leave the machine as it found it: no document, no upload
// directory, no uploader, no log file. So the document goes to standard
// output through writeVdiDocument alone (the monitor's writeDocument would
// create the data directory), and the agent's log manager is given one
// logger only: the logging library built beside this program, which puts
// each entry on standard error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "collect/appv/appv_bubble_info.h"
#include "collect/citrix/citrix_vdi_endpoint_info.h"
#include "common/machine_root.h"
#include "config/context/process_context.h"
#include "config/prefs/env_environment.h"
#include "config/prefs/qb_context.h"
#include "files/xml/xml_output_stream.h"
#include "log/log_manager.h"
#include "log/log_settings.h"
#include "platform/module.h"
#include "plugin/document/vdi_document.h"
#include "plugin/monitor/vdi_endpoint_monitor.h"
#include "plugin/prefs/vdi_endpoint_ag_prefs.h"
#include "runtime/services/com_registry.h"
#include "runtime/services/common_services.h"
#include "runtime/services/dyn_load.h"
#include "runtime/version/module_path.h"
#include "platform/system.h"
#include "tnwcmn/tnwcmn.h"
#include "tools/common/printing_error_service.h"

namespace {

const char kUsage[] =
    "usage: vdidryrun [--machine DIR]\n"
    "  Runs one cycle's collection of the VDI endpoint agent on this machine (the Citrix endpoint,\n"
    "  the user's logon session, the App-V applications launched since that logon) and prints the\n"
    "  data document the agent would write, listing every collected application. Nothing is\n"
    "  written, moved or started: no document, no upload, no log file. The agent's log messages\n"
    "  and the collectors' problems go to stderr.\n"
    "  --machine DIR  Linux: the machine root whose registry/, logon-sessions and wmi/ are read\n"
    "                 (default: $TNW_MACHINE_ROOT, else /var/lib/tarnwell)\n"
    "  Exit status: 0 printed, 1 the Citrix information could not be collected (the missing value\n"
    "  is named) or the document not printed, 2 bad arguments.\n";

// The agent's log settings but for where entries go. Every letter and
// number is taken: a "LogLevel" chosen for the agent's everyday log must not
// hide the problem the administrator runs this to find. The catalog
// settings stay the agent's, so the texts are the ones its log would hold.
class DryRunLogSettingsC final : public log_LogSettingsI {
 public:
  explicit DryRunLogSettingsC(std::string logger) : logger_(std::move(logger)) {}
  StringC value(const char* name) override {
    const std::string n = name;
    if (n == "LogModules") return StringC::fromUtf8(logger_);
    if (n == "LogFile" || n == "LogFileOld") return StringC();
    if (n == "LogLevel") return StringC::fromUtf8("A-z");
    return preferences_.value(StringC::fromUtf8(name));
  }

 private:
  EnvPreferencesC preferences_;
  std::string logger_;
};

int usage(const std::string& problem) {
  std::fprintf(stderr, "vdidryrun: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

StringC system8(const std::string& text) { return StringC(text.data(), static_cast<int32_t>(text.size()), "system-8"); }

// The logging library's full name, in this program's folder (the log
// manager loads its loggers by path, not by a search).
std::string loggerLibrary() {
  const std::string self = platform::moduleFileName(platform::moduleContaining(reinterpret_cast<const void*>(&usage)));
  const module_path::SplitC parts = module_path::split(self);
  if (parts.directory.empty()) return VDIDRYRUN_LOGGER;
  return parts.directory + self[parts.directory.size()] + VDIDRYRUN_LOGGER;
}

// Installs the dry run's log settings; returns the logging library's path,
// or "" when it cannot be named to the manager.
std::string configureLog() {
  std::string library = loggerLibrary();
  // "LogModules" is a ";"-separated list: such a path would load nothing.
  if (library.find(';') != std::string::npos) {
    std::fprintf(stderr, "vdidryrun: the agent's log messages are not shown: the path '%s' holds a ';'\n",
                 library.c_str());
    library.clear();
  }
  log_LogManagerC::installLogSettings(new DryRunLogSettingsC(library));
  return library;
}

// Without its logger the agent's messages (the name of a missing Citrix
// value among them) would be lost: say so, and why.
void checkLog(const std::string& library) {
  if (library.empty() || log_LogManagerC::instance().loggerCount() != 0) return;
  const DynLoadC probe(library);
  std::fprintf(stderr, "vdidryrun: the agent's log messages are not shown: '%s' did not load%s%s\n",
               library.c_str(), probe.message().empty() ? "" : ": ", probe.message().c_str());
}

// What Start and the monitor thread do before a cycle: a fresh environment
// with the agent's preferences.
void loadPreferences() {
  QBContextC::process().replaceEnvironment(env_EnvironmentC());
  VDIEndpointAgPrefs preferences(system8(ProcessContextC::current().versionString(6)));
  const char* argv[] = {"vdidryrun"};
  const int32_t status = preferences.loadPreferences(1, argv);
  if (status < 0)
    std::fprintf(stderr, "vdidryrun: the agent's preferences did not load completely (status %ld)\n",
                 static_cast<long>(status));
}

// Turns the traces of the agent's module on or off.
void traceAgent(bool on) {
  platform::setEnvironmentVariable("TNW_TRACE", on ? "VDIEndpointMonitor/VDIEndpoint/Agent" : "");
  common_services::logService()->reload();
}

// The monitor's collection, then the document of a first cycle (nothing
// was reported before, so every application is listed). Returns the exit
// status.
int dryRun(VDIEndpointMonitor& monitor) {
  monitor.initialise();
  if (!monitor.enabled())
    std::fprintf(stderr,
                 "vdidryrun: note: \"Disabled\" is true here: the agent would collect nothing; this is what it "
                 "would report once enabled\n");

  CitrixVDIEndpointInfo citrix;
  AppVBubbleInfo applications;
  if (!monitor.collectAll(citrix, applications)) {
    // Without a user SID the collector fails without a message of its own.
    if (!citrix.userID())
      std::fprintf(stderr,
                   "vdidryrun: no Citrix value 'BrokeringUserSID' under "
                   "HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues"
                   " (nor below it)\n");
    std::fprintf(stderr,
                 "vdidryrun: the Citrix VDI endpoint information could not be collected: the agent would write no "
                 "document\n");
    return 1;
  }

  uint32_t status;
  {
    XmlStdioOutputStreamC out(stdout);
    status = writeVdiDocument(out, citrix, applications);
  }
  // The stream's writes are buffered: a full disk or a closed pipe shows
  // only here.
  if (std::fflush(stdout) != 0 && status == 0)
    status = errno ? 0x80070000u | (static_cast<uint32_t>(errno) & 0xFFFFu) : 0xE0000005u;
  if (status != 0) {
    std::fprintf(stderr, "vdidryrun: the document could not be written to standard output (0x%08X)\n",
                 static_cast<unsigned>(status));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--machine") {
      if (i + 1 >= argc) return usage("--machine takes a folder");
      const std::string machine = argv[++i];
      std::error_code ignored;
      if (!std::filesystem::is_directory(machine, ignored)) return usage("'" + machine + "' is not a folder");
      platform::setEnvironmentVariable(common::kMachineRootVariable, machine);
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option '" + a + "'");
    } else {
      return usage("unexpected argument '" + a + "'");
    }
  }

  PrintingErrorServiceC errors("vdidryrun");
  common_services::overrideErrorService(&errors, false);

  // Installed before the preferences load, as Start does: a validation
  // message may be the manager's first use.
  const std::string logger = configureLog();
  loadPreferences();
  checkLog(logger);

  // The collectors trace their problems (an undecodable SID, sessions that
  // cannot be enumerated, a malformed .mof file) under the agent's module:
  // they are shown unless the caller chose the traces already. The
  // monitor's own birth and death, traced there too, are no news: the
  // traces are on only while it works.
  const bool traceCollectors = !std::getenv("TNW_TRACE");
  int result;
  {
    RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
    if (traceCollectors) traceAgent(true);
    // COM for the WMI work on this thread; the collected applications
    // hold WMI proxies, which go (with dryRun's scope) while it is up.
    Win32ComRegistryC& com = Win32ComRegistryC::instance();
    com.addRef();
    const bool comUp = com.initialise() == 0;
    result = dryRun(*monitor);
    if (comUp) com.uninitialise();
    com.release();
    if (traceCollectors) traceAgent(false);
  }

  common_services::restoreErrorService();
  return result;
}
