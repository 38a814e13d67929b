// secsvc-host: a stand-in for the suite's "Security Service". It loads a
// plug-in library, offers it a host object with a version range, shows the
// plug-in's status, name and description, starts it, waits, stops it and
// unloads it.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "host/host_options.h"
#include "host/host_system.h"
#include "platform/dynlib.h"
#include "plugin/security_service_plugin.h"

namespace {

class HostC final : public SecurityServiceHostI {
 public:
  HostC(int32_t min, int32_t max) : min_(min), max_(max) {}
  void Reserved0() override {}
  int32_t GetMinApiVersion() override { return min_; }
  int32_t GetMaxApiVersion() override { return max_; }

 private:
  int32_t min_, max_;
};

}  // namespace

int main(int argc, char** argv) {
  HostOptionsC options;
  std::string error;
  if (!parseHostOptions(argc, argv, options, &error)) {
    if (!error.empty()) std::fprintf(stderr, "secsvc-host: %s\n", error.c_str());
    std::fputs(kHostUsage, error.empty() ? stdout : stderr);
    return error.empty() ? 0 : 2;
  }
  if (!options.machine.empty()) host_system::setEnvironment("TNW_MACHINE_ROOT", options.machine);
  const std::string path = options.plugin.empty() ? host_system::defaultPluginPath() : options.plugin;

  uint32_t code = 0;
  platform::LibraryHandle library = platform::loadLibrary(path, &code, &error);
  if (!library) {
    std::fprintf(stderr, "secsvc-host: cannot load the plug-in \"%s\": %s\n", path.c_str(), error.c_str());
    return 3;
  }
  auto entry = reinterpret_cast<SecurityServicePluginInstanceFn>(
      platform::findSymbol(library, "SecurityServicePluginInstance"));
  if (!entry) {
    std::fprintf(stderr, "secsvc-host: \"%s\" exports no SecurityServicePluginInstance\n", path.c_str());
    platform::freeLibrary(library);
    return 3;
  }

  HostC host(options.apiMin, options.apiMax);
  int32_t status = -1;
  SecurityServicePluginI* plugin = entry(&status, &host, nullptr);
  std::printf("plug-in: %s\nstatus: 0x%08X\n", path.c_str(), static_cast<unsigned>(status));
  if (!plugin) {
    std::fprintf(stderr, "secsvc-host: the plug-in refused the host (status 0x%08X)\n", static_cast<unsigned>(status));
    platform::freeLibrary(library);
    return 4;
  }
  {
    // The strings must be gone before the library is unloaded.
    const StringC name = plugin->GetName();
    const StringC description = plugin->GetDescription();
    std::printf("name: %s\ndescription: %s\napi: %d-%d\n", name.c_str(), description.c_str(),
                plugin->GetMinApiVersion(), plugin->GetMaxApiVersion());
  }
  std::fflush(stdout);

  host_system::installStopHandlers();
  const int32_t started = plugin->Start();
  std::printf("start: %d\n", started);
  std::fflush(stdout);
  if (started == 0) {
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(static_cast<int64_t>(options.runForSeconds * 1000));
    while (!host_system::stopRequested() &&
           (options.runForSeconds < 0 || std::chrono::steady_clock::now() < until))
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const int32_t stopped = plugin->Stop();
  std::printf("stop: %d\n", stopped);
  std::fflush(stdout);
  platform::freeLibrary(library);
  return started == 0 ? 0 : 5;
}
