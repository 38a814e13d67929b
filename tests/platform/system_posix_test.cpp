#include "platform/system.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace {

// Ids are kept per thread; a forked child's one thread has an id of its own
// (its process id), not the one its parent's thread kept.
TEST(PlatformSystemPosix, ThreadIdsStayTheKernelsAfterAFork) {
  const uint32_t parent = platform::currentThreadId();
  uint32_t other = 0;
  std::thread([&] { other = platform::currentThreadId(); }).join();
  EXPECT_NE(other, parent);
  EXPECT_EQ(platform::currentThreadId(), parent);
  const pid_t child = fork();
  if (child == 0) _exit(platform::currentThreadId() == static_cast<uint32_t>(getpid()) ? 0 : 1);
  ASSERT_GT(child, 0);
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child saw its parent's thread id";
}

}  // namespace
