// The uploader launched for real on Linux: shell scripts written by the
// tests stand in for the uploader.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "plugin/upload/uploader_launch.h"
#include "runtime/strings/string_c.h"
#include "agent_log.h"
#include "test_support.h"

namespace {

using Messages = std::vector<std::string>;

void writeProgram(const std::string& path, const std::string& body, mode_t mode = 0755) {
  test_support::writeFile(path, body);
  chmod(path.c_str(), mode);
}

// Writes its working directory and arguments, one a line, into `out`.
std::string recorder(const std::string& out) {
  return "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" + out + ".tmp'\nmv '" + out +
         ".tmp' '" + out + "'\n";
}

bool waitForFile(const std::string& path) {
  for (int i = 0; i < 1000; ++i) {
    if (access(path.c_str(), F_OK) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string realPath(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

// The log file's text is in the system's 8-bit encoding.
Messages inLog(const Messages& utf8) {
  Messages out;
  for (const std::string& m : utf8) out.push_back(StringC::fromUtf8(m).encode("system-8"));
  return out;
}

bool hasNoChildren() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

class UploaderLaunchPosix : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::AgentLogC::instance(); }
  void SetUp() override {
    const char* path = std::getenv("PATH");
    oldPath_ = path ? path : "";
    test_support::setEnv("PATH", bin.path() + ":" + oldPath_);
    newLogMessages();
  }
  void TearDown() override {
    test_support::setEnv("PATH", oldPath_);
    test_support::unsetEnv("TNW_DRIVE_C");
  }
  static Messages newLogMessages() { return test_support::AgentLogC::instance().newMessages(); }

  test_support::TempDirC bin;
  test_support::TempDirC work;

 private:
  std::string oldPath_;
};

TEST_F(UploaderLaunchPosix, TheUploaderOnThePathIsStartedWithTheRule) {
  const std::string out = work.file("received");
  writeProgram(bin.file("qbupload"), recorder(out));
  EXPECT_EQ(uploader_launch::launchUploader(), uploader_launch::kStarted);
  EXPECT_EQ(uploader_launch::savedLaunchError(), 0u);
  EXPECT_EQ(newLogMessages(), inLog({"Execute \u201Cqbupload -r VdiAccess\u201D",
                                     "Execute returned \u201CStarted Successfully\u201D. "}));
  ASSERT_TRUE(waitForFile(out));
  EXPECT_EQ(test_support::readFile(out), realPath(".") + "\n-r\nVdiAccess\n");
  EXPECT_TRUE(hasNoChildren());
}

TEST_F(UploaderLaunchPosix, AWindowsPathRunsTheProgramInItsFolder) {
  test_support::setEnv("TNW_DRIVE_C", work.path());
  const std::string out = work.file("received");
  writeProgram(work.file("Tools/qbupload"), recorder(out));
  const std::string command = "C:\\Tools\\qbupload -r VdiAccess";
  EXPECT_EQ(uploader_launch::launchUploader(command), uploader_launch::kStarted);
  ASSERT_TRUE(waitForFile(out));
  EXPECT_EQ(test_support::readFile(out), realPath(work.path() + "/Tools") + "\n-r\nVdiAccess\n");
}

struct FailureRow {
  const char* what;
  const char* program;  // written below the test's bin folder (PATH)
  const char* body;
  mode_t mode;
  const char* command;  // "%s" stands for the bin folder
  int32_t status;
  uint32_t error;
  const char* report;  // the text inside the quotation marks; "%c" stands for the command
};

std::string expand(const char* pattern, const char* code, const std::string& value) {
  std::string text = pattern;
  const size_t at = text.find(code);
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

TEST_F(UploaderLaunchPosix, AFailedLaunchIsReportedWithTheTextOfItsStatus) {
  const FailureRow rows[] = {
      {"not executable", "qbupload-plain", "#!/bin/sh\nexit 0\n", 0644, "qbupload-plain -r VdiAccess",
       uploader_launch::kAccessDenied, 5, "Access denied"},
      {"not a program", "qbupload-text", "just words\n", 0755, "qbupload-text -r VdiAccess",
       uploader_launch::kUnspecifiedFailure, 193, "%1 is not a valid Win32 application."},
      {"below a file", "qbupload-file", "x", 0644, "%s/qbupload-file/qbupload -r VdiAccess",
       uploader_launch::kPathNotFound, 3, "Path Not Found:%c"},
  };
  for (const FailureRow& row : rows) {
    writeProgram(bin.file(row.program), row.body, row.mode);
    const std::string command = expand(row.command, "%s", bin.path());
    EXPECT_EQ(uploader_launch::launchUploader(command), row.status) << row.what;
    EXPECT_EQ(uploader_launch::savedLaunchError(), row.error) << row.what;
    EXPECT_EQ(newLogMessages(), inLog({"Execute \u201C" + command + "\u201D",
                                       "Execute returned \u201C" + expand(row.report, "%c", command) + "\u201D. "}))
        << row.what;
  }
  EXPECT_TRUE(hasNoChildren());
}

}  // namespace
