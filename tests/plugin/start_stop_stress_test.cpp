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
#include <chrono>
#include <cstdlib>
#include <future>
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

// A Stop on one host thread while another host thread's Start is under
// way, and no Stop after them: the Stop must return whichever comes first.
// (A Start that took the start lock just before the Stop cleared the running
// word, and set the word just after, once made that Stop wait for a run
// nothing would end.) Each round ends its run from the test's thread.
TEST(StartStopStress, AStopBesideAStartReturnsWithoutALaterStop) {
  test_support::TempDirC machine;
  common_services::overrideErrorService(nullptr, true);
  test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
  TestHost host;
  int32_t status = -1;
  auto* plugin = static_cast<VDIEndpointPluginC*>(SecurityServicePluginInstance(&status, &host, nullptr));
  ASSERT_NE(plugin, nullptr);

  const int rounds = std::max(pairs() / 2, 1);
  int stuck = 0;
  for (int i = 0; i < rounds && stuck == 0; ++i) {
    std::atomic<int> ready{0};
    std::thread starter([&] {
      ++ready;
      while (ready.load() < 2) {
      }
      plugin->Start();
    });
    std::promise<void> stopped;
    std::future<void> done = stopped.get_future();
    std::thread stopper([&] {
      ++ready;
      while (ready.load() < 2) {
      }
      // A little later than the Start, so that it lands inside it as often
      // as before it.
      for (int spin = i % 64 * 50; spin > 0; --spin) std::atomic_signal_fence(std::memory_order_seq_cst);
      plugin->Stop();
      stopped.set_value();
    });
    starter.join();
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) ++stuck;
    plugin->Stop();  // ends this round's run (and frees a stuck Stop)
    stopper.join();
  }
  EXPECT_EQ(stuck, 0) << "a Stop waited for a run that began beside it";
  EXPECT_FALSE(plugin->running());
  EXPECT_EQ(plugin->startLock().load(), 0u);
  pluginDetach(false);
  common_services::restoreErrorService();
}

}  // namespace
