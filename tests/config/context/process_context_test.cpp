// The process context: argument editing, the search it makes, the
// initialisation callback and the environment copy it keeps.
#include <gtest/gtest.h>

#include <memory>

#include "config/context/process_context.h"
#include "platform/process.h"
#include "runtime/version/version_string.h"

namespace {

using V = std::vector<std::string>;

struct Args {
  explicit Args(V values) : texts(std::move(values)) {
    for (auto& t : texts) pointers.push_back(t.data());
    pointers.push_back(nullptr);
    argc = static_cast<int>(texts.size());
  }
  V left() const {
    V out;
    for (int i = 0; i < argc; ++i) out.push_back(pointers[static_cast<size_t>(i)]);
    return out;
  }
  V texts;
  std::vector<char*> pointers;
  int argc;
};

class ProcessContext : public ::testing::Test {
 protected:
  // The search path the context's search used, from its diagnostics.
  std::string searchLine() const {
    for (const std::string& l : diagnostics.kept())
      if (l.rfind("Using ", 0) == 0) return l;
    return "";
  }
  MapEnvironmentC env{{{"KUIPREFSDEBUG", "1"}}};
  PrefsDiagnosticsC diagnostics;
};

TEST_F(ProcessContext, ArgumentEditing) {
  struct Case {
    V in, out;
    uintptr_t handle;
    const char* searchLine;
  } cases[] = {
      {{"C:\\x\\prog.exe", "-kuiprefs", "p.ini", "x"}, {"C:\\x\\prog.exe", "x"}, 0, "Using search path: \"p.ini\""},
      {{"prog", "a", "-kuiprefs", "", "b"}, {"prog", "a", "b"}, 0, "Using default search path"},
      {{"prog", "-kui", "hInstance=1234", "y"}, {"prog", "y"}, 1234, "Using default search path"},
      {{"prog", "-kui", "ghInstance=5"}, {"prog", "-kui", "ghInstance=5"}, 0, "Using default search path"},
      {{"prog", "-kui", "hInstance="}, {"prog", "-kui", "hInstance="}, 0, "Using default search path"},
      {{"prog", "-kui", "hInstance:12"}, {"prog", "-kui", "hInstance:12"}, 0, "Using default search path"},
      {{"prog", "x", "-kuiprefs"}, {"prog", "x", "-kuiprefs"}, 0, "Using default search path"},
      {{"prog", "-kuiprefs", "-kuiprefs", "-kui", "hInstance=7"}, {"prog"}, 7, "Using search path: \"-kuiprefs\""},
      {{"prog", "-kui", "hInstance=42", "-kuiprefs", "q"}, {"prog"}, 42, "Using search path: \"q\""},
  };
  for (const Case& c : cases) {
    PrefsDiagnosticsC d;
    ProcessContextC context(env, d);
    Args a(c.in);
    ASSERT_EQ(context.initialise(a.argc, a.pointers.data()), &context);
    EXPECT_EQ(a.left(), c.out) << c.in[1];
    EXPECT_EQ(a.pointers[static_cast<size_t>(a.argc)], nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(context.moduleHandle()), c.handle) << c.in[1];
    std::string line;
    for (const std::string& l : d.kept())
      if (l.rfind("Using ", 0) == 0) line = l;
    EXPECT_EQ(line.rfind(c.searchLine, 0), 0u) << line;
  }
}

TEST_F(ProcessContext, RecordFieldsAndApplicationInformation) {
  ProcessContextC context(env, diagnostics);
  EXPECT_EQ(context.name(), "standalone");
  EXPECT_EQ(context.processId(), platform::processId());
  EXPECT_NE(context.threadId(), 0u);
  EXPECT_EQ(context.moduleHandle(), nullptr);
  EXPECT_EQ(context.osInformation().platformId, 2u);
  EXPECT_EQ(context.appInfo(), nullptr);
  Args a({"C:\\Prog Files\\Host.EXE"});
  context.initialise(a.argc, a.pointers.data());
  ASSERT_NE(context.appInfo(), nullptr);
  EXPECT_EQ(context.appInfo()->familyName, "Host");
  EXPECT_EQ(context.appInfo()->familyNameLower, "host");
  EXPECT_EQ(context.appInfo()->moduleDirectory, "C:\\Prog Files");
  Args b({"C:\\lib\\vdiendpoint.dll", "-kui", "ghInstance=99"});
  ProcessContextC plugin(env, diagnostics);
  plugin.initialise(b.argc, b.pointers.data(), std::string("vdiendpoint.dll"));
  EXPECT_EQ(plugin.appInfo()->familyName, "vdiendpoint.dll");
  EXPECT_EQ(plugin.moduleHandle(), nullptr);  // "ghInstance" is not "hInstance"
  // %N is the family name without its extension.
  bool named = false;
  for (const std::string& l : diagnostics.kept()) named = named || l == "File \"C:\\lib\\vdiendpoint.ini\" not found, continuing search";
  EXPECT_TRUE(named);
  // The version text: no module handle in the record, the library's own value alone.
  EXPECT_EQ(plugin.versionString(6), version_string::of(6, nullptr));
}

TEST_F(ProcessContext, TheSearchIsReplacedOnlyWhenAPathIsGiven) {
  ProcessContextC context(env, diagnostics);
  Args a({"prog"});
  context.initialise(a.argc, a.pointers.data());
  const PrefsFileSearchC* first = context.prefsSearch();
  ASSERT_NE(first, nullptr);
  Args b({"prog", "-kui", "ghInstance=1"});
  context.initialise(b.argc, b.pointers.data());
  EXPECT_EQ(context.prefsSearch(), first);
  Args c({"prog", "-kuiprefs", "other.ini"});
  context.initialise(c.argc, c.pointers.data());
  EXPECT_NE(context.prefsSearch(), nullptr);
  EXPECT_EQ(searchLine(), "Using default search path: \"%U\\%N%S;%A\\%N%S;%U\\%f%V%S;%A\\%f%V%S;%WIN\\%F%V\\%f%V%S\"");
  EXPECT_EQ(diagnostics.kept().back(), "End of search.");
  bool other = false;
  for (const std::string& l : diagnostics.kept()) other = other || l == "Using search path: \"other.ini\"";
  EXPECT_TRUE(other);
}

TEST_F(ProcessContext, TheCallbackCanRefuse) {
  ProcessContextC context(env, diagnostics);
  int calls = 0;
  ProcessContextC::setInitCallback([&](ProcessContextC& c) {
    ++calls;
    return &c == &context && calls == 1;
  });
  Args a({"prog"});
  EXPECT_EQ(context.initialise(a.argc, a.pointers.data()), &context);
  EXPECT_EQ(context.initialise(a.argc, a.pointers.data()), nullptr);
  ProcessContextC::setInitCallback(nullptr);
  EXPECT_EQ(context.initialise(a.argc, a.pointers.data()), &context);
  EXPECT_EQ(calls, 2);
}

class CountedEnvironment final : public ContextEnvironmentI {
 public:
  CountedEnvironment(std::shared_ptr<int> live, std::vector<std::string> values)
      : live_(std::move(live)), values(std::move(values)) {
    ++*live_;
  }
  ~CountedEnvironment() override { --*live_; }
  std::unique_ptr<ContextEnvironmentI> deepCopy() const override {
    return std::make_unique<CountedEnvironment>(live_, values);
  }
  std::shared_ptr<int> live_;
  std::vector<std::string> values;
};

TEST_F(ProcessContext, KeepsItsOwnCopyOfTheEnvironment) {
  auto live = std::make_shared<int>(0);
  ProcessContextC context(env, diagnostics);
  EXPECT_EQ(context.environment(), nullptr);
  {
    CountedEnvironment given(live, {"a"});
    context.setEnvironment(given);
    given.values[0] = "changed";
  }
  ASSERT_EQ(*live, 1);
  EXPECT_EQ(static_cast<CountedEnvironment*>(context.environment())->values, V{"a"});
  {
    CountedEnvironment next(live, {"b"});
    context.setEnvironment(next);
    EXPECT_EQ(*live, 2);  // the old copy went, the new one came
  }
  EXPECT_EQ(static_cast<CountedEnvironment*>(context.environment())->values, V{"b"});
}

TEST(ProcessContextCurrent, OneRecordPerProcess) {
  ProcessContextC& a = ProcessContextC::current();
  EXPECT_EQ(&a, &ProcessContextC::current());
  EXPECT_EQ(a.processId(), platform::processId());
}

}  // namespace
