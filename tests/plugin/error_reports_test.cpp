// The exact text of every error report the framework raises today, as the
// suite's error service receives it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "plugin/plugin_entry.h"
#include "recording_errors.h"
#include "runtime/messages/error_report.h"
#include "runtime/services/common_services.h"
#include "runtime/streams/streams.h"
#include "runtime/threads/thread.h"
#include "platform/system.h"
#include "test_support.h"

namespace {

struct Expected {
  uint32_t id;
  std::string text;
};

class ErrorReports : public ::testing::Test {
 protected:
  void SetUp() override { common_services::overrideErrorService(&errors, false); }
  void TearDown() override { common_services::restoreErrorService(); }

  void expectReports(const char* what, const std::vector<Expected>& expected) {
    ASSERT_EQ(errors.reports.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(errors.reports[i].id, expected[i].id) << what;
      EXPECT_EQ(errors.reports[i].status, 4) << what;
      EXPECT_EQ(errors.reports[i].text, expected[i].text) << what;
    }
    errors.reports.clear();
  }

  FileStreamC* open(const std::string& name, FileOpenModeC mode, uint32_t access) {
    return FileStreamC::open(dir.file(name), name, mode, access, platform::kShareRead | platform::kShareWrite);
  }

  RecordingErrors errors;
  test_support::TempDirC dir;
};

TEST_F(ErrorReports, WhatTheOperationsThatFailReport) {
  test_support::writeFile(dir.file("present.txt"), "abc");
  struct Case {
    const char* what;
    std::function<void()> run;
    std::vector<Expected> expected;
  } cases[] = {
      {"host outside the version range",
       [] {
         int32_t status = 0;
         SecurityServicePluginInstance(&status, nullptr, nullptr);
       },
       {{0xE1960191, "Security service API version is not supported"}}},
      {"open a missing file",
       [&] { open("absent.txt", FileOpenModeC::kOpenExisting, platform::kAccessRead); },
       {{0x80070002, "System error 2"}, {0xE0CB0010, "Failed to open file 'absent.txt'"}}},
      {"append without write access",
       [&] { open("present.txt", FileOpenModeC::kAppend, platform::kAccessRead); },
       {{0xE0CB0009, "Attempted to open 'present.txt' for appending without write access"}}},
      {"read a write-only stream",
       [&] {
         FileStreamC* s = open("present.txt", FileOpenModeC::kOpenExisting, platform::kAccessWrite);
         char b[2];
         s->read(b, 2);
         delete s;
       },
       {{0xE0CB0006, "Attempted to read from a stream that does not support reading"}}},
      {"write a read-only stream",
       [&] {
         FileStreamC* s = open("present.txt", FileOpenModeC::kOpenExisting, platform::kAccessRead);
         s->write("x", 1);
         delete s;
       },
       {{0xE0CB0008, "Attempted to write to a stream that does not support writing"}}},
      {"seek, size and resize a closed stream",
       [&] {
         FileStreamC* s = open("present.txt", FileOpenModeC::kOpenExisting, platform::kAccessWrite);
         s->close();
         s->setPosition(0, 0);
         s->length();
         s->setLength(1);
         delete s;
       },
       {{0xE0CB0007, "Attempted to set current position in a stream that does not support seeking"},
        {0xE0CB0005, "Cannot obtain length of stream"},
        {0xE0CB000B, "Attempted to set length on non-resizable stream"}}},
      {"copy into a stream that cannot take it",
       [&] {
         FileStreamC* in = open("present.txt", FileOpenModeC::kOpenExisting, platform::kAccessRead);
         FileStreamC* out = open("present.txt", FileOpenModeC::kOpenExisting, platform::kAccessRead);
         out->copyAllFrom(*in);
         delete in;
         delete out;
       },
       {{0xE0CB0008, "Attempted to write to a stream that does not support writing"},
        {0xE0CB0015, "Failed to write to a stream"}}},
  };
  for (const Case& c : cases) {
    c.run();
    expectReports(c.what, c.expected);
  }
}

// A thread whose object is destroyed while it runs: Linux cannot end it from
// outside, so the framework reports that and waits for it; Windows ends it.
// Windows ends it wherever it is: in the heap or in a runtime library lock
// it would leave that lock held for ever, and this process would hang at
// its next allocation. So the thread waits in the plain system sleep, which
// holds nothing (std::this_thread::sleep_for can allocate and lock on a
// thread's first use).
TEST_F(ErrorReports, DestroyingARunningThread) {
  class Sleeper final : public ThreadC {
   public:
    std::atomic<bool> running{false};
    uint32_t run() override {
      running = true;
      ThreadC::sleep(200);
      return 0;
    }
  };
  auto* t = new Sleeper;
  const uint32_t id = t->id();
  t->start();
  while (!t->running) std::this_thread::yield();
  delete t;
  if (errors.reports.empty()) return;  // ended as Windows ends threads
  const std::string text = "Failure in thread " + std::to_string(platform::currentThreadId()) +
                           " to terminate thread " + std::to_string(id);
  expectReports("destroying a running thread", {{0xE18D01F5, text}});
}

// Thread creation and condition failures cannot be provoked on a healthy
// system; their records carry a detail ("Error code %d") that must not be
// formatted with the message's own arguments.
TEST_F(ErrorReports, ThreadAndConditionRecordsReportTheirTextOnly) {
  struct Case {
    uint32_t id;
    StringC record;
    ArgListC args;
    std::string text;
  } cases[] = {
      {0xE18D01F4, messageRecord("e", "Failed to create new thread", "Error code %d"), ArgListC(8),
       "Failed to create new thread"},
      {0xE18D01F5, messageRecord("e", "Failure in thread %d to terminate thread %d", "Error code %d"),
       ArgListC::of(11, 22, 5), "Failure in thread 11 to terminate thread 22"},
      {0xE18D0065, messageRecord("e", "Failed to create condition variable %S", "Error code %d"),
       ArgListC::of(StringC::fromUtf8("Zombie Threads"), 8), "Failed to create condition variable Zombie Threads"},
  };
  for (const Case& c : cases) {
    raiseError(c.id, c.record, c.args);
    expectReports(c.text.c_str(), {{c.id, c.text}});
  }
}

}  // namespace
