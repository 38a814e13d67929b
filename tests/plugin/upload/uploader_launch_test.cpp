#include "plugin/upload/uploader_launch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/strings/string_c.h"
#include "agent_log.h"
#include "test_support.h"

namespace {

using Messages = std::vector<std::string>;

// The log file holds its text in the system's 8-bit encoding (the ANSI code
// page on Windows): the messages as they read there.
Messages inLog(const Messages& utf8) {
  Messages out;
  for (const std::string& m : utf8) out.push_back(StringC::fromUtf8(m).encode("system-8"));
  return out;
}

class UploaderLaunch : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::AgentLogC::instance(); }
  void SetUp() override { newLogMessages(); }
  static Messages newLogMessages() { return test_support::AgentLogC::instance().newMessages(); }
};

struct StatusRow {
  uint32_t error;
  int32_t status;
};

TEST_F(UploaderLaunch, ShellErrorsMapToStatuses) {
  const StatusRow rows[] = {
      {0, 2},  {4, 2},  {8, 2},  {11, 3}, {27, 3},  {2, 4},   {31, 4},  {3, 5},          {28, 6},
      {29, 6}, {30, 6}, {5, 7},  {1, 1},  {26, 1},  {32, 1},  {193, 1}, {206, 1},        {0xFFFFFFFF, 1},
  };
  for (const StatusRow& row : rows) EXPECT_EQ(uploader_launch::statusForError(row.error), row.status) << row.error;
}

struct ProgramRow {
  const char* command;
  const char* program;
};

TEST_F(UploaderLaunch, TheProgramIsTheFirstTokenWithoutItsQuotes) {
  const ProgramRow rows[] = {
      {"qbupload -r VdiAccess", "qbupload"},
      {"  qbupload -r VdiAccess", "qbupload"},
      {"qbupload\t-r", "qbupload"},
      {"\"C:\\Program Files\\Tarnwell\\qbupload.exe\" -r VdiAccess", "C:\\Program Files\\Tarnwell\\qbupload.exe"},
      {"C:\\\"Program Files\"\\qbupload -r", "C:\\Program Files\\qbupload"},
      {"qbupload", "qbupload"},
      {"", ""},
  };
  for (const ProgramRow& row : rows)
    EXPECT_EQ(uploader_launch::splitCommand(row.command).program, row.program) << row.command;
}

struct ParametersRow {
  const char* command;
  const char* parameters;
};

TEST_F(UploaderLaunch, TheParametersFollowAsManyCharactersAsTheProgramHas) {
  const ParametersRow rows[] = {
      {"qbupload -r VdiAccess", " -r VdiAccess"},
      {"qbupload", ""},
      {"qbupload ", " "},
      {"C:\\Tarnwell\\Common\\qbupload.exe -r VdiAccess", " -r VdiAccess"},
  };
  for (const ParametersRow& row : rows)
    EXPECT_EQ(uploader_launch::splitCommand(row.command).parameters, row.parameters) << row.command;
}

struct ReportRow {
  int32_t status;
  const char* message;
};

TEST_F(UploaderLaunch, TheReportLogsTheTextOfItsStatus) {
  const ReportRow rows[] = {
      {0, "Execute returned \u201CStarted Successfully\u201D. "},
      {2, "Execute returned \u201COut Of Resorces\u201D. "},
      {3, "Execute returned \u201CBad Format\u201D. "},
      {4, "Execute returned \u201CFile Not Found:qbupload -r VdiAccess\u201D. "},
      {5, "Execute returned \u201CPath Not Found:qbupload -r VdiAccess\u201D. "},
      {6, "Execute returned \u201CDDE Failure\u201D. "},
      {7, "Execute returned \u201CAccess denied\u201D. "},
      {8, "Execute returned \u201CUnspecified Failure\u201D. "},
      {-1, "Execute returned \u201CUnspecified Failure\u201D. "},
  };
  for (const ReportRow& row : rows) {
    EXPECT_EQ(uploader_launch::reportLaunch("qbupload -r VdiAccess", row.status), row.status);
    EXPECT_EQ(newLogMessages(), inLog({row.message})) << row.status;
  }
}

TEST_F(UploaderLaunch, AnUploaderThatCannotBeFoundIsFileNotFound) {
  test_support::TempDirC empty;
  const char* path = std::getenv("PATH");
  const std::string oldPath = path ? path : "";
  test_support::setEnv("PATH", empty.path());
  const int32_t status = uploader_launch::launchUploader();
  test_support::setEnv("PATH", oldPath);
  EXPECT_EQ(status, uploader_launch::kFileNotFound);
  EXPECT_EQ(uploader_launch::savedLaunchError(), 2u);
  EXPECT_EQ(newLogMessages(), inLog({"Execute \u201Cqbupload -r VdiAccess\u201D",
                                     "Execute returned \u201CFile Not Found:qbupload -r VdiAccess\u201D. "}));
}

}  // namespace
