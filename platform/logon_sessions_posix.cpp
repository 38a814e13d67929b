#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utmpx.h>

#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/utf8.h"
#include "platform/logon_sessions.h"
#include "platform/path.h"
#include "platform/library_objects.h"

namespace platform {

namespace {

constexpr size_t kMaxLineBytes = 64 * 1024;
constexpr size_t kMaxTableBytes = 16 * 1024 * 1024;
constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr char kTimeForm[] = "YYYY-MM-DDTHH:MM:SSZ";
constexpr char16_t kUnixUserDomain[] = u"Unix User";
constexpr char kUnixUserSidPrefix[] = "S-1-22-1-";

// Kept until the library's unload: a thread may still enumerate while the
// process exits.
struct SnapshotC {
  std::mutex lock;
  uint32_t generation = 0;
  std::vector<LogonSessionDataC> sessions;
};

SnapshotC& snapshot() {
  static SnapshotC* const s = library_objects::keep(new SnapshotC);
  return *s;
}

std::string errnoText(int e) { return std::generic_category().message(e); }

std::u16string toUtf16(std::string_view text) { return common::utf8::toUtf16(text); }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view skipBlanks(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view nextField(std::string_view& rest) {
  rest = skipBlanks(rest);
  size_t i = 0;
  while (i < rest.size() && !isBlank(rest[i])) ++i;
  const std::string_view field = rest.substr(0, i);
  rest = rest.substr(i);
  return field;
}

bool parseDigits(std::string_view s, uint64_t limit, uint64_t& value) {
  if (s.empty()) return false;
  value = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > limit) return false;
  }
  return true;
}

// Days from 1970-01-01 in the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned shiftedMonth = month > 2 ? month - 3 : month + 9;
  const unsigned dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

unsigned daysInMonth(uint64_t year, uint64_t month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool parseLogonTime(std::string_view f, uint64_t& fileTime) {
  if (f.size() != sizeof kTimeForm - 1) return false;
  if (f[4] != '-' || f[7] != '-' || f[10] != 'T' || f[13] != ':' || f[16] != ':' || f[19] != 'Z') return false;
  uint64_t year, month, day, hour, minute, second;
  if (!parseDigits(f.substr(0, 4), 9999, year) || !parseDigits(f.substr(5, 2), 99, month) ||
      !parseDigits(f.substr(8, 2), 99, day) || !parseDigits(f.substr(11, 2), 99, hour) ||
      !parseDigits(f.substr(14, 2), 99, minute) || !parseDigits(f.substr(17, 2), 99, second))
    return false;
  if (year < 1601 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59)
    return false;
  const int64_t days = daysFromCivil(static_cast<int64_t>(year), static_cast<unsigned>(month),
                                     static_cast<unsigned>(day)) -
                       daysFromCivil(1601, 1, 1);
  const uint64_t seconds = static_cast<uint64_t>(days) * 86400 + hour * 3600 + minute * 60 + second;
  fileTime = seconds * kTicksPerSecond;
  return true;
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// "" when the line gives a session, else the reason it was skipped.
std::string parseSessionLine(std::string_view line, LogonSessionDataC& session) {
  std::string_view rest = line;
  const std::string_view type = nextField(rest);
  uint64_t logonType = 0;
  if (!parseDigits(type, 0xFFFFFFFFu, logonType)) return "bad logon type " + quoted(type);
  const std::string_view sid = nextField(rest);
  if (sid.empty()) return "missing SID";
  if (stringToSid(sid, session.sid) != kErrorSuccess) return "bad SID " + quoted(sid);
  const std::string_view time = nextField(rest);
  if (time.empty()) return "missing logon time";
  if (!parseLogonTime(time, session.logonTime))
    return "bad logon time " + quoted(time) + " (expected " + kTimeForm + ")";
  const std::string_view name = skipBlanks(rest);
  const size_t backslash = name.find('\\');
  const std::string_view user = backslash == std::string_view::npos ? name : name.substr(backslash + 1);
  if (user.empty()) return "missing user name";
  session.logonType = static_cast<uint32_t>(logonType);
  session.userName = toUtf16(user);
  session.logonDomain = backslash == std::string_view::npos ? std::u16string() : toUtf16(name.substr(0, backslash));
  return {};
}

class TableReaderC {
 public:
  TableReaderC(const std::string& path, std::vector<LogonSessionDataC>& sessions, std::vector<std::string>& problems)
      : path_(path), sessions_(sessions), problems_(problems) {}

  void add(std::string_view bytes) {
    while (!bytes.empty()) {
      const size_t newline = bytes.find('\n');
      const std::string_view piece = bytes.substr(0, newline);
      if (!tooLong_) {
        if (line_.size() + piece.size() > kMaxLineBytes) {
          tooLong_ = true;
          line_.clear();
          line_.shrink_to_fit();
        } else {
          line_.append(piece);
        }
      }
      if (newline == std::string_view::npos) return;
      endLine();
      bytes.remove_prefix(newline + 1);
    }
  }

  void finish() {
    if (!line_.empty() || tooLong_) endLine();
  }

 private:
  void endLine() {
    ++lineNumber_;
    if (tooLong_) {
      problem("line too long");
    } else {
      std::string_view line = line_;
      while (!line.empty() && (isBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);
      const std::string_view content = skipBlanks(line);
      if (!content.empty() && content.front() != '#') {
        LogonSessionDataC session;
        const std::string why = parseSessionLine(content, session);
        if (why.empty())
          sessions_.push_back(std::move(session));
        else
          problem(why);
      }
    }
    line_.clear();
    tooLong_ = false;
  }

  void problem(const std::string& what) {
    problems_.push_back(path_ + ":" + std::to_string(lineNumber_) + ": " + what);
  }

  const std::string& path_;
  std::vector<LogonSessionDataC>& sessions_;
  std::vector<std::string>& problems_;
  std::string line_;
  bool tooLong_ = false;
  size_t lineNumber_ = 0;
};

class FdC {
 public:
  explicit FdC(int fd) : fd_(fd) {}
  ~FdC() {
    if (fd_ >= 0) close(fd_);
  }
  FdC(const FdC&) = delete;
  FdC& operator=(const FdC&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Sets `present` when the table exists; a table that is absent leaves the
// choice of source to the caller.
uint32_t readTable(const std::string& path, std::vector<LogonSessionDataC>& sessions,
                   std::vector<std::string>& problems, bool& present) {
  // O_NONBLOCK: a FIFO in the table's place must not stall the enumeration.
  FdC fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) {
    const int e = errno;
    present = e != ENOENT && e != ENOTDIR;
    if (present) problems.push_back(path + ": cannot be opened: " + errnoText(e));
    return present ? kStatusAccessDenied : kStatusSuccess;
  }
  present = true;
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) {
    problems.push_back(path + ": cannot be read: " + errnoText(errno));
    return kStatusAccessDenied;
  }
  if (!S_ISREG(st.st_mode)) {
    problems.push_back(path + ": not a regular file");
    return kStatusAccessDenied;
  }
  const std::string tooLarge = path + ": larger than 16 MiB, not read";
  if (static_cast<uint64_t>(st.st_size) > kMaxTableBytes) {
    problems.push_back(tooLarge);
    return kStatusSuccess;
  }
  std::vector<std::string> lineProblems;
  TableReaderC reader(path, sessions, lineProblems);
  std::vector<char> buffer(64 * 1024);
  size_t total = 0;
  for (;;) {
    const ssize_t n = read(fd.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      sessions.clear();
      problems.push_back(path + ": cannot be read: " + errnoText(errno));
      return kStatusAccessDenied;
    }
    if (n == 0) break;
    total += static_cast<size_t>(n);
    if (total > kMaxTableBytes) {
      sessions.clear();
      problems.push_back(tooLarge);
      return kStatusSuccess;
    }
    reader.add(std::string_view(buffer.data(), static_cast<size_t>(n)));
  }
  reader.finish();
  problems.insert(problems.end(), lineProblems.begin(), lineProblems.end());
  return kStatusSuccess;
}

bool userId(const std::string& name, uid_t& uid) {
  const long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(hint > 0 ? static_cast<size_t>(hint) : 16384);
  for (;;) {
    passwd entry{};
    passwd* found = nullptr;
    const int e = getpwnam_r(name.c_str(), &entry, buf.data(), buf.size(), &found);
    if (e == ERANGE && buf.size() < (1u << 20)) {
      buf.resize(buf.size() * 2);
      continue;
    }
    if (e != 0 || !found) return false;
    uid = found->pw_uid;
    return true;
  }
}

template <size_t N>
std::string fieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// The caller holds the snapshot lock, which serialises the utmpx calls
// (they keep one process-wide cursor).
uint32_t readUtmpx(std::vector<LogonSessionDataC>& sessions) {
  setutxent();
  while (const utmpx* record = getutxent()) {
    if (record->ut_type != USER_PROCESS) continue;
    const std::string user = fieldText(record->ut_user);
    uid_t uid = 0;
    if (user.empty() || !userId(user, uid)) continue;
    LogonSessionDataC session;
    session.logonType = fieldText(record->ut_host).empty() ? kLogonInteractive : kLogonRemoteInteractive;
    if (stringToSid(kUnixUserSidPrefix + std::to_string(uid), session.sid) != kErrorSuccess) continue;
    session.userName = toUtf16(user);
    session.logonDomain = kUnixUserDomain;
    const int64_t seconds = static_cast<int64_t>(record->ut_tv.tv_sec) + kSecondsFrom1601To1970;
    session.logonTime = seconds > 0 ? static_cast<uint64_t>(seconds) * kTicksPerSecond : 0;
    sessions.push_back(std::move(session));
  }
  endutxent();
  return kStatusSuccess;
}

}  // namespace

uint32_t enumerateLogonSessions(std::vector<LogonIdC>& ids, std::vector<std::string>* problems) {
  ids.clear();
  std::vector<LogonSessionDataC> sessions;
  std::vector<std::string> found;
  SnapshotC& s = snapshot();
  std::lock_guard<std::mutex> hold(s.lock);
  bool present = false;
  uint32_t status = readTable(machineRoot() + "/logon-sessions", sessions, found, present);
  if (!present) status = readUtmpx(sessions);
  if (status != kStatusSuccess) sessions.clear();
  s.sessions = std::move(sessions);
  const auto generation = static_cast<int32_t>(++s.generation);
  ids.reserve(s.sessions.size());
  for (size_t i = 0; i < s.sessions.size(); ++i) ids.push_back({static_cast<uint32_t>(i + 1), generation});
  if (problems) *problems = std::move(found);
  return status;
}

uint32_t logonSessionData(const LogonIdC& id, LogonSessionDataC& out) {
  SnapshotC& s = snapshot();
  std::lock_guard<std::mutex> hold(s.lock);
  if (id.highPart != static_cast<int32_t>(s.generation) || id.lowPart == 0 || id.lowPart > s.sessions.size()) {
    out = LogonSessionDataC();
    return kStatusNoSuchLogonSession;
  }
  out = s.sessions[id.lowPart - 1];
  return kStatusSuccess;
}

}  // namespace platform
