// What the hot paths of the runtime cost: a trace of a module that is off
// (it must be one load of the enable word), message formatting, and the
// thread map's hash table.
#include <benchmark/benchmark.h>

#include "runtime/strings/arg_list.h"
#include "runtime/strings/hash_map.h"
#include "runtime/messages/log_module.h"
#include "runtime/strings/string_c.h"

namespace {

const LogModuleC kOff("Bench/Off/Module");

void BM_TraceOfAModuleThatIsOff(benchmark::State& state) {
  const StringC name = StringC::fromUtf8("MonitorCondition");
  for (auto _ : state) kOff.trace("Condition '%S': waiting up to %dms", name, 1000);
}
BENCHMARK(BM_TraceOfAModuleThatIsOff);

void BM_FormatBannerLine(benchmark::State& state) {
  const StringC format = StringC::fromUtf8("Program version is '%1$S %2$S'");
  const ArgListC args = ArgListC::of(StringC::fromUtf8("VDI Endpoint Monitor"), StringC::fromUtf8("1.0.0.17"));
  for (auto _ : state) benchmark::DoNotOptimize(format.format(args));
}
BENCHMARK(BM_FormatBannerLine);

void BM_ThreadMapInsertFindRemove(benchmark::State& state) {
  HashMapM<uint32_t, void*> map;
  uint32_t id = 1000;
  for (int i = 0; i < 64; ++i) map.insert(id + 4 * static_cast<uint32_t>(i), nullptr);
  for (auto _ : state) {
    const uint32_t key = id + 4 * 70;
    map.insert(key, &id);
    benchmark::DoNotOptimize(map.find(key).valid());
    map.removeValue(key, &id);
  }
}
BENCHMARK(BM_ThreadMapInsertFindRemove);

}  // namespace
