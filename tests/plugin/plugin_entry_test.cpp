#include "plugin/plugin_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/system.h"
#include "plugin/vdi_endpoint_plugin.h"
#include "runtime/threads/thread.h"
#include "runtime/services/common_services.h"
#include "test_support.h"

namespace {

class TestHost final : public SecurityServiceHostI {
 public:
  TestHost(int32_t min, int32_t max) : min_(min), max_(max) {}
  void Reserved0() override { ADD_FAILURE() << "slot 0 of the host is never called"; }
  int32_t GetMinApiVersion() override { return min_; }
  int32_t GetMaxApiVersion() override { return max_; }

 private:
  int32_t min_, max_;
};

class PluginEntry : public ::testing::Test {
 protected:
  test_support::TempDirC machine;
  // Start writes the agent's log into the machine root: a scratch one.
  void SetUp() override {
    common_services::overrideErrorService(nullptr, true);
    test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
  }
  void TearDown() override {
    pluginDetach(false);
    common_services::restoreErrorService();
  }
};

TEST_F(PluginEntry, TheHostsVersionRangeMustInclude1) {
  struct Case {
    int32_t min, max;
    bool accepted;
  } cases[] = {{1, 1, true}, {0, 5, true}, {1, 9, true}, {2, 5, false}, {0, 0, false}, {-3, -1, false}};
  for (const auto& c : cases) {
    TestHost host(c.min, c.max);
    int32_t status = -1;
    SecurityServicePluginI* p = SecurityServicePluginInstance(&status, &host, reinterpret_cast<void*>(0x1234));
    EXPECT_EQ(p != nullptr, c.accepted) << c.min << "-" << c.max;
    EXPECT_EQ(static_cast<uint32_t>(status), c.accepted ? 0u : 0xE1960191u) << c.min << "-" << c.max;
  }
  int32_t status = 0;
  EXPECT_EQ(SecurityServicePluginInstance(&status, nullptr, nullptr), nullptr);
  EXPECT_EQ(static_cast<uint32_t>(status), 0xE1960191u);
}

TEST_F(PluginEntry, OneSingletonWhateverTheHost) {
  TestHost first(1, 1), second(0, 3);
  int32_t s1 = -1, s2 = -1;
  SecurityServicePluginI* a = SecurityServicePluginInstance(&s1, &first, nullptr);
  SecurityServicePluginI* b = SecurityServicePluginInstance(&s2, &second, nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(s1, 0);
  EXPECT_EQ(s2, 0);
  EXPECT_EQ(static_cast<VDIEndpointPluginC*>(a)->host(), &first);
  EXPECT_EQ(pluginSingleton(), a);
  pluginDetach(false);
  EXPECT_EQ(pluginSingleton(), nullptr);
}

TEST_F(PluginEntry, SlotsAnswerAsTheInterfaceSays) {
  TestHost host(1, 1);
  int32_t status = -1;
  SecurityServicePluginI* p = SecurityServicePluginInstance(&status, &host, nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetName(), StringC("vdiendpoint", "ascii"));
  EXPECT_EQ(p->GetDescription(), StringC::fromUtf8("Tarnwell VDI Endpoint Plugin"));
  EXPECT_EQ(p->Reserved7(), 0);
  EXPECT_TRUE(p->Reserved8(1, 2, 3, 4, 5));
  p->Reserved9(1, 2);
  p->Reserved10(3, 4);
}

TEST_F(PluginEntry, RawVtableSlotsOneTwoFiveAndSix) {
  TestHost host(1, 1);
  int32_t status = -1;
  SecurityServicePluginI* p = SecurityServicePluginInstance(&status, &host, nullptr);
  ASSERT_NE(p, nullptr);
  using IntSlot = int32_t(VDI_THISCALL*)(void*);
  void** vtable = *reinterpret_cast<void***>(p);
  EXPECT_EQ(reinterpret_cast<IntSlot>(vtable[1])(p), 1);
  EXPECT_EQ(reinterpret_cast<IntSlot>(vtable[2])(p), 1);
  EXPECT_EQ(reinterpret_cast<IntSlot>(vtable[5])(p), 0);  // Start
  EXPECT_EQ(reinterpret_cast<IntSlot>(vtable[6])(p), 0);  // Stop
  EXPECT_EQ(reinterpret_cast<IntSlot>(vtable[7])(p), 0);  // Reserved7
}

TEST_F(PluginEntry, StopWithoutStartAndStartTwice) {
  TestHost host(1, 1);
  int32_t status = -1;
  auto* p = static_cast<VDIEndpointPluginC*>(SecurityServicePluginInstance(&status, &host, nullptr));
  ASSERT_NE(p, nullptr);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(p->Stop(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ThreadC::reapFinished();
  const uint32_t threadsBefore = std::max<uint32_t>(ThreadC::mapCount(), 1);  // the map's own record
  EXPECT_EQ(p->Start(), 0);
  EXPECT_TRUE(p->running());
  // The second Start stops the first run, which is still in its start-up
  // delay (60 s by default): the Stop must end that wait, not sit it out.
  EXPECT_EQ(p->Start(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  // The run's thread holds the start lock, not the host's thread.
  EXPECT_NE(p->startLock().load(), 0u);
  EXPECT_NE(p->startLock().load(), platform::currentThreadId());
  EXPECT_EQ(p->Stop(), 0);
  EXPECT_FALSE(p->running());
  EXPECT_EQ(p->startLock().load(), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  // Stop waited for the threads themselves: both runs' threads are gone
  // from the framework (a host may unload the library now).
  EXPECT_EQ(ThreadC::mapCount(), threadsBefore);
}

TEST_F(PluginEntry, StopWaitsForTheRunThatHoldsTheStartLock) {
  TestHost host(1, 1);
  int32_t status = -1;
  auto* p = static_cast<VDIEndpointPluginC*>(SecurityServicePluginInstance(&status, &host, nullptr));
  ASSERT_NE(p, nullptr);
  std::atomic<bool> released{false};
  std::thread run([&] {
    SpinLockC::acquire(p->startLock());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    released = true;
    SpinLockC::release(p->startLock());
  });
  while (p->startLock().load() == 0) std::this_thread::yield();
  EXPECT_EQ(p->Stop(), 0);
  EXPECT_TRUE(released.load());
  run.join();
}

// A host may free the plug-in itself through slot 0; the entry must forget
// it then, or process detach would free it a second time.
TEST_F(PluginEntry, AHostThatFreesThePluginThroughSlotZero) {
  TestHost host(1, 1);
  int32_t status = -1;
  SecurityServicePluginI* p = SecurityServicePluginInstance(&status, &host, nullptr);
  ASSERT_NE(p, nullptr);
  p->Destroy(0);  // bit 0 clear: nothing is freed
  EXPECT_EQ(pluginSingleton(), p);
  p->Destroy(1);
  EXPECT_EQ(pluginSingleton(), nullptr);
  pluginDetach(false);  // nothing left to free
  SecurityServicePluginI* again = SecurityServicePluginInstance(&status, &host, nullptr);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(again->GetName(), StringC("vdiendpoint", "ascii"));
}

TEST_F(PluginEntry, DetachAtProcessEndDoesNotWaitForThreadsThatAreGone) {
  TestHost host(1, 1);
  int32_t status = -1;
  auto* p = static_cast<VDIEndpointPluginC*>(SecurityServicePluginInstance(&status, &host, nullptr));
  ASSERT_NE(p, nullptr);
  // A run whose thread ended without letting go of either lock, as threads
  // look when Windows has ended them before the last process detach.
  std::thread([&] {
    SpinLockC::acquire(p->startLock());
    SpinLockC::acquire(p->conditionLock());
  }).join();
  const auto start = std::chrono::steady_clock::now();
  pluginDetach(true);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(pluginSingleton(), nullptr);
  // The library goes on working for a later load.
  EXPECT_NE(SecurityServicePluginInstance(&status, &host, nullptr), nullptr);
}

}  // namespace
