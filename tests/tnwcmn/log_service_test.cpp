#include <gtest/gtest.h>

#include "test_support.h"
#include "tnwcmn/tnwcmn.h"

namespace {

class LogService : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::setEnv("TNW_TRACE_FILE", dir.file("trace.log"));
    test_support::setEnv("TNW_TRACE", "Configuring/Registry/*, Error/Catalog/Fetch");
    log->reload();
  }
  void TearDown() override {
    test_support::unsetEnv("TNW_TRACE_FILE");
    test_support::unsetEnv("TNW_TRACE");
    log->reload();
  }
  std::string trace() const { return test_support::readFile(dir.file("trace.log")); }

  test_support::TempDirC dir;
  tnw::LogServiceI* log = TnwLogService(2);
};

TEST_F(LogService, PatternsTurnModulesOn) {
  EXPECT_EQ(log->isEnabled("Configuring/Registry/Search"), 1);
  EXPECT_EQ(log->isEnabled("configuring/registry/get"), 1);
  EXPECT_EQ(log->isEnabled("Configuring/Preferences"), 0);
  EXPECT_EQ(log->isEnabled("Error/Catalog/Fetch"), 1);
  EXPECT_EQ(log->isEnabled("Error/Catalog/Open"), 0);
  test_support::setEnv("TNW_TRACE", "*");
  log->reload();
  EXPECT_EQ(log->isEnabled("Anything/At/All"), 1);
}

TEST_F(LogService, DescriptorsResolveOnceAndOffModulesWriteNothing) {
  tnw::ModuleDescriptor on{nullptr, "Configuring/Registry/Search"};
  tnw::ModuleDescriptor off{nullptr, "Communication/Thread"};
  tnw::Arg arg{};
  arg.type = tnw::kArgInt32;
  arg.v.i = 42;
  tnw::ArgList args{1, &arg};
  tnw::TextServiceI* text = TnwTextService(1);
  log->trace(nullptr, &on, text->fromUtf8("found %d values", -1), &args);
  log->trace(nullptr, &off, text->fromUtf8("never %d", -1), &args);
  ASSERT_NE(on.handle, nullptr);
  ASSERT_NE(off.handle, nullptr);
  EXPECT_EQ(*off.handle, 0);
  EXPECT_EQ(log->resolve("Configuring/Registry/Search", nullptr), on.handle);  // one word per module
  const std::string lines = trace();
  EXPECT_NE(lines.find("Configuring/Registry/Search: found 42 values\n"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("never"), std::string::npos);
  // A module turned on later is seen through the word already handed out.
  test_support::setEnv("TNW_TRACE", "Communication/*");
  log->reload();
  EXPECT_EQ(*off.handle, 1);
}

TEST(ErrorService, ReportsReachTheTraceSinkAndThreadsKeepTheirOwnState) {
  test_support::TempDirC dir;
  test_support::setEnv("TNW_TRACE_FILE", dir.file("errors.log"));
  TnwLogService(2)->reload();
  tnw::ErrorServiceI* errors = TnwErrorService(2);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(TnwErrorService(1), nullptr);  // only interface version 2 exists

  tnw::ErrorThreadI* thread = errors->attachThread();
  ASSERT_NE(thread, nullptr);
  const uint32_t before = errors->reportCount();
  errors->report(0xE18D01F4, 4, TnwTextService(1)->fromUtf8("Failed to create new thread - Error code 8", -1));
  EXPECT_EQ(errors->reportCount(), before + 1);
  EXPECT_EQ(thread->reportCount(), 1u);
  EXPECT_EQ(errors->lastIdentifier(), 0xE18D01F4u);

  void* saved = errors->saveState();
  errors->report(0xE1960191, 4, TnwTextService(1)->fromUtf8("other", -1));
  EXPECT_EQ(errors->lastIdentifier(), 0xE1960191u);
  errors->restoreState(saved);
  EXPECT_EQ(errors->lastIdentifier(), 0xE18D01F4u);
  errors->detachThread(thread);

  const std::string log = test_support::readFile(dir.file("errors.log"));
  EXPECT_NE(log.find("Error: 0xE18D01F4 (status 4) Failed to create new thread - Error code 8"), std::string::npos) << log;
  test_support::unsetEnv("TNW_TRACE_FILE");
  TnwLogService(2)->reload();
}

TEST(LocaleService, GivesLanguageFormsAndNoProcessCatalogByDefault) {
  auto* process = static_cast<tnw::ProcessServiceI*>(TnwProcessService(-1));
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(process->catalogHolder(1), nullptr);
  auto* locales = static_cast<tnw::LocaleServiceI*>(TnwProcessService(-3));
  tnw::LocaleI* user = locales->locale(2);
  ASSERT_NE(user, nullptr);
  tnw::TextI* lang = user->language();
  tnw::TextI* alt = user->alternative();
  EXPECT_GE(lang->byteLength(), 2);
  EXPECT_GE(alt->byteLength(), 2);
  lang->release();
  alt->release();
  user->region()->release();
  EXPECT_EQ(TnwProcessService(7), nullptr);
}

}  // namespace
