// The monitor's test desktop: a copy of the demo desktop (Linux stand-ins:
// the .reg store, the logon-sessions table, the .mof repository) per test,
// with an uploader of the test's own on PATH that records how it was
// called, and the documents the demo desktop gives.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "agent_log.h"
#include "config/prefs/env_environment.h"
#include "config/prefs/env_preferences.h"
#include "config/prefs/qb_context.h"
#include "files/file_service.h"
#include "plugin/prefs/vdi_endpoint_ag_prefs.h"
#include "runtime/services/common_services.h"
#include "runtime/threads/thread.h"
#include "test_support.h"

namespace monitor_fixture {

namespace fs = std::filesystem;


inline const char* const kAgentModule = "VDIEndpointMonitor/VDIEndpoint/Agent";

// The document the demo desktop gives, with the applications' lines between
// the root's start tag and the end of "AppVClientInfo".
inline std::string demoDocument(const std::vector<std::string>& applications) {
  std::string d =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><vdiAccess endPointClientName=\"THIN-CLIENT-07\" "
      "vdiName=\"VDI-FIN-0042\" vdiDomain=\"corp.example\" vdiTemplateName=\"Finance Desktops\" "
      "userName=\"Ada Lovelace\" userDomain=\"CORP\" logonTime=\"20261210T083005\" type=\"XenDesktop\">\r\n";
  if (applications.empty()) return d + "\t<AppVClientInfo/>\r\n</vdiAccess>\r\n";
  d += "\t<AppVClientInfo>\r\n";
  for (const std::string& a : applications) d += "\t\t<VirtualDesktopApplicationUsage " + a + " AccessMode=\"App-V\"/>\r\n";
  return d + "\t</AppVClientInfo>\r\n</vdiAccess>\r\n";
}

inline const std::string kLedger =
    "Name=\"Ledger Pro\" Version=\"12.4.0.1\" PackageGUID=\"{A1C3E8F0-2B44-4D1A-8E55-7A9B0C1D2E3F}\" "
    "LastLaunchOnSystem=\"20261210T093512+0100\"";
inline const std::string kChart =
    "Name=\"Chart Studio\" Version=\"3.1\" PackageGUID=\"{77B1D0E2-9C3A-4F65-B2D8-1E0A9F8C7B6D}\" "
    "LastLaunchOnSystem=\"20261210T084410Z\"";
inline const std::string kMail =
    "Name=\"Mail Desk\" Version=\"8.0.2\" PackageGUID=\"{3C4D5E6F-7A8B-4C9D-8E0F-1A2B3C4D5E6F}\" "
    "LastLaunchOnSystem=\"20261210T101502+0100\"";

inline const char* const kFourthApplication =
    "#pragma namespace(\"\\\\\\\\.\\\\root\\\\microsoft\\\\appvirt\\\\client\")\n"
    "instance of Application\n{\n  ApplicationId = \"{9A0B1C2D-0000-4000-8000-000000000004}\";\n"
    "  Name = \"Paint & \\\"Draw\\\"\";\n  Version = \"2.0\";\n"
    "  PackageGUID = \"{9A0B1C2D-1111-4111-8111-111111111111}\";\n"
    "  LastLaunchOnSystem = \"20261210120000.000000+000\";\n  InUse = false;\n};\n";

class Monitor : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::AgentLogC::instance(); }

  void SetUp() override {
    fs::copy(VDI_DEMO_DIR, machine.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::remove_all(machine.path() + "/bin");
    test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
    fs::remove(tools.path() + "/calls");
    test_support::writeFile(tools.file("qbupload"), "#!/bin/sh\necho \"$@\" >> \"" + tools.path() + "/calls\"\n");
    fs::permissions(tools.path() + "/qbupload", fs::perms::owner_all);
    savedPath = getenv("PATH") ? getenv("PATH") : "";
    test_support::setEnv("PATH", tools.path() + ":" + savedPath);
    common_services::registryContext()->reload();
    loadPreferences();
    log();
  }
  void TearDown() override {
    test_support::setEnv("PATH", savedPath);
    setFileService(nullptr);
  }

  // What Start does for the monitor: a fresh environment with the agent's
  // preferences.
  void loadPreferences() {
    QBContextC::process().replaceEnvironment(env_EnvironmentC());
    VDIEndpointAgPrefs preferences(StringC::fromUtf8("1.0.0"));
    const char* argv[] = {"vdiendpoint"};
    preferences.loadPreferences(1, argv);
  }
  void setPreference(const char* name, const char* value) {
    EnvPreferencesC().set(StringC::fromUtf8(name), StringC::fromUtf8(value), true);
  }
  std::string native(const char* preference) {
    return FileNameC(EnvPreferencesC().value(StringC::fromUtf8(preference))).nativePath();
  }
  std::string dataDirectory() { return native("VDIDirectory"); }
  std::string uploadDirectory() {
    return FileNameC(EnvPreferencesC().value(StringC::fromUtf8("MachineUploadDirectory")).toUtf8() + "\\VdiAccess")
        .nativePath();
  }
  static std::vector<std::string> files(const std::string& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
      if (e.is_regular_file()) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  std::vector<std::string> uploads() { return files(uploadDirectory()); }
  std::string upload(const std::string& name) { return test_support::readFile(uploadDirectory() + "/" + name); }
  // A later .reg file that gives the desktop another catalog.
  void changeCatalog(const char* name) {
    test_support::writeFile(machine.file("registry/90-catalog.reg"),
                            std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\VirtualDesktopAgent\\State]\r\n"
                                        "\"DesktopCatalogName\"=\"") + name + "\"\r\n");
    common_services::registryContext()->reload();
  }
  std::vector<std::string> log() { return test_support::AgentLogC::instance().newMessages(); }
  std::string calls() {
    std::error_code ec;
    return fs::exists(tools.path() + "/calls", ec) ? test_support::readFile(tools.path() + "/calls") : "";
  }

  test_support::TempDirC machine;
  // Outlives the tests: an uploader launched by one may start after it.
  static test_support::TempDirC& toolsDir() {
    static test_support::TempDirC dir;
    return dir;
  }
  test_support::TempDirC& tools = toolsDir();
  test_support::TempDirC scratch;
  std::string savedPath;
};

}  // namespace monitor_fixture
