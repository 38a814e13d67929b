// Indented trace scopes: two blanks per open scope of a module that is on,
// per thread.
#include <gtest/gtest.h>

#include <thread>

#include "config/registry/trace_scope.h"
#include "test_support.h"
#include "trace_capture.h"

namespace {

using test_support::TraceCaptureC;

const LogModuleC kOn("Test/Scope/On");
const LogModuleC kOff("Test/Scope/Off");

TEST(TraceScopeC, IndentsPerOpenScopeOfAModuleThatIsOnAndPerThread) {
  test_support::TempDirC dir;
  std::vector<std::string> lines;
  {
    TraceCaptureC trace(dir.file("trace.log"), "Test/Scope/On");
    traceIndented(kOn, "zero");
    {
      TraceScopeC one(kOn);
      traceIndented(kOn, "one %d", 1);
      {
        TraceScopeC notCounted(kOff);
        traceIndented(kOn, "still one");
        TraceScopeC two(kOn);
        traceIndented(kOn, "two %S", "deep");
        std::thread([] { traceIndented(kOn, "another thread"); }).join();
      }
      EXPECT_EQ(TraceScopeC::depth(), 1);
    }
    traceIndented(kOn, "zero again");
    traceIndented(kOff, "never written");
    lines = trace.lines();
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"Test/Scope/On: zero", "Test/Scope/On:   one 1", "Test/Scope/On:   still one",
                                             "Test/Scope/On:     two deep", "Test/Scope/On: another thread",
                                             "Test/Scope/On: zero again"}));
  EXPECT_EQ(TraceScopeC::depth(), 0);
}

TEST(TraceScopeC, DepthStopsGrowingAtTheLimit) {
  test_support::TempDirC dir;
  TraceCaptureC trace(dir.file("trace.log"), "Test/Scope/On");
  std::vector<std::unique_ptr<TraceScopeC>> scopes;
  for (int i = 0; i < TraceScopeC::kMaxDepth + 5; ++i) scopes.push_back(std::make_unique<TraceScopeC>(kOn));
  traceIndented(kOn, "x");
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{
                               "Test/Scope/On: " + std::string(TraceScopeC::kMaxDepth * TraceScopeC::kSpacesPerLevel, ' ') + "x"}));
}

}  // namespace
