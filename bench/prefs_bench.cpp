// Reading an expanded preference whose value refers through a chain of
// variables, and a value with many references to one variable.
#include <benchmark/benchmark.h>

#include <string>

#include "config/prefs/env_preferences.h"

namespace {

StringC S(const std::string& utf8) { return StringC::fromUtf8(utf8); }

// Link0 = "a\$(Link1)", ..., the last a plain folder: `range(0)` links.
void BM_ReadThroughReferenceChain(benchmark::State& state) {
  env_EnvironmentC env;
  EnvPreferencesC prefs(&env);
  const int links = static_cast<int>(state.range(0));
  for (int i = 0; i < links; ++i)
    prefs.set(S("Link" + std::to_string(i)), S("part" + std::to_string(i) + "\\$(Link" + std::to_string(i + 1) + ")"),
              false);
  prefs.set(S("Link" + std::to_string(links)), S("C:\\ProgramData"), false);
  const StringC name = S("Link0");
  for (auto _ : state) benchmark::DoNotOptimize(prefs.value(name));
  state.SetLabel(prefs.value(name).length() > 0 ? "expanded" : "empty");
}
BENCHMARK(BM_ReadThroughReferenceChain)->Arg(1)->Arg(4)->Arg(9);

// The agent's typical read: a file name built of four variables.
void BM_ReadAgentLogFile(benchmark::State& state) {
  env_EnvironmentC env;
  EnvPreferencesC prefs(&env);
  prefs.set(S("TempDirectory"), S("C:\\TEMP"), false);
  prefs.set(S("MachineName"), S("PC1"), false);
  prefs.set(S("MachineId"), S("$(MachineName)"), false);
  prefs.set(S("LogFile"), S("$(TempDirectory)\\Tarnwell\\$(MachineId)\\vdi.log"), false);
  const StringC name = S("LogFile");
  for (auto _ : state) benchmark::DoNotOptimize(prefs.value(name));
}
BENCHMARK(BM_ReadAgentLogFile);

void BM_ReadManyReferences(benchmark::State& state) {
  env_EnvironmentC env;
  EnvPreferencesC prefs(&env);
  std::string value;
  for (int64_t i = 0; i < state.range(0); ++i) value += "x$(B)";
  prefs.set(S("A"), S(value), false);
  prefs.set(S("B"), S("1"), false);
  const StringC name = S("A");
  for (auto _ : state) benchmark::DoNotOptimize(prefs.value(name));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadManyReferences)->Arg(1000);

}  // namespace
