#include "collect/wmi/wmi_service.h"

#include <gtest/gtest.h>

#include "collect/wmi/wmi_enum.h"
#include "collect/wmi/wmi_instance.h"
#include "platform/message_text.h"
#include "recording_errors.h"
#include "test_support.h"
#include "trace_capture.h"
#include "runtime/services/common_services.h"
#include "runtime/services/dyn_load.h"
#include "wmi/fake_wmi.h"

namespace {

using namespace wmi_test;

StringC u(const char* s) { return StringC::fromUtf8(s); }
std::string utf8(const std::u16string& s) { return StringC(s.data(), static_cast<int32_t>(s.size())).toUtf8(); }

// A report's expected text: as written, except that where the system's
// message tables know `code` (WMI's own in wmiutils.dll, then the system's)
// the layer gives their words in place of the symbolic name `name`. Linux
// has no words for these codes; Windows has its own, and Wine other ones
// ("Access denied." for "Access is denied.").
std::string expected(std::string text, uint32_t code, const std::string& name) {
  const DynLoadC wmiutils("wbem\\wmiutils.dll");
  const std::string system = platform::systemMessageText(code, wmiutils.handle());
  const size_t at = text.find(name);
  if (!system.empty() && at != std::string::npos) text.replace(at, name.size(), system);
  return text;
}

class WmiService : public ::testing::Test {
 protected:
  void SetUp() override { common_services::overrideErrorService(&errors, false); }
  void TearDown() override { common_services::restoreErrorService(); }

  RefM<WMIServiceC> connect(const char* server = ".", const char* user = "", const char* password = "") {
    return new WMIServiceC(u(server), u("root\\microsoft\\appvirt\\client"), u(user), u(password), fakeWmi(fake));
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& r : errors.reports) out.push_back(r.text);
    return out;
  }

  RecordingErrors errors;
  FakeWmiState fake;
};

TEST_F(WmiService, ConnectsToTheNamespaceOfTheServer) {
  RefM<WMIServiceC> s = connect();
  EXPECT_TRUE(s->isConnected());
  EXPECT_EQ(s->status(), 0u);
  EXPECT_TRUE(errors.reports.empty());
  EXPECT_EQ(utf8(fake.path), "\\\\.\\root\\microsoft\\appvirt\\client");
  EXPECT_EQ(fake.events, (std::vector<std::string>{"com-init 2", "security 0", "locator", "connect",
                                                   "services-blanket", "locator-released"}));
  EXPECT_EQ(fake.securityAuthnLevel, 2u);
  EXPECT_EQ(fake.securityImpLevel, 2u);
}

TEST_F(WmiService, AFailedConnectReportsItsMessagesAndTheSpecialOne) {
  const struct Case {
    uint32_t result;
    const char* server;
    const char* name;
    std::vector<RecordingErrors::Report> reports;
    uint32_t status;
  } cases[] = {
      {0x8004100E, ".", "WBEM_E_INVALID_NAMESPACE",
       {{0xE1730009, 3,
         "Failed to connect to the WMI provider namespace 'root\\microsoft\\appvirt\\client' on server 'localhost': "
         "WBEM_E_INVALID_NAMESPACE (0x8004100e)"},
        {0xE1730001, 3, "Failed to initialize WMI (0x8004100e)"},
        {0xE1730017, 4, "The specified WMI namespace is invalid or does not exist on the host"}},
       0xE1730017},
      {0x800706BA, "vdi-host-7", "The RPC server is unavailable",
       {{0xE1730009, 3,
         "Failed to connect to the WMI provider namespace 'root\\microsoft\\appvirt\\client' on server 'vdi-host-7': "
         "The RPC server is unavailable (0x800706ba)"},
        {0xE1730001, 3, "Failed to initialize WMI (0x800706ba)"},
        {0xE1730014, 4, "Failed to connect to the RPC service on the remote host"}},
       0xE1730014},
      {0x80070005, ".", "Access is denied",
       {{0xE1730009, 3,
         "Failed to connect to the WMI provider namespace 'root\\microsoft\\appvirt\\client' on server 'localhost': "
         "Access is denied (0x80070005)"},
        {0xE1730001, 3, "Failed to initialize WMI (0x80070005)"},
        {0xE1730015, 4, "Failed to connect to the RPC service using the provided credentials"}},
       0xE1730015},
      {0x80041003, ".", "WBEM_E_ACCESS_DENIED",
       {{0xE1730009, 3,
         "Failed to connect to the WMI provider namespace 'root\\microsoft\\appvirt\\client' on server 'localhost': "
         "WBEM_E_ACCESS_DENIED (0x80041003)"},
        {0xE1730001, 3, "Failed to initialize WMI (0x80041003)"},
        {0xE1730016, 4, "Failed to connect to the specified WMI namespace using the provided credentials"}},
       0xE1730016},
      {0x8007000E, ".", "0x8007000e",
       {{0xE1730009, 3,
         "Failed to connect to the WMI provider namespace 'root\\microsoft\\appvirt\\client' on server 'localhost': "
         "0x8007000e (0x8007000e)"},
        {0xE1730001, 3, "Failed to initialize WMI (0x8007000e)"}},
       0x8007000E},
  };
  for (const Case& c : cases) {
    errors.reports.clear();
    fake = FakeWmiState();
    fake.connectResult = c.result;
    RefM<WMIServiceC> s = connect(c.server);
    EXPECT_FALSE(s->isConnected());
    EXPECT_EQ(s->status(), c.status) << std::hex << c.result;
    ASSERT_EQ(errors.reports.size(), c.reports.size()) << std::hex << c.result;
    for (size_t i = 0; i < c.reports.size(); ++i) {
      EXPECT_EQ(errors.reports[i].id, c.reports[i].id);
      EXPECT_EQ(errors.reports[i].status, c.reports[i].status);
      // Only the connect message describes the code; the others show it.
      const bool describes = c.reports[i].id == 0xE1730009;
      EXPECT_EQ(errors.reports[i].text, describes ? expected(c.reports[i].text, c.result, c.name) : c.reports[i].text);
    }
    EXPECT_EQ(s->enumerateClass(u("Application")), RefM<WMIEnumC>()) << "not connected: nothing to enumerate";
    EXPECT_EQ(s->status(), c.status) << "an enumeration without a connection leaves the status";
  }
}

TEST_F(WmiService, CredentialsChooseTheProxyBlanket) {
  const struct Case {
    const char* user;
    const char* password;
    bool userGiven;
    const char* userPassed;
    bool passwordGiven;
    bool hasCredentials;
    const char* domain;
    const char* identityUser;
    uint32_t level;
  } cases[] = {
      {"", "", false, "", false, false, "", "", 3},
      {"alice", "pw", true, ".\\alice", true, true, ".", "alice", 6},
      {"CORP\\bob", "", true, "CORP\\bob", false, true, "CORP", "bob", 6},
      {"\\bob", "pw", true, "\\bob", true, false, "", "", 3},
  };
  for (const Case& c : cases) {
    fake = FakeWmiState();
    RefM<WMIServiceC> s = connect(".", c.user, c.password);
    ASSERT_TRUE(s->isConnected()) << c.user;
    EXPECT_EQ(fake.userGiven, c.userGiven) << c.user;
    EXPECT_EQ(utf8(fake.user), c.userPassed) << c.user;
    EXPECT_EQ(fake.passwordGiven, c.passwordGiven) << c.user;
    ASSERT_EQ(fake.blankets.size(), 1u);
    const BlanketSeen& b = fake.blankets[0];
    EXPECT_EQ(b.authnService, 10u);
    EXPECT_EQ(b.authzService, 0u);
    EXPECT_EQ(b.authnLevel, c.level) << c.user;
    EXPECT_EQ(b.impLevel, 3u);
    EXPECT_EQ(b.capabilities, 0u);
    EXPECT_EQ(b.hasIdentity, c.hasCredentials) << c.user;
    EXPECT_EQ(s->identity()->hasCredentials, c.hasCredentials) << c.user;
    if (c.hasCredentials) {
      EXPECT_EQ(utf8(b.identity.domain), c.domain);
      EXPECT_EQ(utf8(b.identity.user), c.identityUser);
      EXPECT_EQ(utf8(b.identity.password), c.password);
      EXPECT_EQ(b.identity.flags, 2u);
    }
    // With credentials the enumerator gets the blanket too.
    RefM<WMIEnumC> walk = s->enumerateClass(u("Application"));
    ASSERT_TRUE(walk);
    EXPECT_EQ(fake.blankets.size(), c.hasCredentials ? 2u : 1u) << c.user;
  }
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(WmiService, ComInitialisationAndSecurityRules) {
  const struct Case {
    const char* what;
    uint32_t init, security;
    bool connected, comInitialized;
    uint32_t status;
  } cases[] = {
      {"a thread in another model is used as it is", 0x80010106, 0, true, false, 0},
      {"COM fails: no connection", 0x8007000E, 0, false, false, 0x8007000E},
      {"COM was initialised already (S_FALSE)", 1, 0, true, true, 0},
      {"security set before in the process", 0, 0x80010119, true, true, 0},
      {"security refused", 0, 0x80004005, false, true, 0x80004005},
  };
  for (const Case& c : cases) {
    fake = FakeWmiState();
    fake.comInitializeResult = c.init;
    fake.securityResult = c.security;
    {
      RefM<WMIServiceC> s = connect();
      EXPECT_EQ(s->isConnected(), c.connected) << c.what;
      EXPECT_EQ(s->comInitialized(), c.comInitialized) << c.what;
      EXPECT_EQ(s->status(), c.status) << c.what;
    }
    const bool uninit = !fake.events.empty() && fake.events.back() == "com-uninit";
    EXPECT_EQ(uninit, c.comInitialized) << c.what;
  }
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(WmiService, ARefusedBlanketDisconnects) {
  fake.servicesBlanketResult = 0x80041003;
  RefM<WMIServiceC> s = connect();
  EXPECT_FALSE(s->isConnected());
  EXPECT_EQ(s->status(), 0x80004005u);
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         expected("Failed to set a proxy blanket on a WMI handle: WBEM_E_ACCESS_DENIED (0x80041003)",
                                  0x80041003, "WBEM_E_ACCESS_DENIED"),
                         "Failed to initialize WMI (0x80004005)"}));
}

TEST_F(WmiService, ALocatorThatCannotBeMadeIsAFailedInitialisation) {
  fake.locatorResult = 0x80040154;
  RefM<WMIServiceC> s = connect();
  EXPECT_FALSE(s->isConnected());
  EXPECT_EQ(s->status(), 0x80040154u);
  EXPECT_EQ(texts(), (std::vector<std::string>{"Failed to initialize WMI (0x80040154)"}));
}

TEST_F(WmiService, EnumeratesInstancesUntilTheEndWithoutAMessage) {
  fake.objects = {{{u"Name", {bstr("Word"), 8, 0}}}, {{u"Name", {bstr("Excel"), 8, 0}}}};
  RefM<WMIServiceC> s = connect();
  RefM<WMIEnumC> walk = s->enumerateClass(u("Application"));
  ASSERT_TRUE(walk);
  EXPECT_EQ(utf8(fake.className), "Application");
  EXPECT_EQ(fake.enumFlags, 1) << "shallow: the class itself";
  std::vector<std::string> names;
  while (RefM<WMIInstanceC> i = walk->next()) names.push_back(i->property(u("Name")).toUtf8());
  EXPECT_EQ(names, (std::vector<std::string>{"Word", "Excel"}));
  EXPECT_EQ(s->status(), 1u) << "WBEM_S_FALSE";
  EXPECT_EQ(fake.nextTimeouts, (std::vector<int32_t>{30000, 30000, 30000}));
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(WmiService, EnumerationFailuresAreReported) {
  const struct Case {
    uint32_t enumResult;
    uint32_t nextFailure;
    const char* name;
    const char* text;
    uint32_t status;
  } cases[] = {
      {0x80041010, 0, "WBEM_E_INVALID_CLASS",
       "Failed to enumerate the WMI class 'Application': WBEM_E_INVALID_CLASS (0x80041010)", 0x80041010},
      {0, 0x40004, "WBEM_S_TIMEDOUT",
       "Failed to get the next instance from a WMI class object enumerator: WBEM_S_TIMEDOUT (0x40004)", 0x40004},
      {0, 0x80041004, "WBEM_E_PROVIDER_FAILURE",
       "Failed to get the next instance from a WMI class object enumerator: WBEM_E_PROVIDER_FAILURE (0x80041004)",
       0x80041004},
  };
  for (const Case& c : cases) {
    errors.reports.clear();
    fake = FakeWmiState();
    fake.enumResult = c.enumResult;
    fake.failNextAt = 0;
    fake.nextFailure = c.nextFailure;
    RefM<WMIServiceC> s = connect();
    RefM<WMIEnumC> walk = s->enumerateClass(u("Application"));
    if (walk) {
      EXPECT_FALSE(walk->next());
    }
    EXPECT_EQ(texts(), std::vector<std::string>{expected(c.text, c.status, c.name)});
    EXPECT_EQ(s->status(), c.status);
  }
}

TEST_F(WmiService, PropertiesReadAsText) {
  wmi::VariantC date;
  date.type = wmi::kVtDate;
  date.real = 45000.5;
  fake.objects = {{{u"LastLaunchOnSystem", {bstr("20240115083005.000000+060"), wmi::kCimDatetime, 0}},
                   {u"Text", {bstr("20240115083005.000000+060"), wmi::kCimString, 0}},
                   {u"Never", {bstr("16010101000000.000000+000"), wmi::kCimDatetime, 0}},
                   {u"When", {date, wmi::kCimString, 0}},
                   {u"Broken", {bstr(""), wmi::kCimString, 0x80041004}}}};
  RefM<WMIServiceC> s = connect();
  RefM<WMIInstanceC> i = s->enumerateClass(u("Application"))->next();
  ASSERT_TRUE(i);
  EXPECT_EQ(i->property(u("LastLaunchOnSystem")).toUtf8(), "20240115T083005+0100");
  EXPECT_EQ(i->property(u("Text")).toUtf8(), "20240115083005.000000+060") << "only a CIM_DATETIME is re-rendered";
  EXPECT_EQ(i->property(u("Never")).toUtf8(), "16010101000000.000000+000");
  EXPECT_EQ(i->property(u("When")).toUtf8(), "") << "VT_DATE has no text";
  EXPECT_TRUE(errors.reports.empty()) << "a failed conversion is not reported";
  EXPECT_EQ(s->status(), 0u);
  EXPECT_EQ(i->property(u("Broken")).toUtf8(), "");
  EXPECT_EQ(i->property(u("Missing")).toUtf8(), "");
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         expected("Failed to get WMI property 'Broken': WBEM_E_PROVIDER_FAILURE (0x80041004)",
                                  0x80041004, "WBEM_E_PROVIDER_FAILURE"),
                         expected("Failed to get WMI property 'Missing': WBEM_E_NOT_FOUND (0x80041002)", 0x80041002,
                                  "WBEM_E_NOT_FOUND")}));
  EXPECT_EQ(s->status(), 0x80041002u);
}

TEST_F(WmiService, ComIsUninitialisedAfterTheLastObjectIsGone) {
  fake.objects = {{{u"Name", {bstr("Word"), 8, 0}}}};
  RefM<WMIInstanceC> instance;
  {
    RefM<WMIServiceC> s = connect();
    RefM<WMIEnumC> walk = s->enumerateClass(u("Application"));
    instance = walk->next();
  }
  fake.events.clear();
  instance.reset();
  // The enumerator went with its block; the instance alone kept the
  // service, and COM, alive.
  EXPECT_EQ(fake.events, (std::vector<std::string>{"object-released", "services-released", "com-uninit"}));
}

TEST_F(WmiService, TheRepositorysProblemsAreTraced) {
  test_support::TempDirC dir;
  test_support::TraceCaptureC trace(dir.file("trace.log"), "VDIEndpointMonitor/VDIEndpoint/Agent");
  fake.connectProblems = {"/m/wmi/a.mof:3: unterminated string", "/m/wmi/b.mof:1: unknown type \"int\""};
  RefM<WMIServiceC> s = connect();
  EXPECT_TRUE(s->isConnected());
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{
                               "VDIEndpointMonitor/VDIEndpoint/Agent: /m/wmi/a.mof:3: unterminated string",
                               "VDIEndpointMonitor/VDIEndpoint/Agent: /m/wmi/b.mof:1: unknown type \"int\""}));
}

}  // namespace
