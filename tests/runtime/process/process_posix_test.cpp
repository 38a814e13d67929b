// ProcessC over real children of the test (forked), on Linux's process
// handles.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

#include "runtime/process/process.h"

namespace {

bool isOpen(platform::SystemHandle handle) { return fcntl(static_cast<int>(handle), F_GETFD) != -1; }

// A child that waits until release() and then exits with `exitCode`.
class ChildC {
 public:
  explicit ChildC(int exitCode) {
    if (pipe(gate_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(gate_[1]);
      char c;
      while (read(gate_[0], &c, 1) < 0 && errno == EINTR) {
      }
      _exit(exitCode);
    }
    close(gate_[0]);
  }
  ~ChildC() {
    if (gate_[1] >= 0) close(gate_[1]);
  }
  pid_t pid() const { return pid_; }
  void release() {
    close(gate_[1]);
    gate_[1] = -1;
  }

 private:
  int gate_[2] = {-1, -1};
  pid_t pid_ = -1;
};

bool waitUntilEnded(platform::SystemHandle handle) {
  for (int i = 0; i < 1000; ++i) {
    if (platform::processHasEnded(handle)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool isReaped(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == -1 && errno == ECHILD; }

ProcessC* attached(pid_t pid, platform::SystemHandle* handle) {
  uint32_t error = 0;
  *handle = platform::openProcess(static_cast<uint32_t>(pid), &error);
  if (*handle == platform::kInvalidHandle) return nullptr;
  ProcessC* p = new ProcessC;
  platform::ProcessRecord record;
  record.process = *handle;
  record.processId = static_cast<uint32_t>(pid);
  p->attachProcess(record);
  return p;
}

TEST(ProcessCPosix, TheExitCodeIsKnownOnceTheChildEnded) {
  ChildC child(7);
  ASSERT_GT(child.pid(), 0);
  platform::SystemHandle handle;
  std::unique_ptr<ProcessC> p(attached(child.pid(), &handle));
  ASSERT_TRUE(p);
  uint32_t value = 0xDEADBEEF;
  EXPECT_EQ(p->exitCode(&value), 0xE1AC0002u);
  EXPECT_EQ(value, 0u);
  child.release();
  ASSERT_TRUE(waitUntilEnded(handle));
  EXPECT_EQ(p->exitCode(&value), 0u);
  EXPECT_EQ(value, 7u);
  EXPECT_FALSE(isReaped(child.pid())) << "asking for the exit code does not reap the child";
  p.reset();
  EXPECT_FALSE(isOpen(handle)) << "destruction closes the process handle";
  EXPECT_TRUE(isReaped(child.pid()));
}

TEST(ProcessCPosix, AChildEndedByASignalAnswersAsAShellWould) {
  ChildC child(0);
  ASSERT_GT(child.pid(), 0);
  platform::SystemHandle handle;
  std::unique_ptr<ProcessC> p(attached(child.pid(), &handle));
  ASSERT_TRUE(p);
  kill(child.pid(), SIGKILL);
  ASSERT_TRUE(waitUntilEnded(handle));
  uint32_t value = 0;
  EXPECT_EQ(p->exitCode(&value), 0u);
  EXPECT_EQ(value, 128u + SIGKILL);
}

TEST(ProcessCPosix, ATokenIsClosedEvenWhenTheExitCodeCannotBeRead) {
  const int token = open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(token, 0);
  {
    ProcessC p;
    p.adoptUserToken(token, platform::kInvalidHandle);
    EXPECT_TRUE(p.grantSessionAccess()) << "Linux has no window stations: nothing to fail";
    EXPECT_TRUE(p.sessionAccessGranted());
  }
  EXPECT_FALSE(isOpen(token));
}

TEST(ProcessCPosix, TheCallersStandardHandlesStayOpen) {
  { ProcessC p; }
  for (int fd = 0; fd < 3; ++fd) EXPECT_TRUE(isOpen(fd)) << fd;
}

TEST(CommPipeCPosix, OnlyTheChildsEndIsInherited) {
  CommPipeC forReading(true, false);
  CommPipeC forWriting(false, true);
  ASSERT_EQ(forReading.status(), 0u);
  ASSERT_EQ(forWriting.status(), 0u);
  auto inherited = [](platform::FileHandle h) { return (fcntl(static_cast<int>(h), F_GETFD) & FD_CLOEXEC) == 0; };
  EXPECT_TRUE(inherited(forReading.readHandle()));
  EXPECT_FALSE(inherited(forReading.writeHandle()));
  EXPECT_FALSE(inherited(forWriting.readHandle()));
  EXPECT_TRUE(inherited(forWriting.writeHandle()));
}

TEST(CommPipeCPosix, ThePipeOwnsItsEnds) {
  platform::FileHandle read, write;
  {
    CommPipeC pipe(false, false);
    read = pipe.readHandle();
    write = pipe.writeHandle();
    EXPECT_TRUE(isOpen(read));
    EXPECT_TRUE(isOpen(write));
  }
  EXPECT_FALSE(isOpen(read));
  EXPECT_FALSE(isOpen(write));
}

}  // namespace
