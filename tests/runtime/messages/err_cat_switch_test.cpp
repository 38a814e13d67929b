#include "runtime/messages/err_cat_switch.h"

#include <gtest/gtest.h>

#include <vector>

#include "catalog_fixture.h"
#include "recording_errors.h"
#include "runtime/services/common_services.h"
#include "runtime/messages/error_report.h"

namespace {

const char* const kSuiteKey = "SOFTWARE\\Tarnwell Corp\\Tarnwell";

// A process catalog as an embedding program would install it.
class ProcessCatalog final : public tnw::ErrCatalogI {
 public:
  void fetch(tnw::TextI** out, int32_t* status, uint32_t id, tnw::TextI*, const char*) override {
    *out = StringC::fromUtf8(id == 0xE1B30008 ? "from the process" : "").newRef();
    *status = 2;
  }
  void setLanguage(tnw::TextI* language) override {
    this->language.assign(language->utf8(), static_cast<size_t>(language->byteLength()));
  }
  void destroy(uint32_t) override {}
  std::string language;
};

class ErrCatSwitch : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
    // InstallDir written without its closing separator.
    test_support::setMachineString(kSuiteKey, "InstallDir", install.path());
    test_support::writeFile(install.file("common/allcat.cat"),
                            compiledCatalog("s435m1 {i}catalogued banner\ns435m2 \n"));
    ErrCatSwitchC::instance().reopenModuleCatalog();
    common_services::overrideErrorService(&errors, false);
  }
  void TearDown() override {
    common_services::restoreErrorService();
    common_services::processService()->installCatalog(nullptr);
    test_support::removeMachineKey(kSuiteKey);
  }
  test_support::TempDirC machine;
  // The module catalog stays open for the process's life, so its folder
  // outlives the tests (Windows can't remove an open file's folder).
  static test_support::TempDirC& installDir() {
    static test_support::TempDirC* dir = new test_support::TempDirC;
    return *dir;
  }
  test_support::TempDirC& install = installDir();
  RecordingErrors errors;
};

TEST_F(ErrCatSwitch, ModuleCatalogThenProcessCatalogThenDefault) {
  ErrCatSwitchC& sw = ErrCatSwitchC::instance();
  ASSERT_TRUE(sw.moduleCatalog().isOpen()) << ErrCatSwitchC::moduleCatalogTemplate();
  auto r = sw.fetchMessage(0xE1B30001, "{w}built in");
  EXPECT_EQ(r.text, "catalogued banner");
  EXPECT_EQ(r.status, 2);
  // An empty catalog text is no answer: the default is used.
  r = sw.fetchMessage(0xE1B30002, "{w}built in");
  EXPECT_EQ(r.text, "built in");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(sw.fetchMessage(0xE1B30008, "Endpoint monitor started").text, "Endpoint monitor started");

  ProcessCatalog process;
  common_services::processService()->installCatalog(&process);
  r = sw.fetchMessage(0xE1B30008, "Endpoint monitor started");
  EXPECT_EQ(r.text, "from the process");
  EXPECT_EQ(sw.fetchMessage(0xE1B30001, "").text, "catalogued banner");  // the module catalog still comes first
  EXPECT_EQ(sw.fetchMessage(0xE1B30009, "plain default").text, "plain default");
  EXPECT_EQ(sw.fetchMessage(0xE1B30009, "").text, "");
}

TEST_F(ErrCatSwitch, TheDirectoryFallsBackToTheOlderInstallValues) {
  test_support::removeMachineKey(kSuiteKey);
  EXPECT_EQ(ErrCatSwitchC::moduleCatalogTemplate(), "allcat.%L.cat");  // none of them: no directory
  test_support::setMachineString(kSuiteKey, "ETDPInstallDir", "D:\\Suite\\");
  EXPECT_EQ(ErrCatSwitchC::moduleCatalogTemplate(), "D:\\Suite\\common\\allcat.%L.cat");
  test_support::setMachineString(kSuiteKey, "InstallDir", "C:\\Tarnwell");
  EXPECT_EQ(ErrCatSwitchC::moduleCatalogTemplate(), "C:\\Tarnwell\\common\\allcat.%L.cat");
}

TEST_F(ErrCatSwitch, ErrorReportsFormatTheTextAndSkipUnreportedKinds) {
  EXPECT_EQ(raiseError(0xE18D01F4, messageRecord("e", "Failed to create new thread", "Error code %d"), ArgListC(8)),
            0xE18D01F4u);
  EXPECT_EQ(raiseError(0xE1B30070, StringC::fromUtf8("{#}not reported")), 0xE1B30070u);
  EXPECT_EQ(raiseError(0xE1B30071, "{w}Value '%1$S' is %2$d", ArgListC::of(StringC::fromUtf8("Delay"), 5)), 0xE1B30071u);
  ASSERT_EQ(errors.reports.size(), 2u);
  EXPECT_EQ(errors.reports[0].id, 0xE18D01F4u);
  EXPECT_EQ(errors.reports[0].status, 4);
  EXPECT_EQ(errors.reports[0].text, "Failed to create new thread");
  EXPECT_EQ(errors.reports[1].status, 3);
  EXPECT_EQ(errors.reports[1].text, "Value 'Delay' is 5");
}

TEST_F(ErrCatSwitch, CallersSkipAnAbsentErrorService) {
  common_services::overrideErrorService(nullptr, true);
  EXPECT_EQ(common_services::errorService(), nullptr);
  EXPECT_EQ(raiseError(0xE1960191, messageRecord("e", "Security service API version is not supported")), 0xE1960191u);
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(ErrCatSwitch, HostileCatalogTextsAreFormattedSafely) {
  test_support::writeFile(install.file("common/allcat.cat"),
                          compiledCatalog("s435m80 {e}%n%s%9$d%p|%1$S\n"));  // s435m80 is 0xE1B30050
  ErrCatSwitchC::instance().reopenModuleCatalog();
  raiseError(0xE1B30051, "{e}Citrix VDI endpoint information '%1$S' is not found.",
             ArgListC::of(StringC::fromUtf8("ClientName")));
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].text, "Citrix VDI endpoint information 'ClientName' is not found.");
  raiseError(0xE1B30050, "{e}unused", ArgListC::of(StringC::fromUtf8("ClientName")));
  ASSERT_EQ(errors.reports.size(), 2u);
  // %n takes position 1 and writes nothing; %s and %p ask for positions 2
  // and 3, and %9$d for 9, which the list lacks: all render empty.
  EXPECT_EQ(errors.reports[1].text, "|ClientName");
}

}  // namespace
