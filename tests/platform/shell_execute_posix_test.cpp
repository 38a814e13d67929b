// The Linux launch: real programs (shell scripts written by the tests),
// started without waiting and never left as children of this process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/shell_execute.h"
#include "test_support.h"

namespace {

using test_support::TempDirC;

std::string writeProgram(const std::string& path, const std::string& body, mode_t mode = 0755) {
  test_support::writeFile(path, body);
  chmod(path.c_str(), mode);
  return path;
}

// A program's output appears by rename, so it is whole once it exists.
bool waitForFile(const std::string& path) {
  for (int i = 0; i < 1000; ++i) {
    if (access(path.c_str(), F_OK) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

pid_t parentOf(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("PPid:", 0) == 0) return static_cast<pid_t>(std::atoi(line.c_str() + 5));
  return -1;
}

// No child of this process exists, ended (a zombie) or not.
bool hasNoChildren() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

std::string realPath(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

class ShellLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    oldPath_ = path ? path : "";
    test_support::setEnv("PATH", bin.path() + ":" + oldPath_);
  }
  void TearDown() override { test_support::setEnv("PATH", oldPath_); }

  TempDirC bin;
  TempDirC work;

 private:
  std::string oldPath_;
};

TEST_F(ShellLaunch, ReturnsWhileTheProgramRunsAndLeavesNoChildBehind) {
  writeProgram(bin.file("vdi-sleeper"), "#!/bin/sh\necho $$ > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\nexec sleep 30\n");
  const std::string pidFile = work.file("pid");
  const auto before = std::chrono::steady_clock::now();
  uint32_t error = 0xDEADBEEF;
  ASSERT_TRUE(platform::shellExecute("vdi-sleeper", pidFile, "", platform::kSwShow, &error));
  const auto took = std::chrono::steady_clock::now() - before;
  EXPECT_EQ(error, 0u);
  EXPECT_LT(took, std::chrono::seconds(10));
  ASSERT_TRUE(waitForFile(pidFile));
  const pid_t program = static_cast<pid_t>(std::atoi(test_support::readFile(pidFile).c_str()));
  ASSERT_GT(program, 0);
  EXPECT_EQ(kill(program, 0), 0) << "the program should still run after the launch returned";
  EXPECT_NE(parentOf(program), getpid());
  EXPECT_TRUE(hasNoChildren());
  kill(program, SIGKILL);
  EXPECT_TRUE(hasNoChildren()) << "the ended program must not become this process's zombie";
}

TEST_F(ShellLaunch, AHostIgnoringSigchldStillLearnsTheOutcome) {
  writeProgram(bin.file("vdi-touch"), "#!/bin/sh\necho ran > \"$1\"\n");
  struct sigaction ignore{}, old{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGCHLD, &ignore, &old);
  uint32_t missing = 0, started = 0xDEADBEEF;
  const bool missingStarted = platform::shellExecute("vdi-no-such-program-7f3a", "", "", platform::kSwShow, &missing);
  const bool ranStarted = platform::shellExecute("vdi-touch", work.file("ran"), "", platform::kSwShow, &started);
  sigaction(SIGCHLD, &old, nullptr);
  EXPECT_FALSE(missingStarted);
  EXPECT_EQ(missing, platform::kErrorFileNotFound);
  EXPECT_TRUE(ranStarted);
  EXPECT_EQ(started, 0u);
  EXPECT_TRUE(waitForFile(work.file("ran")));
  EXPECT_TRUE(hasNoChildren());
}

TEST_F(ShellLaunch, TheProgramRunsInTheDirectoryWhereItIsLookedForFirst) {
  const std::string place = work.file("place/x");
  const std::string dir = place.substr(0, place.size() - 2);
  // Not on PATH: found only in the directory.
  writeProgram(dir + "/vdi-where", "#!/bin/sh\npwd > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n");
  const std::string out = work.file("cwd");
  uint32_t error = 0;
  ASSERT_TRUE(platform::shellExecute("vdi-where", out, dir, platform::kSwShow, &error)) << error;
  ASSERT_TRUE(waitForFile(out));
  EXPECT_EQ(test_support::readFile(out), realPath(dir) + "\n");

  const std::string home = work.file("home");
  uint32_t unused = 0;
  EXPECT_FALSE(platform::shellExecute("vdi-where", home, "", platform::kSwShow, &unused))
      << "without the directory the program is not on PATH";
}

TEST_F(ShellLaunch, ADriveLetterDirectoryIsAFolderOfTheMachine) {
  test_support::setEnv("TNW_DRIVE_C", work.path());
  writeProgram(bin.file("vdi-where"), "#!/bin/sh\npwd > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n");
  test_support::writeFile(work.file("Tools/keep"), "");
  uint32_t error = 0;
  const bool ok = platform::shellExecute("vdi-where", work.file("cwd"), "C:\\Tools", platform::kSwShow, &error);
  test_support::unsetEnv("TNW_DRIVE_C");
  ASSERT_TRUE(ok) << error;
  ASSERT_TRUE(waitForFile(work.file("cwd")));
  EXPECT_EQ(test_support::readFile(work.file("cwd")), realPath(work.path() + "/Tools") + "\n");
}

struct ArgumentsRow {
  const char* parameters;
  std::vector<std::string> arguments;
};

TEST_F(ShellLaunch, ParametersAreSplitAsAWindowsCommandLine) {
  writeProgram(bin.file("vdi-args"),
               "#!/bin/sh\nout=$1; shift\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\n"
               "mv \"$out.tmp\" \"$out\"\n");
  const ArgumentsRow rows[] = {
      {"-r VdiAccess", {"-r", "VdiAccess"}},
      {"  a\t\tb  ", {"a", "b"}},
      {"\"two words\" next", {"two words", "next"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"say \"\"hi\"\" now\"", {"say \"hi\" now"}},
      {"a\\\"b", {"a\"b"}},
      {"a\\\\\"b c\"", {"a\\b c"}},
      {"a\\\\b c\\", {"a\\\\b", "c\\"}},
      {"\"\" x", {"", "x"}},
      {"", {}},
  };
  int n = 0;
  for (const ArgumentsRow& row : rows) {
    const std::string out = work.file("args" + std::to_string(n++));
    uint32_t error = 0;
    ASSERT_TRUE(platform::shellExecute("vdi-args", out + " " + row.parameters, "", platform::kSwShow, &error))
        << row.parameters;
    ASSERT_TRUE(waitForFile(out)) << row.parameters;
    EXPECT_EQ(lines(test_support::readFile(out)), row.arguments) << "parameters: [" << row.parameters << "]";
  }
}

struct FailureRow {
  const char* what;
  const char* program;  // below the test's bin folder when relative
  const char* body;     // the file's content, null for none
  mode_t mode;
  uint32_t error;
};

TEST_F(ShellLaunch, AnExecFailureIsItsWin32Code) {
  const FailureRow rows[] = {
      {"no such program", "vdi-absent", nullptr, 0, platform::kErrorFileNotFound},
      {"not executable", "vdi-plain", "#!/bin/sh\nexit 0\n", 0644, platform::kErrorAccessDenied},
      {"not a program", "vdi-text", "just words\n", 0755, platform::kErrorBadExeFormat},
      {"a file used as a folder", "vdi-file/prog", nullptr, 0, platform::kErrorPathNotFound},
      // Not "31", which the launch report would read as a missing file.
      {"a loop of links", "vdi-loop", nullptr, 0, platform::kErrorCantResolveFilename},
  };
  writeProgram(bin.file("vdi-file"), "x", 0644);
  symlink("vdi-loop", bin.file("vdi-loop").c_str());
  for (const FailureRow& row : rows) {
    if (row.body) writeProgram(bin.file(row.program), row.body, row.mode);
    const std::string program = std::string(row.program).find('/') == std::string::npos
                                    ? std::string(row.program)
                                    : bin.path() + "/" + row.program;
    uint32_t error = 0;
    EXPECT_FALSE(platform::shellExecute(program, "", "", platform::kSwShow, &error)) << row.what;
    EXPECT_EQ(error, row.error) << row.what;
  }
  EXPECT_TRUE(hasNoChildren());
}

TEST_F(ShellLaunch, NoShortNamesOnLinuxAndDriveLettersAreMachineFolders) {
  test_support::setEnv("TNW_DRIVE_C", work.path());
  test_support::writeFile(work.file("Tools/qbupload"), "");
  std::string shortPath;
  const uint32_t present = platform::shortPathName("C:\\Tools\\qbupload", &shortPath);
  const uint32_t absent = platform::shortPathName("C:\\Tools\\other", &shortPath);
  const uint32_t throughFile = platform::shortPathName("C:\\Tools\\qbupload\\x", &shortPath);
  test_support::unsetEnv("TNW_DRIVE_C");
  EXPECT_EQ(present, 0u);
  EXPECT_EQ(shortPath, "C:\\Tools\\qbupload");
  EXPECT_EQ(absent, platform::kErrorFileNotFound);
  EXPECT_EQ(throughFile, platform::kErrorPathNotFound);
}

}  // namespace
