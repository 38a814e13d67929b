// What a read of a registry configuration variable costs: inside the
// five-second freshness window (one lock, no registry access, no trace, no
// allocation) and, beside it, a full search of its places on the Linux
// store (user root missed, machine root found, the value read).
//
// The program's global operator new and delete count their calls, so that
// a benchmark can report how often its timed loop touched the heap.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "config/tables/conf_tree.h"
#include "runtime/locks/spin_lock.h"

namespace {

std::atomic<int64_t> gAllocations{0};
std::atomic<int64_t> gDeallocations{0};

void* countedAllocate(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* countedAllocateAligned(std::size_t size, std::align_val_t alignment) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  const auto align = static_cast<std::size_t>(alignment);
  // aligned_alloc wants a size that is a multiple of the alignment.
  const std::size_t rounded = ((size ? size : 1) + align - 1) / align * align;
  if (void* p = std::aligned_alloc(align, rounded)) return p;
  throw std::bad_alloc();
}

void countedFree(void* p) noexcept {
  if (!p) return;
  gDeallocations.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

// The replaceable global allocation functions; the array and nothrow forms
// of the library forward to these.
void* operator new(std::size_t size) { return countedAllocate(size); }
void* operator new[](std::size_t size) { return countedAllocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) { return countedAllocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return countedAllocateAligned(size, alignment); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }
void operator delete(void* p, std::align_val_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::align_val_t) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { countedFree(p); }

namespace {

// Counts the calls of the global operator new and delete from its
// construction to stop(); report() then adds them to the benchmark's
// counters (which itself allocates, so it comes after stop()).
class HeapCallsC {
 public:
  HeapCallsC() : allocations_(gAllocations.load()), deallocations_(gDeallocations.load()) {}
  void stop() {
    allocations_ = gAllocations.load() - allocations_;
    deallocations_ = gDeallocations.load() - deallocations_;
  }
  int64_t allocations() const { return allocations_; }
  int64_t deallocations() const { return deallocations_; }
  void report(benchmark::State& state) const {
    state.counters["allocs"] = static_cast<double>(allocations_);
    state.counters["frees"] = static_cast<double>(deallocations_);
    state.counters["allocs/iter"] =
        benchmark::Counter(static_cast<double>(allocations_), benchmark::Counter::kAvgIterations);
  }

 private:
  int64_t allocations_;
  int64_t deallocations_;
};

// A machine root holding EnableVirtAppUsageTracking in the machine root,
// for as long as it lives. error() is empty when it could be made.
class BenchMachineC {
 public:
  BenchMachineC() {
    char pattern[] = "/tmp/vdi-config-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
      error_ = std::string("cannot make a machine root: mkdtemp: ") + std::strerror(errno);
      return;
    }
    dir_ = pattern;
    std::error_code ec;
    std::filesystem::create_directories(dir_ + "/registry", ec);
    if (ec) {
      error_ = "cannot make " + dir_ + "/registry: " + ec.message();
      return;
    }
    std::ofstream file(dir_ + "/registry/10-agent.reg", std::ios::binary);
    file << "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion]\r\n"
            "\"EnableVirtAppUsageTracking\"=\"YES\"\r\n";
    file.close();
    if (!file) {
      error_ = "cannot write " + dir_ + "/registry/10-agent.reg";
      return;
    }
    setenv("TNW_MACHINE_ROOT", dir_.c_str(), 1);
  }
  ~BenchMachineC() {
    if (dir_.empty()) return;
    if (error_.empty()) unsetenv("TNW_MACHINE_ROOT");
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& error() const { return error_; }

 private:
  std::string dir_;
  std::string error_;
};

// Every reading is six seconds after the one before: no read is fresh.
std::atomic<int64_t> gSteppingNow{1};
int64_t steppingClock() { return gSteppingNow.fetch_add(6 * 10000000LL); }

// Fails when the timed loop calls operator new or delete at all.
void BM_GetValueInsideFreshnessWindow(benchmark::State& state) {
  BenchMachineC machine;
  if (!machine.error().empty()) {
    state.SkipWithError(machine.error().c_str());
    return;
  }
  ConfTreeC tree;
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  if (!v.getValue()) {
    state.SkipWithError("the value was not found");
    return;
  }
  HeapCallsC heap;
  for (auto _ : state) benchmark::DoNotOptimize(v.getValue());
  heap.stop();
  heap.report(state);
  if (heap.allocations() != 0 || heap.deallocations() != 0)
    state.SkipWithError("a read inside the freshness window used the heap");
}
BENCHMARK(BM_GetValueInsideFreshnessWindow);

void BM_GetValueFullSearch(benchmark::State& state) {
  BenchMachineC machine;
  if (!machine.error().empty()) {
    state.SkipWithError(machine.error().c_str());
    return;
  }
  ConfTreeC tree(nullptr, &steppingClock);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  HeapCallsC heap;
  for (auto _ : state) benchmark::DoNotOptimize(v.getValue());
  heap.stop();
  heap.report(state);
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
