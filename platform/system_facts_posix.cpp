#include <errno.h>
#include <limits.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/module.h"
#include "platform/path.h"
#include "platform/system_facts.h"

namespace platform {

namespace {

uint32_t hostName(std::string& out) {
  char buf[HOST_NAME_MAX + 1] = {};
  if (gethostname(buf, sizeof buf - 1) != 0) return win32FromErrno(errno);
  out = buf;
  return kErrorSuccess;
}

bool windowsPathVariable(const char* name, std::string& out) {
  std::string value;
  if (!environmentVariable(name, value) || driveLetter(value) == 0) return false;
  while (value.size() > 3 && (value.back() == '\\' || value.back() == '/')) value.pop_back();
  out = value;
  return true;
}

}  // namespace

uint32_t computerName(std::string& out) {
  std::string host;
  if (uint32_t e = hostName(host)) return e;
  host = host.substr(0, host.find('.'));
  for (char& c : host)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  out = host;
  return kErrorSuccess;
}

uint32_t computerDnsName(std::string& out) { return hostName(out); }

uint32_t computerDomain(std::string& out) {
  std::string host;
  if (uint32_t e = hostName(host)) return e;
  const size_t dot = host.find('.');
  if (dot != std::string::npos) {
    out = host.substr(dot + 1);
    return kErrorSuccess;
  }
  char nis[256] = {};
  if (getdomainname(nis, sizeof nis - 1) == 0 && std::string(nis) != "(none)")
    out = nis;
  else
    out.clear();
  return kErrorSuccess;
}

uint32_t userName(std::string& out) {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buf.data(), buf.size(), &found) == 0 && found && found->pw_name) {
    out = found->pw_name;
    return kErrorSuccess;
  }
  std::string user;
  if (environmentVariable("USER", user) && !user.empty()) {
    out = user;
    return kErrorSuccess;
  }
  return kErrorFileNotFound;
}

bool userIsAdmin() { return geteuid() == 0; }
bool userIsSystem() { return geteuid() == 0; }

bool environmentVariable(const char* name, std::string& out) {
  const char* v = std::getenv(name);
  if (!v) return false;
  out = v;
  return true;
}

uint32_t systemDirectory(std::string& out) {
  out = windowsDirectory() + "\\system32";
  return kErrorSuccess;
}

uint32_t systemX86Directory(std::string& out) { return systemDirectory(out); }

uint32_t tempDirectory(std::string& out) {
  if (!windowsPathVariable("TEMP", out) && !windowsPathVariable("TMP", out)) out = "C:\\TEMP";
  return kErrorSuccess;
}

const char* nativeArchitecture() {
  utsname u{};
  if (uname(&u) != 0) return "unknown";
  const std::string m = u.machine;
  if (m == "x86_64" || m == "amd64") return "x86_64";
  if (m == "ia64") return "ia64";
  if (m.size() == 4 && m[0] == 'i' && m.substr(2) == "86") return "i386";
  return "unknown";
}

}  // namespace platform
