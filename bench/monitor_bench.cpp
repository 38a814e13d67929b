// The monitor's idle cycle (nothing new, so nothing written) beside its
// floor: the same registry reads, session enumeration and WMI enumeration
// made directly through the registry service and the platform layer, with
// none of the agent's logic. The target is an idle cycle at most 1.5 times
// its floor. Runs on a copy of the demo desktop with N applications in its
// App-V client (the demo's three, or 1,000 generated ones).
//
// BM_IdleCycleMemory runs 100,000 idle cycles and reports the resident
// memory after the first 1,000 and after the last: an idle agent must not
// grow.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "collect/wmi/wmi_platform.h"
#include "config/prefs/env_environment.h"
#include "config/prefs/qb_context.h"
#include "platform/logon_sessions.h"
#include "platform/wmi.h"
#include "plugin/monitor/vdi_endpoint_monitor.h"
#include "plugin/prefs/vdi_endpoint_ag_prefs.h"
#include "runtime/services/common_services.h"

namespace fs = std::filesystem;

namespace {

// A copy of the demo desktop with `applications` launched App-V
// applications (0: the demo's own three), loaded as the agent's Start
// loads it.
class DesktopC {
 public:
  explicit DesktopC(int applications) {
    root_ = fs::temp_directory_path() / ("vdi-bench-" + std::to_string(::getpid()) + "-" + std::to_string(applications));
    fs::remove_all(root_);
    fs::copy(VDI_DEMO_DIR, root_, fs::copy_options::recursive);
    fs::remove_all(root_ / "bin");
    if (applications > 0) {
      std::ofstream mof(root_ / "wmi" / "appv-client.mof", std::ios::app);
      for (int i = 0; i < applications; ++i)
        mof << "instance of Application\n{\n  ApplicationId = \"{app-" << i << "}\";\n  Name = \"Application " << i
            << "\";\n  Version = \"1." << i << "\";\n  PackageGUID = \"{" << 10000000 + i
            << "-0000-4000-8000-000000000000}\";\n  LastLaunchOnSystem = \"20261210120000.000000+000\";\n"
            << "  InUse = false;\n};\n";
    }
    // A desktop set up a while ago, as a real one is: the stand-in trusts
    // its listing of a registry directory that has not changed lately.
    fs::last_write_time(root_ / "registry", fs::file_time_type::clock::now() - std::chrono::minutes(1));
    setenv("TNW_MACHINE_ROOT", root_.c_str(), 1);
    // No uploader: the first (non-idle) cycle's launch fails quietly.
    setenv("PATH", root_.c_str(), 1);
    common_services::registryContext()->reload();
    QBContextC::process().replaceEnvironment(env_EnvironmentC());
    VDIEndpointAgPrefs preferences(StringC::fromUtf8("1.0.0"));
    const char* argv[] = {"vdiendpoint"};
    preferences.loadPreferences(1, argv);
  }
  ~DesktopC() { fs::remove_all(root_); }

 private:
  fs::path root_;
};

// A monitor that has reported once: every later cycle is idle.
RefM<VDIEndpointMonitor> reportedMonitor() {
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  monitor->runCycle();
  return monitor;
}

void BM_IdleCycle(benchmark::State& state) {
  DesktopC desktop(static_cast<int>(state.range(0)));
  RefM<VDIEndpointMonitor> monitor = reportedMonitor();
  for (auto _ : state) benchmark::DoNotOptimize(monitor->runCycle());
}
BENCHMARK(BM_IdleCycle)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The floor: what a cycle has to ask the system, asked directly: the same
// registry calls (the source tests, the user's SID, every value), the
// sessions and their data, the WMI connection and each application's four
// properties.
void BM_IdleCycleFloor(benchmark::State& state) {
  DesktopC desktop(static_cast<int>(state.range(0)));
  tnw::RegistryServiceI* registry = common_services::registryService();
  const char* const citrix[][2] = {
      {"SOFTWARE\\Citrix\\ICA\\Session", "ClientName"},
      {"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "HostName"},
      {"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "Domain"},
      {"SOFTWARE\\Citrix\\VirtualDesktopAgent\\State", "DesktopCatalogName"},
      {"SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues", "BrokeringUserSID"},
  };
  const std::u16string names[] = {u"Name", u"Version", u"PackageGUID", u"LastLaunchOnSystem"};
  // The existence tests that choose the sources, as the collector makes
  // them: the client name's key, the catalog's view, the user's SID.
  const int sourceTests[] = {0, 3, 4};
  for (auto _ : state) {
    tnw::RegKey view = 0;
    registry->openKey(tnw::kHKeyLocalMachine, StringC().newRef(), tnw::kKeyRead | tnw::kKeyWow64_64, &view);
    for (int i : sourceTests)
      benchmark::DoNotOptimize(registry->valueExists(view, StringC::fromUtf8(citrix[i][0]).newRef(),
                                                     StringC::fromUtf8(citrix[i][1]).newRef(), 0, 0));
    // The user's SID is read first on its own, then with every other value.
    {
      tnw::TextI* text = nullptr;
      registry->readText(view, StringC::fromUtf8(citrix[4][0]).newRef(), StringC::fromUtf8(citrix[4][1]).newRef(),
                         &text);
      if (text) text->release();
    }
    for (const auto& v : citrix) {
      tnw::TextI* text = nullptr;
      registry->readText(view, StringC::fromUtf8(v[0]).newRef(), StringC::fromUtf8(v[1]).newRef(), &text);
      if (text) text->release();
    }
    registry->closeKey(view);

    std::vector<platform::LogonIdC> ids;
    platform::enumerateLogonSessions(ids);
    for (const platform::LogonIdC& id : ids) {
      platform::LogonSessionDataC data;
      benchmark::DoNotOptimize(platform::logonSessionData(id, data));
    }

    const WmiPlatformC& wmi = defaultWmiPlatform();
    std::unique_ptr<platform::wmi::LocatorI> locator;
    std::unique_ptr<platform::wmi::ServicesI> services;
    std::unique_ptr<platform::wmi::EnumeratorI> walk;
    wmi.createLocator(locator);
    locator->connectServer(u"\\\\.\\root\\microsoft\\appvirt\\client", nullptr, nullptr, services);
    services->createInstanceEnum(u"Application", 1, walk);
    std::unique_ptr<platform::wmi::ClassObjectI> object;
    while (walk->next(-1, object) == 0 && object) {
      for (const std::u16string& name : names) {
        platform::wmi::VariantC value;
        int32_t type = 0;
        object->get(name, value, type);
        benchmark::DoNotOptimize(value);
      }
      object.reset();
    }
  }
}
BENCHMARK(BM_IdleCycleFloor)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

void BM_IdleCycleMemory(benchmark::State& state) {
  DesktopC desktop(0);
  RefM<VDIEndpointMonitor> monitor = reportedMonitor();
  long after1k = 0, after100k = 0;
  for (auto _ : state) {
    for (int i = 1; i <= 100000; ++i) {
      monitor->runCycle();
      if (i == 1000) after1k = residentKiB();
    }
    after100k = residentKiB();
  }
  state.counters["rss_kib_after_1k"] = static_cast<double>(after1k);
  state.counters["rss_kib_after_100k"] = static_cast<double>(after100k);
  state.counters["growth_kib"] = static_cast<double>(after100k - after1k);
}
BENCHMARK(BM_IdleCycleMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
