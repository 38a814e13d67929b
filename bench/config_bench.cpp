// What a read of a registry configuration variable costs: inside the
// five-second freshness window (one lock, no registry access, no trace, no
// allocation) and, beside it, a full search of its places on the Linux
// store (user root missed, machine root found, the value read).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/tables/conf_tree.h"
#include "runtime/locks/spin_lock.h"

namespace {

// A machine root holding EnableVirtAppUsageTracking in the machine root,
// for as long as it lives.
class BenchMachineC {
 public:
  BenchMachineC() {
    char pattern[] = "/tmp/vdi-config-bench-XXXXXX";
    dir_ = mkdtemp(pattern) ? pattern : "";
    std::filesystem::create_directories(dir_ + "/registry");
    std::ofstream(dir_ + "/registry/10-agent.reg", std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion]\r\n"
           "\"EnableVirtAppUsageTracking\"=\"YES\"\r\n";
    setenv("TNW_MACHINE_ROOT", dir_.c_str(), 1);
  }
  ~BenchMachineC() {
    unsetenv("TNW_MACHINE_ROOT");
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

 private:
  std::string dir_;
};

// Every reading is six seconds after the one before: no read is fresh.
std::atomic<int64_t> gSteppingNow{1};
int64_t steppingClock() { return gSteppingNow.fetch_add(6 * 10000000LL); }

void BM_GetValueInsideFreshnessWindow(benchmark::State& state) {
  BenchMachineC machine;
  ConfTreeC tree;
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  if (!v.getValue()) state.SkipWithError("the value was not found");
  for (auto _ : state) benchmark::DoNotOptimize(v.getValue());
}
BENCHMARK(BM_GetValueInsideFreshnessWindow);

void BM_GetValueFullSearch(benchmark::State& state) {
  BenchMachineC machine;
  ConfTreeC tree(nullptr, &steppingClock);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  for (auto _ : state) benchmark::DoNotOptimize(v.getValue());
  if (v.source() != ConfVarC::kSourceMachine) state.SkipWithError("the search did not end in the machine root");
}
BENCHMARK(BM_GetValueFullSearch);

// The variable lock alone, to tell its share of a fresh read from the
// variable's own.
void BM_VariableLockAcquireRelease(benchmark::State& state) {
  SpinLockWord word{0};
  for (auto _ : state) {
    SpinLockC::acquire(word);
    SpinLockC::release(word);
  }
}
BENCHMARK(BM_VariableLockAcquireRelease);

}  // namespace
