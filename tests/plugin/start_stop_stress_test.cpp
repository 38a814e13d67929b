// Start and Stop from four host threads at once against the one plug-in:
// VDI_STRESS_PAIRS pairs in all (the build's default when unset; 10,000 for
// the full stress run; a quarter of them with runs stopped in their
// cycles). ThreadSanitizer runs it in the tsan preset. Whatever the
// interleaving, every call answers: a Start 0, or 1234 when another host
// thread held the start lock at that moment; every Stop 0. At the end
// nothing runs, no lock is held, no thread is left and every document
// written is whole and handed over.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "plugin/plugin_entry.h"
#include "plugin/vdi_endpoint_plugin.h"
#include "runtime/services/common_services.h"
#include "runtime/threads/thread.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

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

// The plug-in of `host` on the machine root `machineDir`, with no error
// service (the host's may be absent; the tests read the agent's log).
VDIEndpointPluginC* pluginOn(const std::string& machineDir, TestHost& host) {
  common_services::overrideErrorService(nullptr, true);
  test_support::setEnv("TNW_MACHINE_ROOT", machineDir);
  common_services::registryContext()->reload();
  int32_t status = -1;
  return static_cast<VDIEndpointPluginC*>(SecurityServicePluginInstance(&status, &host, nullptr));
}

struct PairCountsC {
  int started = 0, busy = 0, otherStarts = 0, failedStops = 0;
};

// `total` Start/Stop pairs from four host threads against `plugin`; a
// started run is left going for 0, 1/4, 2/4, ... 7/4 of `hold` before its
// Stop.
PairCountsC startAndStopFromFourThreads(VDIEndpointPluginC* plugin, int total,
                                        std::chrono::microseconds hold = {}) {
  constexpr int kThreads = 4;
  const int each = std::max(total / kThreads, 1);
  std::atomic<int> started{0}, busy{0}, otherStarts{0}, failedStops{0};
  std::vector<std::thread> hosts;
  for (int t = 0; t < kThreads; ++t)
    hosts.emplace_back([&] {
      for (int i = 0; i < each; ++i) {
        const int32_t answer = plugin->Start();
        if (answer == 0) {
          ++started;
          if (hold.count() > 0) std::this_thread::sleep_for(hold * (i % 8) / 4);
        }
        else if (answer == VDIEndpointPluginC::kBusy)
          ++busy;
        else
          ++otherStarts;
        if (plugin->Stop() != 0) ++failedStops;
      }
    });
  for (std::thread& h : hosts) h.join();
  EXPECT_EQ(started.load() + busy.load() + otherStarts.load(), kThreads * each);
  return {started.load(), busy.load(), otherStarts.load(), failedStops.load()};
}

// An empty machine: every run waits out its (default, 60 s) start-up delay,
// so each Stop meets a thread in that wait.
TEST(StartStopStress, FourHostThreadsAgainstOnePlugin) {
  test_support::TempDirC machine;
  TestHost host;
  VDIEndpointPluginC* plugin = pluginOn(machine.path(), host);
  ASSERT_NE(plugin, nullptr);
  ThreadC::reapFinished();
  const uint32_t threadsBefore = std::max<uint32_t>(ThreadC::mapCount(), 1);  // the map's own record

  const PairCountsC counts = startAndStopFromFourThreads(plugin, pairs());
  EXPECT_EQ(counts.otherStarts, 0);
  EXPECT_GT(counts.started, 0);
  EXPECT_EQ(counts.failedStops, 0);
  // Every Stop waited for the run it ended; the last one ended the last run.
  EXPECT_FALSE(plugin->running());
  EXPECT_EQ(plugin->startLock().load(), 0u);
  ThreadC::reapFinished();
  EXPECT_EQ(ThreadC::mapCount(), threadsBefore);
  pluginDetach(false);
  common_services::restoreErrorService();
}

// The demo desktop with no start-up delay (and at normal priority, so that
// a busy machine does not keep the runs from their cycles): runs are in their cycles
// (collecting, writing and handing over documents) when the Stops come. A
// Stop waits for a cycle under way, so no run leaves a document behind in
// the data directory or a cut one in the upload directory. A quarter of
// the pairs: every run writes a document.
TEST(StartStopStress, FourHostThreadsStoppingRunsInTheirCycles) {
  test_support::TempDirC machine;
  fs::copy(VDI_DEMO_DIR, machine.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  fs::remove_all(machine.path() + "/bin");  // no uploader: the documents stay where the test can read them
  test_support::writeFile(machine.path() + "/registry/90-no-delay.reg",
                          "Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Tarnwell Corp\\Tarnwell\\VDI Endpoint "
                          "Agent\\CurrentVersion]\r\n\"Delay\"=dword:00000000\r\n\"LowProfile\"=\"False\"\r\n");
  TestHost host;
  VDIEndpointPluginC* plugin = pluginOn(machine.path(), host);
  ASSERT_NE(plugin, nullptr);

  // Documents handed over, and any document elsewhere.
  const auto documents = [&](std::vector<fs::path>* elsewhere) {
    int handedOver = 0;
    for (const auto& entry : fs::recursive_directory_iterator(machine.path() + "/drive_c")) {
      if (!entry.is_regular_file() || entry.path().extension() != ".vdi") continue;
      if (entry.path().parent_path().filename() == "VdiAccess")
        ++handedOver;
      else if (elsewhere)
        elsewhere->push_back(entry.path());
    }
    return handedOver;
  };
  // How long a run takes to its first document on this build and machine
  // (sanitizers make it ten times longer): the holds are fractions of that,
  // so the Stops land before, inside and after the first cycles.
  const auto begin = std::chrono::steady_clock::now();
  ASSERT_EQ(plugin->Start(), 0);
  while (documents(nullptr) == 0 && std::chrono::steady_clock::now() - begin < std::chrono::seconds(30))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const auto firstDocument =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin);
  ASSERT_EQ(plugin->Stop(), 0);
  ASSERT_EQ(documents(nullptr), 1) << "a run on the demo desktop reports it";

  // On a loaded machine the other threads' Starts may stop every run of a
  // batch before its cycle is through: batches follow until one has been
  // (ten at most).
  int batches = 0;
  do {
    const PairCountsC counts = startAndStopFromFourThreads(plugin, std::max(pairs() / 4, 4), firstDocument);
    EXPECT_EQ(counts.otherStarts, 0);
    EXPECT_GT(counts.started, 0);
    EXPECT_EQ(counts.failedStops, 0);
  } while (++batches < 10 && documents(nullptr) <= 1);
  EXPECT_FALSE(plugin->running());
  EXPECT_EQ(plugin->startLock().load(), 0u);
  pluginDetach(false);

  // Every document is in the upload directory, and whole.
  std::vector<fs::path> elsewhere;
  const int handedOver = documents(&elsewhere);
  EXPECT_GT(handedOver, 1) << "no run of " << batches << " batches reached the end of its cycle";
  EXPECT_TRUE(elsewhere.empty()) << elsewhere.front();
  for (const auto& entry : fs::recursive_directory_iterator(machine.path() + "/drive_c")) {
    if (!entry.is_regular_file() || entry.path().extension() != ".vdi") continue;
    const std::string text = test_support::readFile(entry.path().string());
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><vdiAccess ", 0), 0u) << entry.path();
    EXPECT_TRUE(text.size() > 14 && text.compare(text.size() - 14, 14, "</vdiAccess>\r\n") == 0) << entry.path();
  }
  common_services::restoreErrorService();
}

// A Stop on one host thread while another host thread's Start is under
// way, and no Stop after them: the Stop must return whichever comes first.
// (A Start that took the start lock just before the Stop cleared the running
// word, and set the word just after, once made that Stop wait for a run
// nothing would end.) Each round ends its run from the test's thread.
TEST(StartStopStress, AStopBesideAStartReturnsWithoutALaterStop) {
  test_support::TempDirC machine;
  TestHost host;
  VDIEndpointPluginC* plugin = pluginOn(machine.path(), host);
  ASSERT_NE(plugin, nullptr);

  const int rounds = std::max(pairs() / 4, 1);
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
