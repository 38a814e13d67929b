#include "collect/citrix/citrix_vdi_endpoint_info.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/prefs/env_preferences.h"
#include "config/prefs/qb_context.h"
#include "runtime/services/common_services.h"
#include "agent_log.h"
#include "test_support.h"
#include "trace_capture.h"

namespace {

StringC u(const char* s) { return StringC::fromUtf8(s); }

const char* const kSid = "S-1-5-21-3623811015-3361044348-30300820-1013";
const char* const kOtherSid = "S-1-5-21-3623811015-3361044348-30300820-1014";

// Keys as stored: HKLM\SOFTWARE\X is the 64-bit view, HKLM\SOFTWARE\WOW6432Node
// \X the 32-bit view a 32-bit process reads through HKLM.
const char* const kIca = "SOFTWARE\\Citrix\\ICA\\Session";
const char* const kPolicy = "SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues";
const char* const kPolicy32 = "SOFTWARE\\WOW6432Node\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues";
const char* const kTcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const char* const kState = "SOFTWARE\\Citrix\\VirtualDesktopAgent\\State";
const char* const kState32 = "SOFTWARE\\WOW6432Node\\Citrix\\VirtualDesktopAgent\\State";

using Values = std::map<std::string, std::map<std::string, std::string>>;  // key -> name -> text

// A fake LSA: sessions in order; a session whose data is asked after it
// "ended" answers STATUS_NO_SUCH_LOGON_SESSION.
class FakeSessionsC final : public LogonSessionSourceI {
 public:
  struct Session {
    uint32_t type;
    const char* sid;
    const char* domain;
    const char* user;
    uint64_t logonTime;
    bool ended = false;
  };
  std::vector<Session> sessions;
  uint32_t enumerateStatus = 0;
  std::vector<std::string> problems;
  int dataCalls = 0;

  uint32_t enumerate(std::vector<platform::LogonIdC>& ids, std::vector<std::string>* out) override {
    ids.clear();
    if (out) *out = problems;
    if (enumerateStatus) return enumerateStatus;
    for (size_t i = 0; i < sessions.size(); ++i) ids.push_back({static_cast<uint32_t>(i), 0});
    return 0;
  }
  uint32_t sessionData(const platform::LogonIdC& id, platform::LogonSessionDataC& out) override {
    ++dataCalls;
    const Session& s = sessions.at(id.lowPart);
    if (s.ended) return platform::kStatusNoSuchLogonSession;
    out.logonType = s.type;
    platform::stringToSid(s.sid, out.sid);
    out.userName = u(s.user).toUtf16();
    out.logonDomain = u(s.domain).toUtf16();
    out.logonTime = s.logonTime;
    return 0;
  }
};

// 2024-01-15 08:30:05 UTC.
constexpr uint64_t kLogon = 133497810050000000ull;

class Citrix : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::AgentLogC::instance().newMessages();
    test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
    QBContextC::process().replaceEnvironment(env_EnvironmentC());
  }
  void TearDown() override {
    test_support::unsetEnv("TNW_MACHINE_ROOT");
    common_services::registryContext()->reload();
  }

  // The registry of this test: the values a desktop with Citrix has, with
  // `changes` applied (an empty text removes the value).
  void registry(const Values& changes = {}) {
    Values v = {{kIca, {{"ClientName", "ICA-CLIENT"}}},
                {kPolicy, {{"ClientName", "POLICY-CLIENT"}, {"BrokeringUserSID", kSid}}},
                {kTcpip, {{"HostName", "VDI-07"}, {"Domain", "corp.example"}}},
                {kState, {{"DesktopCatalogName", "Finance Desktops"}}}};
    for (const auto& [key, values] : changes)
      for (const auto& [name, text] : values) {
        if (text.empty())
          v[key].erase(name);
        else
          v[key][name] = text;
      }
    std::string reg = "Windows Registry Editor Version 5.00\r\n";
    for (const auto& [key, values] : v) {
      reg += "\r\n[HKEY_LOCAL_MACHINE\\" + key + "]\r\n";
      for (const auto& [name, text] : values) reg += "\"" + name + "\"=\"" + text + "\"\r\n";
    }
    test_support::writeFile(machine.file("registry/50-citrix.reg"), reg);
    common_services::registryContext()->reload();
  }

  static std::map<std::string, std::string> values(const InfoSet& set) {
    std::map<std::string, std::string> out;
    for (const RefM<InfoPiece>& p : set) out[p->name().toUtf8()] = p->value().toUtf8();
    return out;
  }
  static std::vector<std::string> names(const InfoSet& set) {
    std::vector<std::string> out;
    for (const RefM<InfoPiece>& p : set) out.push_back(p->name().toUtf8());
    return out;
  }
  static std::string pref(const char* name) {
    EnvPreferencesC p;
    return p.value(u(name)).toUtf8();
  }

  test_support::TempDirC machine;
  FakeSessionsC lsa;
};

TEST_F(Citrix, CollectsTheSessionFromRegistryAndLogonSessions) {
  registry();
  lsa.sessions = {{3, kSid, "CORP", "Ada Lovelace", kLogon - 10},  // network logon: never the user's desktop
                  {2, kOtherSid, "CORP", "Grace", kLogon - 5},
                  {10, kSid, "CORP", "Ada Lovelace", kLogon},
                  {2, kSid, "CORP", "Ada (second)", kLogon + 99}};
  CitrixVDIEndpointInfo info(lsa);
  EXPECT_EQ(names(info), (std::vector<std::string>{"endPointClientName", "vdiName", "vdiDomain", "vdiTemplateName",
                                                   "userID", "userName", "userDomain", "logonTime"}));
  EXPECT_EQ(info.logonFileTime(), 0u);
  ASSERT_TRUE(info.collect());
  EXPECT_EQ(values(info), (std::map<std::string, std::string>{{"endPointClientName", "ICA-CLIENT"},
                                                              {"vdiName", "VDI-07"},
                                                              {"vdiDomain", "corp.example"},
                                                              {"vdiTemplateName", "Finance Desktops"},
                                                              {"userID", kSid},
                                                              {"userName", "Ada Lovelace"},
                                                              {"userDomain", "CORP"},
                                                              {"logonTime", "20240115T083005"}}));
  EXPECT_EQ(info.logonFileTime(), kLogon);
  EXPECT_EQ(lsa.dataCalls, 3) << "the walk stops at the first match";
  EXPECT_EQ(pref("UserId"), "Ada Lovelace");
  EXPECT_TRUE(test_support::AgentLogC::instance().newMessages().empty());
}

TEST_F(Citrix, ChoosesEachSourceAtConstruction) {
  const struct Case {
    const char* what;
    Values changes;
    const char* client;
    const char* catalog;
    bool catalogThroughHklm;
    const char* userKey;  // the key userID reads; null: no userID piece
    bool userThroughHklm;
  } cases[] = {
      {"both ClientName keys: the ICA session wins", {}, "ICA-CLIENT", "Finance Desktops", false, kPolicy, false},
      {"no ICA session", {{kIca, {{"ClientName", ""}}}}, "POLICY-CLIENT", "Finance Desktops", false, kPolicy, false},
      {"catalog only in the 32-bit view",
       {{kState, {{"DesktopCatalogName", ""}}}, {kState32, {{"DesktopCatalogName", "Catalog 32"}}}},
       "ICA-CLIENT", "Catalog 32", true, kPolicy, false},
      {"catalog in both views: the 64-bit one", {{kState32, {{"DesktopCatalogName", "Catalog 32"}}}}, "ICA-CLIENT",
       "Finance Desktops", false, kPolicy, false},
      {"SID only in the 32-bit view", {{kPolicy, {{"BrokeringUserSID", ""}}}, {kPolicy32, {{"BrokeringUserSID", kSid}}}},
       "ICA-CLIENT", "Finance Desktops", false, "SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues",
       true},
      {"SID only in the second sub-key",
       {{kPolicy, {{"BrokeringUserSID", ""}}},
        {std::string(kPolicy) + "\\1-first", {{"Other", "x"}}},
        {std::string(kPolicy) + "\\2-second", {{"BrokeringUserSID", kSid}}},
        {std::string(kPolicy) + "\\3-third", {{"BrokeringUserSID", kOtherSid}}}},
       "ICA-CLIENT", "Finance Desktops", false,
       "SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues\\2-second", false},
      {"no SID anywhere", {{kPolicy, {{"BrokeringUserSID", ""}}}}, "ICA-CLIENT", "Finance Desktops", false, nullptr,
       false},
  };
  lsa.sessions = {{2, kSid, "CORP", "Ada", kLogon}};
  for (const Case& c : cases) {
    registry(c.changes);
    CitrixVDIEndpointInfo info(lsa);
    const auto* catalog = dynamic_cast<const RegBasedInfoPiece*>(info.at(3)->get());
    ASSERT_NE(catalog, nullptr);
    EXPECT_EQ(catalog->root() == tnw::kHKeyLocalMachine, c.catalogThroughHklm) << c.what;
    if (!c.userKey) {
      EXPECT_FALSE(info.userID()) << c.what;
      EXPECT_EQ(info.count(), 7u) << c.what;
      EXPECT_FALSE(info.collect()) << c.what;
      EXPECT_TRUE(test_support::AgentLogC::instance().newMessages().empty()) << c.what << ": silently";
      continue;
    }
    const auto* user = dynamic_cast<const RegBasedInfoPiece*>(info.userID().get());
    ASSERT_NE(user, nullptr) << c.what;
    EXPECT_EQ(user->keyPath().toUtf8(), c.userKey) << c.what;
    EXPECT_EQ(user->root() == tnw::kHKeyLocalMachine, c.userThroughHklm) << c.what;
    ASSERT_TRUE(info.collect()) << c.what;
    const auto v = values(info);
    EXPECT_EQ(v.at("endPointClientName"), c.client) << c.what;
    EXPECT_EQ(v.at("vdiTemplateName"), c.catalog) << c.what;
    EXPECT_EQ(v.at("userID"), kSid) << c.what;
  }
}

TEST_F(Citrix, AMissingRegistryValueIsLoggedAndStopsTheCollection) {
  registry({{kTcpip, {{"HostName", ""}}}});
  lsa.sessions = {{2, kSid, "CORP", "Ada", kLogon}};
  CitrixVDIEndpointInfo info(lsa);
  EXPECT_FALSE(info.collect());
  EXPECT_EQ(test_support::AgentLogC::instance().newMessages(),
            (std::vector<std::string>{"Citrix VDI endpoint information 'vdiName' is not found."}));
  EXPECT_EQ(lsa.dataCalls, 0) << "the session step does not run";
  EXPECT_EQ(values(info).at("endPointClientName"), "ICA-CLIENT") << "what was fetched stays";
}

TEST_F(Citrix, SessionStepFailuresAreTraced) {
  const struct Case {
    const char* what;
    const char* sid;
    uint32_t enumerateStatus;
    std::vector<FakeSessionsC::Session> sessions;
    bool ok;
    std::vector<std::string> trace;
    const char* user;
  } cases[] = {
      {"a SID that does not decode", "S-1-x", 0, {}, false, {"Failed to decode user SID."}, nullptr},
      {"the sessions cannot be enumerated", kSid, 0xC0000022, {}, false,
       {"Failed to enumerate logon sessions. Error code: 3221225506"}, nullptr},
      {"a session ended since the enumeration", kSid, 0,
       {{2, kSid, "CORP", "Gone", kLogon, true}, {10, kSid, "CORP", "Ada", kLogon}}, true,
       {"Failed to extract logon session data. Error code: 3221225567"}, "Ada"},
      {"no matching session", kSid, 0, {{3, kSid, "CORP", "Ada", kLogon}, {2, kOtherSid, "CORP", "Grace", kLogon}},
       true, {}, ""},
  };
  for (const Case& c : cases) {
    registry({{kPolicy, {{"BrokeringUserSID", c.sid}}}});
    lsa.sessions = c.sessions;
    lsa.enumerateStatus = c.enumerateStatus;
    test_support::TraceCaptureC trace(machine.file("trace-" + std::to_string(&c - cases) + ".log"),
                                      "VDIEndpointMonitor/VDIEndpoint/Agent");
    CitrixVDIEndpointInfo info(lsa);
    EXPECT_EQ(info.collect(), c.ok) << c.what;
    std::vector<std::string> expected;
    for (const std::string& t : c.trace) expected.push_back("VDIEndpointMonitor/VDIEndpoint/Agent: " + t);
    EXPECT_EQ(trace.lines(), expected) << c.what;
    if (c.user) {
      const auto v = values(info);
      EXPECT_EQ(v.at("userName"), c.user) << c.what;
      EXPECT_EQ(pref("UserId"), c.user) << c.what;
      if (!*c.user) {
        EXPECT_EQ(v.at("userDomain"), "") << c.what;
        EXPECT_EQ(v.at("logonTime"), "") << c.what;
        EXPECT_EQ(info.logonFileTime(), 0u) << c.what;
      }
    }
  }
  EXPECT_TRUE(test_support::AgentLogC::instance().newMessages().empty());
}

TEST_F(Citrix, TheStandInsProblemsAreTraced) {
  registry();
  lsa.problems = {"/m/logon-sessions:4: bad SID \"S-1\""};
  lsa.sessions = {{2, kSid, "CORP", "Ada", kLogon}};
  test_support::TraceCaptureC trace(machine.file("trace.log"), "VDIEndpointMonitor/VDIEndpoint/Agent");
  CitrixVDIEndpointInfo info(lsa);
  EXPECT_TRUE(info.collect());
  EXPECT_EQ(trace.lines(),
            (std::vector<std::string>{"VDIEndpointMonitor/VDIEndpoint/Agent: /m/logon-sessions:4: bad SID \"S-1\""}));
}

TEST_F(Citrix, AFixedUserIdKeepsItsValue) {
  registry();
  lsa.sessions = {{2, kSid, "CORP", "Ada", kLogon}};
  EnvPreferencesC p;
  p.set(u("UserId"), u("pinned"), true);
  p.set(u("UserIdFixed"), u("True"), true);
  CitrixVDIEndpointInfo info(lsa);
  ASSERT_TRUE(info.collect());
  EXPECT_EQ(pref("UserId"), "pinned");
}

TEST_F(Citrix, ACopyKeepsTheRegistryViewOpen) {
  registry();
  lsa.sessions = {{2, kSid, "CORP", "Ada", kLogon}};
  auto* original = new CitrixVDIEndpointInfo(lsa);
  const CitrixVDIEndpointInfo copy = *original;
  delete original;
  CitrixVDIEndpointInfo again = copy;
  ASSERT_TRUE(again.collect());
  EXPECT_EQ(values(again).at("vdiName"), "VDI-07");
  EXPECT_FALSE(again.differsFrom(copy)) << "a copy shares the pieces";
}

TEST_F(Citrix, TheDocumentShowsEveryPieceButTheUserSid) {
  registry();
  lsa.sessions = {};
  CitrixVDIEndpointInfo info(lsa);
  ASSERT_TRUE(info.collect());
  struct Memory final : XmlOutputStreamC {
    uint32_t writeRaw(const StringC& t) override {
      out += t.utf8();
      return 0;
    }
    std::string out;
  } out;
  out.startElement(u("CitrixVDIEndpointInfo"));
  info.writeAttributes(out);
  out.endElement(u("CitrixVDIEndpointInfo"));
  EXPECT_EQ(out.out,
            "<CitrixVDIEndpointInfo endPointClientName=\"ICA-CLIENT\" vdiName=\"VDI-07\" vdiDomain=\"corp.example\" "
            "vdiTemplateName=\"Finance Desktops\" userName=\"\" userDomain=\"\" logonTime=\"\"/>\n");
}

}  // namespace
