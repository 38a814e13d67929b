// The monitor's comparisons: newerThan over App-V lists of growing size
// (linear: each doubling should double the time, never quadruple it), and
// differsFrom of two collected Citrix sets.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "collect/appv/appv_bubble_info.h"
#include "collect/citrix/citrix_vdi_endpoint_info.h"
#include "runtime/services/common_services.h"

namespace {

StringC S(const std::string& utf8) { return StringC::fromUtf8(utf8); }

AppVApplicationInfo application(int i, const char* version) {
  AppVApplicationInfo a;
  a.at(0)->get()->setValue(S("Application " + std::to_string(i)));
  a.at(1)->get()->setValue(S(version));
  a.at(2)->get()->setValue(S("{" + std::to_string(1000000 + i) + "-4b1e-9a3f-2c1d5e6f7a8b}"));
  a.lastLaunch()->setValue(S("20240115T093005+0100"));
  return a;
}

// Two lists of range(0) applications in opposite orders, one in ten with
// another version: a tenth of the first list is newer.
void BM_NewerThan(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  AppVBubbleInfo current, reported;
  for (int i = 0; i < n; ++i) current.append(application(i, i % 10 == 0 ? "17.0" : "16.0"));
  for (int i = n - 1; i >= 0; --i) reported.append(application(i, "16.0"));
  uint32_t newer = 0;
  for (auto _ : state) {
    newer = current.newerThan(reported).count();
    benchmark::DoNotOptimize(newer);
  }
  state.SetComplexityN(n);
  state.SetLabel(std::to_string(newer) + " newer");
}
BENCHMARK(BM_NewerThan)->Arg(1000)->Arg(10000)->Arg(20000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

class NoSessionsC final : public LogonSessionSourceI {
 public:
  uint32_t enumerate(std::vector<platform::LogonIdC>& ids, std::vector<std::string>*) override {
    ids.clear();
    return 0;
  }
  uint32_t sessionData(const platform::LogonIdC&, platform::LogonSessionDataC&) override {
    return platform::kStatusNoSuchLogonSession;
  }
};

// A machine root whose registry has what a Citrix desktop keeps.
class CitrixMachineC {
 public:
  CitrixMachineC() {
    root_ = std::filesystem::temp_directory_path() / ("vdi-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_ / "registry");
    std::ofstream(root_ / "registry" / "citrix.reg")
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\ICA\\Session]\r\n\"ClientName\"=\"THIN-CLIENT-07\"\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues]\r\n"
           "\"BrokeringUserSID\"=\"S-1-5-21-3623811015-3361044348-30300820-1013\"\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\VirtualDesktopAgent\\State]\r\n"
           "\"DesktopCatalogName\"=\"Finance Desktops\"\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
           "\"HostName\"=\"VDI-07\"\r\n\"Domain\"=\"corp.example\"\r\n";
    setenv("TNW_MACHINE_ROOT", root_.c_str(), 1);
    common_services::registryContext()->reload();
  }
  ~CitrixMachineC() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

 private:
  std::filesystem::path root_;
};

void BM_CitrixDiffersFrom(benchmark::State& state) {
  CitrixMachineC machine;
  NoSessionsC sessions;
  CitrixVDIEndpointInfo last(sessions), current(sessions);
  if (!last.collect() || !current.collect()) {
    state.SkipWithError("the Citrix sets were not collected");
    return;
  }
  bool differs = true;
  for (auto _ : state) {
    differs = current.differsFrom(last);
    benchmark::DoNotOptimize(differs);
  }
  state.SetLabel(differs ? "differ" : "equal");
}
BENCHMARK(BM_CitrixDiffersFrom);

}  // namespace
