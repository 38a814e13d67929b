// What logging costs: a message that no logger's filter takes (the common
// case: the level keeps most messages out), and a line written to the file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>

#include "runtime/services/common_services.h"
#include "log/log_manager.h"

namespace {

class BenchSettings final : public log_LogSettingsI {
 public:
  explicit BenchSettings(const std::string& file) {
    values = {{"LogLevel", "G0"}, {"LogModules", "default"}, {"LogFile", file}, {"LogFlags", "1"}};
  }
  StringC value(const char* name) override {
    auto it = values.find(name);
    return it == values.end() ? StringC() : StringC::fromUtf8(it->second);
  }
  std::map<std::string, std::string> values;
};

std::string benchFile() {
  char name[] = "/tmp/vdi-bench-log-XXXXXX";
  const int fd = mkstemp(name);
  if (fd >= 0) close(fd);
  return name;
}

void BM_LogThatNoFilterAccepts(benchmark::State& state) {
  const std::string file = benchFile();
  BenchSettings settings(file);
  auto* m = new log_LogManagerC(settings);
  m->AddRef();
  const StringC text = StringC::fromUtf8("Citrix VDI endpoint information '%1$S' is not found.");
  const ArgListC args = ArgListC::of(StringC::fromUtf8("ClientName"));
  for (auto _ : state) benchmark::DoNotOptimize(m->LogV('S', 5, 435, 84, text, args));
  m->Release();
  std::remove(file.c_str());
}
BENCHMARK(BM_LogThatNoFilterAccepts);

void BM_LineWrittenToTheFileLogger(benchmark::State& state) {
  const std::string file = benchFile();
  BenchSettings settings(file);
  auto* m = new log_LogManagerC(settings);
  m->AddRef();
  const StringC text = StringC::fromUtf8("Program version is '%1$S %2$S'");
  const ArgListC args = ArgListC::of(StringC::fromUtf8("VDI Endpoint Monitor"), StringC::fromUtf8("1.0.0.17"));
  for (auto _ : state) m->LogV('G', 0, 435, 3, text, args);
  m->Release();
  std::remove(file.c_str());
}
BENCHMARK(BM_LineWrittenToTheFileLogger);

}  // namespace
