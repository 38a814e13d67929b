// Start and Stop from four host threads at once against the one plug-in:
// VDI_STRESS_PAIRS pairs in all (the build's default when unset; 10,000 for
// the full stress run). ThreadSanitizer runs
// it in the tsan preset. Whatever the interleaving, every call answers: a
// Start 0, or 1234 when another host thread held the start lock at that
// moment; every Stop 0. At the end nothing runs, no lock is held and no
// thread is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "plugin/plugin_entry.h"
#include "plugin/vdi_endpoint_plugin.h"
#include "runtime/services/common_services.h"
#include "runtime/threads/thread.h"
#include "test_support.h"

namespace {

class TestHost final : public SecurityServiceHostI {
 public:
  void Reserved0() override {}
  int32_t GetMinApiVersion() override { return 1; }
  int32_t GetMaxApiVersion() override { return 1; }
};

int pairs() {
  const char* text = std::getenv("VDI_STRESS_PAIRS");
  const int n = text ? std::atoi(text) : 0;
  return n > 0 ? n : VDI_STRESS_DEFAULT_PAIRS;
}

TEST(StartStopStress, FourHostThreadsAgainstOnePlugin) {
  test_support::TempDirC machine;
  common_services::overrideErrorService(nullptr, true);
  test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
  TestHost host;
  int32_t status = -1;
  auto* plugin = static_cast<VDIEndpointPluginC*>(SecurityServicePluginInstance(&status, &host, nullptr));
  ASSERT_NE(plugin, nullptr);
  ThreadC::reapFinished();
  const uint32_t threadsBefore = std::max<uint32_t>(ThreadC::mapCount(), 1);  // the map's own record

  constexpr int kThreads = 4;
  const int each = pairs() / kThreads;
  std::atomic<int> started{0}, busy{0}, otherStarts{0}, failedStops{0};
  std::vector<std::thread> hosts;
  for (int t = 0; t < kThreads; ++t)
    hosts.emplace_back([&] {
      for (int i = 0; i < each; ++i) {
        const int32_t answer = plugin->Start();
        if (answer == 0)
          ++started;
        else if (answer == VDIEndpointPluginC::kBusy)
          ++busy;
        else
          ++otherStarts;
        if (plugin->Stop() != 0) ++failedStops;
      }
    });
  for (std::thread& h : hosts) h.join();

  EXPECT_EQ(otherStarts.load(), 0);
  EXPECT_EQ(started.load() + busy.load(), kThreads * each);
  EXPECT_GT(started.load(), 0);
  EXPECT_EQ(failedStops.load(), 0);
  // Every Stop waited for the run it ended; the last one ended the last run.
  EXPECT_FALSE(plugin->running());
  EXPECT_EQ(plugin->startLock().load(), 0u);
  ThreadC::reapFinished();
  EXPECT_EQ(ThreadC::mapCount(), threadsBefore);
  pluginDetach(false);
  common_services::restoreErrorService();
}

}  // namespace
