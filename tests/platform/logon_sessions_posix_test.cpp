#include "platform/logon_sessions.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmpx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "test_support.h"

namespace {

using platform::LogonIdC;
using platform::LogonSessionDataC;

// 2024-01-15T08:30:05Z: 19737 days and 30605 s after 1970-01-01, which is
// 11644473600 s after 1601-01-01.
constexpr uint64_t kJan15 = 133497810050000000ull;

class LogonSessionsPosix : public ::testing::Test {
 protected:
  void SetUp() override { test_support::setEnv("TNW_MACHINE_ROOT", dir_.path()); }
  void TearDown() override { test_support::unsetEnv("TNW_MACHINE_ROOT"); }

  std::string table() const { return dir_.path() + "/logon-sessions"; }
  void writeTable(const std::string& text) const { test_support::writeFile(table(), text); }

  // Enumerates and reads every session; the status of each read must be success.
  uint32_t sessions(std::vector<LogonSessionDataC>& out, std::vector<std::string>& problems) const {
    out.clear();
    problems = {"left from before"};
    std::vector<LogonIdC> ids = {{7, 7}};
    const uint32_t status = platform::enumerateLogonSessions(ids, &problems);
    for (const LogonIdC& id : ids) {
      LogonSessionDataC data;
      EXPECT_EQ(platform::logonSessionData(id, data), platform::kStatusSuccess);
      out.push_back(data);
    }
    return status;
  }

  std::string line(size_t n, const std::string& what) const { return table() + ":" + std::to_string(n) + ": " + what; }

  test_support::TempDirC dir_;
};

struct GoodCase {
  const char* line;
  uint32_t type;
  const char* sid;
  uint64_t time;
  std::u16string domain;
  std::u16string user;
};

TEST_F(LogonSessionsPosix, TheTableGivesItsSessionsInOrder) {
  const GoodCase cases[] = {
      {"2 S-1-5-21-1-2-3-1001 2024-01-15T08:30:05Z CORP\\alice", 2, "S-1-5-21-1-2-3-1001", kJan15, u"CORP", u"alice"},
      {"10\tS-1-5-21-1-2-3-1002\t1601-01-01T00:00:00Z\tCORP\\Bob  Smith \t \r", 10, "S-1-5-21-1-2-3-1002", 0,
       u"CORP", u"Bob  Smith"},
      {"  3  S-1-5-18  1970-01-01T00:00:00Z  localonly", 3, "S-1-5-18", 116444736000000000ull, u"", u"localonly"},
      {"4294967295 S-1-5-18 2000-02-29T23:59:59Z D\\a\\b", 4294967295u, "S-1-5-18", 125963423990000000ull, u"D",
       u"a\\b"},
      {"007 S-1-5-19 9999-12-31T23:59:59Z \\nodomain", 7, "S-1-5-19", 2650467743990000000ull, u"", u"nodomain"},
      {"2 S-1-5-20 2024-01-15T08:30:05Z D\\u # not a comment", 2, "S-1-5-20", kJan15, u"D", u"u # not a comment"},
      {"2 S-1-5-21-9 1900-03-01T00:00:00Z D\xC3\xA9V\\J\xC3\xBCrgen \xF0\x9F\x98\x80 \xFF!", 2, "S-1-5-21-9",
       94405824000000000ull, u"D\u00E9V", u"J\u00FCrgen \U0001F600 \uFFFD!"},
  };
  std::string text = "# sessions of the test machine\n\n   \t\n";
  for (const GoodCase& c : cases) text += std::string(c.line) + "\n";
  text += "  # the end";  // no final line end
  writeTable(text);

  std::vector<LogonSessionDataC> got;
  std::vector<std::string> problems;
  ASSERT_EQ(sessions(got, problems), platform::kStatusSuccess);
  EXPECT_EQ(problems, std::vector<std::string>());
  ASSERT_EQ(got.size(), std::size(cases));
  for (size_t i = 0; i < got.size(); ++i) {
    const GoodCase& c = cases[i];
    EXPECT_EQ(got[i].logonType, c.type) << c.line;
    EXPECT_EQ(platform::sidToString(got[i].sid), c.sid) << c.line;
    EXPECT_EQ(got[i].logonTime, c.time) << c.line;
    EXPECT_EQ(got[i].logonDomain, c.domain) << c.line;
    EXPECT_EQ(got[i].userName, c.user) << c.line;
  }
}

TEST_F(LogonSessionsPosix, BadLinesAreSkippedAndNamed) {
  const char* const kTimeRule = " (expected YYYY-MM-DDTHH:MM:SSZ)";
  struct Case {
    std::string line;
    std::string problem;  // "" when the line gives a session or is ignored
  };
  const std::vector<Case> cases = {
      {"x S-1-5-18 2024-01-15T08:30:05Z D\\u", "bad logon type \"x\""},
      {"-2 S-1-5-18 2024-01-15T08:30:05Z D\\u", "bad logon type \"-2\""},
      {"+2 S-1-5-18 2024-01-15T08:30:05Z D\\u", "bad logon type \"+2\""},
      {"4294967296 S-1-5-18 2024-01-15T08:30:05Z D\\u", "bad logon type \"4294967296\""},
      {"99999999999999999999999 S-1-5-18 2024-01-15T08:30:05Z D\\u", "bad logon type \"99999999999999999999999\""},
      {"2x S-1-5-18 2024-01-15T08:30:05Z D\\u", "bad logon type \"2x\""},
      {"2 S-1-x 2024-01-15T08:30:05Z D\\u", "bad SID \"S-1-x\""},
      {"2 S-1-5-18- 2024-01-15T08:30:05Z D\\u", "bad SID \"S-1-5-18-\""},
      {"2 BA 2024-01-15T08:30:05Z D\\u", "bad SID \"BA\""},
      {"2", "missing SID"},
      {"2 \t ", "missing SID"},
      {"2 S-1-5-18", "missing logon time"},
      {"2 S-1-5-18 2024-01-15 08:30:05Z D\\u", "bad logon time \"2024-01-15\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2023-02-29T00:00:00Z D\\u", "bad logon time \"2023-02-29T00:00:00Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 1900-02-29T00:00:00Z D\\u", "bad logon time \"1900-02-29T00:00:00Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 1600-12-31T23:59:59Z D\\u", "bad logon time \"1600-12-31T23:59:59Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-04-31T00:00:00Z D\\u", "bad logon time \"2024-04-31T00:00:00Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-13-01T00:00:00Z D\\u", "bad logon time \"2024-13-01T00:00:00Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-00-01T00:00:00Z D\\u", "bad logon time \"2024-00-01T00:00:00Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-01-00T00:00:00Z D\\u", "bad logon time \"2024-01-00T00:00:00Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-01-15T24:00:00Z D\\u", "bad logon time \"2024-01-15T24:00:00Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-01-15T08:60:00Z D\\u", "bad logon time \"2024-01-15T08:60:00Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-01-15T08:30:60Z D\\u", "bad logon time \"2024-01-15T08:30:60Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-01-15t08:30:05z D\\u", "bad logon time \"2024-01-15t08:30:05z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-01-15T08:30:05 D\\u", "bad logon time \"2024-01-15T08:30:05\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-1-15T08:30:05Z D\\u", "bad logon time \"2024-1-15T08:30:05Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 +024-01-15T08:30:05Z D\\u", "bad logon time \"+024-01-15T08:30:05Z\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-01-15T08:30:05+01:00 D\\u",
       "bad logon time \"2024-01-15T08:30:05+01:00\"" + std::string(kTimeRule)},
      {"2 S-1-5-18 2024-01-15T08:30:05Z", "missing user name"},
      {"2 S-1-5-18 2024-01-15T08:30:05Z  \t \r", "missing user name"},
      {"2 S-1-5-18 2024-01-15T08:30:05Z CORP\\", "missing user name"},
      {"2 S-1-5-18 2024-02-29T12:00:00Z CORP\\kept", ""},
      {"   # a comment after blanks", ""},
      {"\r", ""},
  };
  std::string text;
  std::vector<std::string> expected;
  for (size_t i = 0; i < cases.size(); ++i) {
    text += cases[i].line + "\n";
    if (!cases[i].problem.empty()) expected.push_back(line(i + 1, cases[i].problem));
  }
  writeTable(text);

  std::vector<LogonSessionDataC> got;
  std::vector<std::string> problems;
  ASSERT_EQ(sessions(got, problems), platform::kStatusSuccess);
  EXPECT_EQ(problems, expected);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].userName, u"kept");
  EXPECT_EQ(got[0].logonTime, 133536816000000000ull);
}

TEST_F(LogonSessionsPosix, AnIdentifierOfAnEarlierEnumerationIsStale) {
  writeTable("2 S-1-5-18 2024-01-15T08:30:05Z D\\one\n10 S-1-5-19 2024-01-15T08:30:05Z D\\two\n");
  std::vector<LogonIdC> first;
  ASSERT_EQ(platform::enumerateLogonSessions(first), platform::kStatusSuccess);
  ASSERT_EQ(first.size(), 2u);
  LogonSessionDataC data;
  ASSERT_EQ(platform::logonSessionData(first[1], data), platform::kStatusSuccess);
  EXPECT_EQ(data.userName, u"two");

  std::vector<LogonIdC> second;
  ASSERT_EQ(platform::enumerateLogonSessions(second), platform::kStatusSuccess);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(platform::logonSessionData(first[1], data), platform::kStatusNoSuchLogonSession);
  EXPECT_TRUE(data.userName.empty());
  ASSERT_EQ(platform::logonSessionData(second[0], data), platform::kStatusSuccess);
  EXPECT_EQ(data.userName, u"one");
  EXPECT_EQ(data.logonType, platform::kLogonInteractive);
  const int32_t generation = second[0].highPart;
  for (const LogonIdC none : {LogonIdC{0, generation}, LogonIdC{3, generation}, LogonIdC{1, generation + 1}})
    EXPECT_EQ(platform::logonSessionData(none, data), platform::kStatusNoSuchLogonSession) << none.lowPart;
}

TEST_F(LogonSessionsPosix, ALineOver64KiBIsSkippedUnread) {
  const std::string head = "2 S-1-5-18 2024-01-15T08:30:05Z D\\";
  const std::string fits = head + std::string(64 * 1024 - head.size(), 'a');
  const std::string over = head + std::string(64 * 1024 + 1 - head.size(), 'b');
  const std::string huge = std::string(3 * 1024 * 1024, 'c');
  writeTable(fits + "\n" + over + "\n" + huge + "\n2 S-1-5-18 2024-01-15T08:30:05Z D\\after\n" + huge);

  std::vector<LogonSessionDataC> got;
  std::vector<std::string> problems;
  ASSERT_EQ(sessions(got, problems), platform::kStatusSuccess);
  EXPECT_EQ(problems, (std::vector<std::string>{line(2, "line too long"), line(3, "line too long"),
                                                line(5, "line too long")}));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].userName.size(), 64 * 1024 - head.size());
  EXPECT_EQ(got[1].userName, u"after");
}

// Filled with comment lines up to `size` bytes, one session at the end.
std::string tableOfSize(size_t size) {
  const std::string last = "2 S-1-5-18 2024-01-15T08:30:05Z D\\last\n";
  const std::string comment = "#" + std::string(1022, '-') + "\n";
  std::string text;
  text.reserve(size);
  while (text.size() + comment.size() + last.size() <= size) text += comment;
  const size_t gap = size - text.size() - last.size();
  if (gap > 0) text += std::string(gap - 1, '#') + "\n";
  return text + last;
}

TEST_F(LogonSessionsPosix, ATableOver16MiBIsNotRead) {
  const size_t limit = 16 * 1024 * 1024;
  std::vector<LogonSessionDataC> got;
  std::vector<std::string> problems;

  writeTable(tableOfSize(limit));
  ASSERT_EQ(sessions(got, problems), platform::kStatusSuccess);
  EXPECT_EQ(problems, std::vector<std::string>());
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].userName, u"last");

  writeTable(tableOfSize(limit + 1));
  ASSERT_EQ(sessions(got, problems), platform::kStatusSuccess);
  EXPECT_EQ(problems, std::vector<std::string>{table() + ": larger than 16 MiB, not read"});
  EXPECT_TRUE(got.empty());
}

TEST_F(LogonSessionsPosix, ATableThatCannotBeReadFailsTheEnumeration) {
  writeTable("2 S-1-5-18 2024-01-15T08:30:05Z D\\u\n");
  std::vector<LogonIdC> before;
  ASSERT_EQ(platform::enumerateLogonSessions(before), platform::kStatusSuccess);
  ASSERT_EQ(before.size(), 1u);
  ASSERT_EQ(std::remove(table().c_str()), 0);

  struct Case {
    const char* what;
    int (*make)(const char*);
  };
  const Case cases[] = {
      {"directory", [](const char* p) { return mkdir(p, 0755); }},
      {"fifo", [](const char* p) { return mkfifo(p, 0644); }},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.make(table().c_str()), 0) << c.what;
    std::vector<LogonIdC> ids = {{1, 1}};
    std::vector<std::string> problems;
    EXPECT_EQ(platform::enumerateLogonSessions(ids, &problems), platform::kStatusAccessDenied) << c.what;
    EXPECT_TRUE(ids.empty()) << c.what;
    EXPECT_EQ(problems, std::vector<std::string>{table() + ": not a regular file"}) << c.what;
    ASSERT_EQ(std::remove(table().c_str()), 0) << c.what;
  }
  LogonSessionDataC data;
  EXPECT_EQ(platform::logonSessionData(before[0], data), platform::kStatusNoSuchLogonSession);
}

// The superuser reads any file, so it drops to another user in a child first.
TEST_F(LogonSessionsPosix, ATableWithoutReadPermissionFailsTheEnumeration) {
  writeTable("2 S-1-5-18 2024-01-15T08:30:05Z D\\u\n");
  ASSERT_EQ(chmod(table().c_str(), 0), 0);
  const std::vector<std::string> expected = {table() + ": cannot be opened: " + std::generic_category().message(EACCES)};
  auto check = [&] {
    std::vector<LogonIdC> ids = {{1, 1}};
    std::vector<std::string> problems;
    return platform::enumerateLogonSessions(ids, &problems) == platform::kStatusAccessDenied && ids.empty() &&
           problems == expected;
  };
  if (geteuid() != 0) {
    EXPECT_TRUE(check());
    return;
  }
  const pid_t child = fork();
  if (child == 0) {
    const uid_t nobody = 65534;
    _exit(setgid(nobody) == 0 && setuid(nobody) == 0 && check() ? 0 : 1);
  }
  ASSERT_GT(child, 0);
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the unreadable table did not fail as expected";
}

// Without a table the sessions come from the system's utmpx database,
// whatever it holds on this machine.
TEST_F(LogonSessionsPosix, WithoutATableTheSystemsLogonsAreTheSessions) {
  std::vector<LogonSessionDataC> got;
  std::vector<std::string> problems;
  ASSERT_EQ(sessions(got, problems), platform::kStatusSuccess);
  EXPECT_EQ(problems, std::vector<std::string>());
  for (const LogonSessionDataC& s : got) {
    EXPECT_TRUE(s.logonType == platform::kLogonInteractive || s.logonType == platform::kLogonRemoteInteractive);
    EXPECT_EQ(platform::sidToString(s.sid).rfind("S-1-22-1-", 0), 0u) << platform::sidToString(s.sid);
    EXPECT_EQ(s.logonDomain, u"Unix User");
    EXPECT_FALSE(s.userName.empty());
  }
}

utmpx record(short type, const std::string& user, const std::string& line, const std::string& host, int32_t when) {
  utmpx r{};
  r.ut_type = type;
  r.ut_pid = 4242;
  std::memcpy(r.ut_user, user.data(), std::min(user.size(), sizeof r.ut_user));
  std::memcpy(r.ut_line, line.data(), std::min(line.size(), sizeof r.ut_line));
  std::memcpy(r.ut_host, host.data(), std::min(host.size(), sizeof r.ut_host));
  r.ut_tv.tv_sec = when;
  return r;
}

// A utmpx file of our own, read through the same calls as the system's.
TEST_F(LogonSessionsPosix, AUtmpxUserProcessIsASession) {
  const passwd* me = getpwuid(geteuid());
  ASSERT_NE(me, nullptr);
  const std::string name = me->pw_name;
  ASSERT_LE(name.size(), sizeof(utmpx{}.ut_user));
  const std::string sid = "S-1-22-1-" + std::to_string(me->pw_uid);
  const int32_t jan15 = 1705307405;

  const utmpx records[] = {
      record(USER_PROCESS, name, "tty1", "", jan15),
      record(DEAD_PROCESS, name, "tty2", "", jan15),
      record(LOGIN_PROCESS, "LOGIN", "tty3", "", jan15),
      record(USER_PROCESS, "no-such-user-vdi", "pts/1", "", jan15),
      record(USER_PROCESS, name, "pts/0", "192.0.2.7", 0),
  };
  const std::string file = dir_.path() + "/utmp";
  test_support::writeFile(file, std::string(reinterpret_cast<const char*>(records), sizeof records));
  ASSERT_EQ(utmpxname(file.c_str()), 0);
  std::vector<LogonSessionDataC> got;
  std::vector<std::string> problems;
  const uint32_t status = sessions(got, problems);
  utmpxname(_PATH_UTMPX);

  ASSERT_EQ(status, platform::kStatusSuccess);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].logonType, platform::kLogonInteractive);
  EXPECT_EQ(got[1].logonType, platform::kLogonRemoteInteractive);
  for (const LogonSessionDataC& s : got) {
    EXPECT_EQ(platform::sidToString(s.sid), sid);
    EXPECT_EQ(s.logonDomain, u"Unix User");
    EXPECT_EQ(s.userName, std::u16string(name.begin(), name.end()));
  }
  EXPECT_EQ(got[0].logonTime, kJan15);
  EXPECT_EQ(got[1].logonTime, 116444736000000000ull);
}

}  // namespace
