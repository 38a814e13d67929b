// The collectors against the real services of a Windows system (Wine's,
// in the build's private prefix): COM and WMI, the LSA's logon sessions,
// the registry.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "collect/appv/appv_bubble_info.h"
#include "collect/citrix/citrix_vdi_endpoint_info.h"
#include "collect/wmi/wmi_enum.h"
#include "collect/wmi/wmi_instance.h"
#include "collect/wmi/wmi_service.h"
#include "recording_errors.h"
#include "runtime/services/common_services.h"
#include "agent_log.h"
#include "test_support.h"

namespace {

StringC u(const char* s) { return StringC::fromUtf8(s); }

class RealServices : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::AgentLogC::instance();
    common_services::overrideErrorService(&errors, false);
  }
  void TearDown() override { common_services::restoreErrorService(); }
  RecordingErrors errors;
};

TEST_F(RealServices, EnumeratesTheOperatingSystemWithItsDateTimesReRendered) {
  RefM<WMIServiceC> wmi = new WMIServiceC(u("."), u("root\\cimv2"), StringC(), StringC());
  ASSERT_TRUE(wmi->isConnected()) << std::hex << wmi->status();
  RefM<WMIEnumC> walk = wmi->enumerateClass(u("Win32_OperatingSystem"));
  ASSERT_TRUE(walk);
  RefM<WMIInstanceC> os = walk->next();
  ASSERT_TRUE(os);
  EXPECT_FALSE(os->property(u("Caption")).isEmpty());
  const std::string local = os->property(u("LocalDateTime")).toUtf8();
  EXPECT_TRUE(std::regex_match(local, std::regex("[0-9]{8}T[0-9]{6}(Z|[+-][0-9]{4})"))) << local;
  EXPECT_EQ(wmi->status(), 0u);
  while (walk->next()) {
  }
  EXPECT_EQ(wmi->status(), 1u) << "the end of the enumeration";
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(RealServices, WithoutTheAppVClientTheCollectionFailsWithTheNamespaceMessages) {
  AppVBubbleInfo appv;
  EXPECT_FALSE(appv.collect());
  ASSERT_EQ(errors.reports.size(), 3u);
  EXPECT_EQ(errors.reports[0].id, 0xE1730009u);
  EXPECT_EQ(errors.reports[0].text.rfind("Failed to connect to the WMI provider namespace "
                                         "'root\\microsoft\\appvirt\\client' on server 'localhost': ", 0),
            0u)
      << errors.reports[0].text;
  EXPECT_EQ(errors.reports[1].text, "Failed to initialize WMI (0x8004100e)");
  EXPECT_EQ(errors.reports[2].id, 0xE1730017u);
  EXPECT_EQ(errors.reports[2].text, "The specified WMI namespace is invalid or does not exist on the host");
  EXPECT_EQ(appv.connection()->status(), 0xE1730017u);
}

TEST_F(RealServices, NoLogonSessionMatchesAnUnknownUser) {
  const std::string policy = "SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues";
  const std::string tcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  // The machine's own names, which the test replaces for a while.
  const test_support::SavedMachineValueC hostName(tcpip, "HostName"), domain(tcpip, "Domain");
  test_support::setMachineString("SOFTWARE\\Citrix\\ICA\\Session", "ClientName", "THIN-CLIENT-07");
  test_support::setMachineString(policy, "BrokeringUserSID", "S-1-5-21-1-2-3-424242");
  test_support::setMachineString("SOFTWARE\\Citrix\\VirtualDesktopAgent\\State", "DesktopCatalogName", "Finance");
  test_support::setMachineString(tcpip, "HostName", "VDI-07");
  test_support::setMachineString(tcpip, "Domain", "corp.example");

  std::vector<platform::LogonIdC> ids;
  EXPECT_EQ(platform::enumerateLogonSessions(ids), platform::kStatusSuccess);

  CitrixVDIEndpointInfo info;
  const bool collected = info.collect();
  test_support::removeMachineKey("SOFTWARE\\Citrix");
  ASSERT_TRUE(collected);
  EXPECT_EQ(info.at(0)->get()->value().toUtf8(), "THIN-CLIENT-07");
  EXPECT_EQ(info.userID()->value().toUtf8(), "S-1-5-21-1-2-3-424242");
  EXPECT_TRUE(info.userName()->value().isEmpty());
  EXPECT_TRUE(info.userDomain()->value().isEmpty());
  EXPECT_TRUE(info.logonTime()->value().isEmpty());
  EXPECT_EQ(info.logonFileTime(), 0u);
}

}  // namespace
