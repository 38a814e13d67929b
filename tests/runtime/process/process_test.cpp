#include "runtime/process/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/services/common_services.h"
#include "recording_errors.h"
#include "test_support.h"
#include "trace_capture.h"

namespace {

TEST(ProcessC, ANewProcessHasTheDefaults) {
  ProcessC p;
  const platform::StartupRecord zero{};
  EXPECT_EQ(std::memcmp(&p.startupInfo(), &zero, sizeof zero), 0) << "the startup record is all zero";
  EXPECT_EQ(p.processInformation().process, -1);
  EXPECT_EQ(p.processInformation().thread, -1);
  EXPECT_EQ(p.processInformation().processId, 0u);
  EXPECT_EQ(p.processInformation().threadId, 0u);
  EXPECT_EQ(p.creationFlags(), 0x820u);
  EXPECT_EQ(p.userToken(), -1);
  EXPECT_EQ(p.userProfile(), -1);
  EXPECT_FALSE(p.sessionAccessGranted());
  EXPECT_EQ(p.mode(), 2);
  EXPECT_EQ(p.count(), 0);
  EXPECT_TRUE(p.applicationName().isEmpty());
  EXPECT_TRUE(p.commandLine().isEmpty());
  EXPECT_TRUE(p.currentDirectory().isEmpty());
  const ProcessC::StdIODescC* streams[] = {&p.standardInput(), &p.standardOutput(), &p.standardError()};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(streams[i]->handle(), platform::standardHandle(i)) << i;
    EXPECT_TRUE(streams[i]->fileName().isEmpty()) << i;
  }
}

struct OptionRow {
  const char* steps;  // S show-window off, F feedback on, f feedback off
  uint32_t flags;
};

TEST(ProcessC, TheStartupOptionsSetTheirBits) {
  const OptionRow rows[] = {
      {"S", 0},         {"F", 0x40},     {"f", 0x80},   {"Ff", 0x80},
      {"fF", 0x40},     {"FS", 0x40},    {"SF", 0x40},  {"FF", 0x40},
  };
  for (const OptionRow& row : rows) {
    ProcessC p;
    for (const char* s = row.steps; *s; ++s) {
      if (*s == 'S') p.setShowWindowOff();
      if (*s == 'F') p.setBusyCursorFeedback(true);
      if (*s == 'f') p.setBusyCursorFeedback(false);
    }
    EXPECT_EQ(p.startupInfo().flags, row.flags) << row.steps;
  }
}

TEST(ProcessC, TheExitCodeBeforeAnyProcess) {
  ProcessC p;
  uint32_t value = 0xDEADBEEF;
  EXPECT_EQ(p.exitCode(&value), 0xE1AC0001u);
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(p.exitCode(nullptr), 0x80004003u);
}

TEST(ProcessC, NulNamesTheNullDevice) {
  ProcessC p;
  ProcessC::StdIODescC& out = p.standardOutput();
  for (const char* name : {"NUL:", "nul:"}) {
    out.setFileName(StringC::fromUtf8(name));
    EXPECT_TRUE(out.namesNullDevice()) << name;
    EXPECT_EQ(out.openName(), platform::nullDeviceName()) << name;
  }
  for (const char* name : {"NUL", "out.txt", "NUL:x"}) {
    out.setFileName(StringC::fromUtf8(name));
    EXPECT_FALSE(out.namesNullDevice()) << name;
    EXPECT_EQ(out.openName(), name);
  }
  out.setHandle(platform::standardHandle(2));
  EXPECT_TRUE(out.fileName().isEmpty());
  EXPECT_EQ(out.handle(), platform::standardHandle(2));
}

TEST(ProcessC, DestroyingOneThatNeverRanReportsAndTracesNothing) {
  test_support::TempDirC dir;
  RecordingErrors errors;
  common_services::overrideErrorService(&errors, false);
  {
    test_support::TraceCaptureC trace(dir.file("trace.log"), "Communication/Process");
    {
      ProcessC p;
      p.setShowWindowOff();
      p.setBusyCursorFeedback(true);
      p.setDesktop("winsta0\\default");
      p.add(StringC::fromUtf8("qbupload"));
    }
    EXPECT_TRUE(trace.lines().empty());
  }
  common_services::restoreErrorService();
  EXPECT_TRUE(errors.reports.empty());
}

TEST(ProcessC, TheDesktopIsTheRecordsOwnCopy) {
  ProcessC p;
  std::string name = "winsta0\\default";
  p.setDesktop(name);
  name[0] = 'X';
  ASSERT_NE(p.startupInfo().desktop, nullptr);
  EXPECT_STREQ(p.startupInfo().desktop, "winsta0\\default");
  p.setDesktop("other");
  EXPECT_STREQ(p.startupInfo().desktop, "other");
}

TEST(CommPipeC, BytesWrittenAtOneEndComeOutAtTheOther) {
  CommPipeC pipe(true, false);
  ASSERT_EQ(pipe.status(), 0u);
  ASSERT_EQ(pipe.writeEnd().write("ping", 4), 0u);
  pipe.writeEnd().close();
  char buffer[16] = {};
  EXPECT_EQ(pipe.readEnd().read(buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "ping");
  EXPECT_EQ(pipe.readEnd().read(buffer, sizeof buffer), 0) << "the end once the writer closed";
}

struct AccessLogRow {
  const char* format;
  uint32_t error;
  const char* line;
  uint32_t report;  // 0: none
};

TEST(ProcessAccessLogC, FailuresAreReportedThenTraced) {
  const AccessLogRow rows[] = {
      {"GetTokenInformation failed: error %#lx", 5, "Communication/Process: GetTokenInformation failed: error 0x5",
       0x80070005},
      {"SetSecurityInfo(Desktop) failed: error %#lx", 1307,
       "Communication/Process: SetSecurityInfo(Desktop) failed: error 0x51b", 0x8007051B},
      {"GrantSessionSIDAccessToWinstationAndDesktop: No Logon SID in TokenGroups", 0,
       "Communication/Process: GrantSessionSIDAccessToWinstationAndDesktop: No Logon SID in TokenGroups", 0},
  };
  test_support::TempDirC dir;
  for (const AccessLogRow& row : rows) {
    RecordingErrors errors;
    common_services::overrideErrorService(&errors, false);
    std::vector<std::string> lines;
    {
      test_support::TraceCaptureC trace(dir.file("trace.log"), "Communication/Process");
      ProcessAccessLogC log;
      log.failed(row.format, row.error);
      lines = trace.newLines();
    }
    common_services::restoreErrorService();
    ASSERT_FALSE(lines.empty()) << row.format;
    EXPECT_EQ(lines.back(), row.line);
    if (row.report) {
      ASSERT_EQ(errors.reports.size(), 1u) << row.format;
      EXPECT_EQ(errors.reports[0].id, row.report);
    } else {
      EXPECT_TRUE(errors.reports.empty()) << row.format;
    }
  }
}

TEST(ProcessAccessLogC, ANoteIsTracedWithItsNumbers) {
  test_support::TempDirC dir;
  test_support::TraceCaptureC trace(dir.file("trace.log"), "Communication/Process");
  ProcessAccessLogC log;
  log.noted("GetAclInformation: AceCount = %d, AclBytesInUse = %d", 3, 76);
  const std::vector<std::string> lines = trace.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Communication/Process: GetAclInformation: AceCount = 3, AclBytesInUse = 76");
}

}  // namespace
