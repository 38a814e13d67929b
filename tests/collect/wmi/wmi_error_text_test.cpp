#include <gtest/gtest.h>

#include "catalog_fixture.h"
#include "collect/wmi/wmi_errors.h"
#include "runtime/messages/err_cat_switch.h"

namespace {

const char* const kSuiteKey = "SOFTWARE\\Tarnwell Corp\\Tarnwell";

// A module catalog whose set and message numbers collide with what a WMI or
// system code would read as, were its bits taken for an identifier.
class WmiErrorText : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
    test_support::setMachineString(kSuiteKey, "InstallDir", install().path());
    test_support::writeFile(install().file("common/allcat.cat"),
                            compiledCatalog("s7m5 {e}set 7 message 5\n"
                                            "s4m4110 {e}set 4 message 0x100E\n"
                                            "s371m23 {e}catalogued namespace text\n"));
    ErrCatSwitchC::instance().reopenModuleCatalog();
  }
  void TearDown() override {
    test_support::removeMachineKey(kSuiteKey);
    ErrCatSwitchC::instance().reopenModuleCatalog();
  }
  static test_support::TempDirC& install() {
    static test_support::TempDirC* dir = new test_support::TempDirC;
    return *dir;
  }
  test_support::TempDirC machine;
};

TEST_F(WmiErrorText, OnlyCatalogIdentifiersAreLookedUpInTheCatalog) {
  ASSERT_TRUE(ErrCatSwitchC::instance().moduleCatalog().isOpen());
  EXPECT_EQ(wmiErrorText(0xE1730017).toUtf8(), "catalogued namespace text");
  EXPECT_NE(wmiErrorText(0x80070005).toUtf8(), "set 7 message 5");
  EXPECT_EQ(wmiErrorText(0x8004100E).toUtf8(), "WBEM_E_INVALID_NAMESPACE");
}

}  // namespace
