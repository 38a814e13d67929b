#include "plugin/agent_startup.h"

#include <clocale>
#include <cstdio>
#include <string>

#include "config/context/process_context.h"
#include "config/prefs/env_environment.h"
#include "config/prefs/env_log_settings.h"
#include "config/prefs/qb_context.h"
#include "log/log_manager.h"
#include "platform/module.h"
#include "platform/process.h"
#include "runtime/services/com_registry.h"
#include "runtime/version/module_path.h"
#include "platform/library_objects.h"

namespace {

// The log manager's settings: the process's environment, read when the
// manager is first used. Both live as long as the library (they go at its
// unload).
log_LogSettingsI& processLogSettings() {
  static EnvPreferencesC* view = platform::library_objects::keep(new EnvPreferencesC());
  static EnvLogSettingsC* settings = platform::library_objects::keep(new EnvLogSettingsC(*view));
  return *settings;
}

void banner(log_LogManagerC& log, uint32_t id, const char* text, const ArgListC& args = ArgListC()) {
  log.log('G', 0, id, StringC::fromUtf8(text), args);
}

StringC system8(const std::string& text) { return StringC(text.data(), static_cast<int32_t>(text.size()), "system-8"); }

}  // namespace

AgentStartupC::AgentStartupC() {
  // The module, its path and the program name (the library's file name, a
  // trailing ".exe" dropped).
  platform::ModuleHandle module = platform::moduleContaining(reinterpret_cast<const void*>(&processLogSettings));
  const std::string path = platform::moduleFileName(module);
  const std::string program = module_path::stripSuffix(module_path::split(path).fileName, ".exe");
  char handleArg[48];
  std::snprintf(handleArg, sizeof handleArg, "ghInstance=%ld",
                static_cast<long>(reinterpret_cast<intptr_t>(module)));
  std::string a0 = path, a1 = "-kui", a2 = handleArg;
  char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
  int argc = 3;
  ProcessContextC::current().initialise(argc, argv, program);

  std::setlocale(LC_TIME, "");

  Win32ComRegistryC& com = Win32ComRegistryC::instance();
  com.addRef();
  comStatus_ = com.initialise();

  platform::setErrorMode(0x8001);

  // Each start begins with an empty set of variables.
  QBContextC::process().replaceEnvironment(env_EnvironmentC());

  log_LogManagerC::installLogSettings(&processLogSettings());
  const std::string version = ProcessContextC::current().versionString(6);
  prefs_ = std::make_unique<VDIEndpointAgPrefs>(system8(version));
  const char* prefArgv[] = {path.c_str()};
  prefsStatus_ = prefs_->loadPreferences(1, prefArgv);

  log_LogManagerC& log = log_LogManagerC::instance();
  static LogManagerDiagnosticWriterC* diagnostics = platform::library_objects::keep(new LogManagerDiagnosticWriterC(log));
  PrefsDiagnosticsC::process().attach(diagnostics);

  banner(log, 0xE1B30001, "{i}************************************************************");
  banner(log, 0xE1B30003, "{i}Program version is '%1$S %2$S'",
         ArgListC::of(system8("VDI Endpoint Monitor"), system8(version)));
  banner(log, 0xE1B30002, "{i}Program path is '%1$S'", ArgListC::of(system8(module_path::currentDirectory())));
  banner(log, 0xE1B30006, "{i}Program build number is '%1$S'",
         ArgListC::of(system8(ProcessContextC::current().versionString(0))));
  banner(log, 0xE1B30008, "{i}Endpoint monitor started");
}

AgentStartupC::~AgentStartupC() = default;
