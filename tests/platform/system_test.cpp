#include "platform/system.h"

#include <gtest/gtest.h>

#include <thread>

#include "test_support.h"

namespace {

// Process detach takes over locks whose owner thread is gone; an identifier
// that now belongs to a thread of another process must count as gone, or
// the detach would wait for a stranger.
TEST(PlatformSystem, OnlyThreadsOfThisProcessAreAlive) {
  EXPECT_TRUE(platform::threadIsAlive(platform::currentThreadId()));
  EXPECT_FALSE(platform::threadIsAlive(0));
  uint32_t ended = 0;
  std::thread([&] { ended = platform::currentThreadId(); }).join();
  EXPECT_FALSE(platform::threadIsAlive(ended));
  test_support::OtherProcessC other;
  ASSERT_TRUE(other.started());
  EXPECT_FALSE(platform::threadIsAlive(other.mainThreadId()));
}

}  // namespace
