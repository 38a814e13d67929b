// The Linux logon-sessions table. It is only ever read from a machine root,
// so each input is written as the table of a machine root of this process's
// own (TNW_MACHINE_ROOT is pointed there once, before the first read).
// Whatever the bytes, every line that is neither blank nor a comment gives
// exactly one session or one problem naming the table and the line, in
// order, and each session answers its data with a valid SID and a user name.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/machine_root.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_scratch.h"
#include "platform/logon_sessions.h"
#include "platform/sid.h"

namespace {

std::string root;
std::string table;

void removeRoot() {
  std::remove(table.c_str());
  rmdir(root.c_str());
}

bool prepare() {
  if (!root.empty()) return true;
  std::string pattern = fuzzScratchDirectory() + "/vdi-fuzz-sessions-XXXXXX";
  if (!mkdtemp(pattern.data())) return false;
  root = pattern;
  table = root + "/logon-sessions";
  setenv(common::kMachineRootVariable, root.c_str(), 1);
  std::atexit(removeRoot);
  return true;
}

// The lines the table holds: those that are neither blank nor comments, as
// the reader must account for each.
size_t contentLines(std::string_view bytes) {
  size_t count = 0;
  while (!bytes.empty()) {
    const size_t newline = bytes.find('\n');
    std::string_view line = bytes.substr(0, newline);
    bytes = newline == std::string_view::npos ? std::string_view() : bytes.substr(newline + 1);
    if (line.size() > 64 * 1024) {
      ++count;
      continue;
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.empty() && line.front() != '#') ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!prepare()) return 0;
  {
    std::FILE* f = std::fopen(table.c_str(), "wb");
    if (!f) return 0;
    const size_t written = size ? std::fwrite(data, 1, size, f) : 0;
    std::fclose(f);
    if (written != size) return 0;
  }
  std::vector<platform::LogonIdC> ids;
  std::vector<std::string> problems;
  const uint32_t status = platform::enumerateLogonSessions(ids, &problems);
  FUZZ_CHECK(status == platform::kStatusSuccess, "a readable table enumerates");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(ids.size() + problems.size() == contentLines(bytes), "each line gives a session or a problem");
  size_t lastLine = 0;
  for (const std::string& p : problems) {
    FUZZ_CHECK(p.rfind(table + ":", 0) == 0, "a problem names the table");
    const size_t line = std::strtoul(p.c_str() + table.size() + 1, nullptr, 10);
    FUZZ_CHECK(line > lastLine, "problems name their lines in order");
    lastLine = line;
  }
  for (const platform::LogonIdC& id : ids) {
    platform::LogonSessionDataC session;
    FUZZ_CHECK(platform::logonSessionData(id, session) == platform::kStatusSuccess, "an enumerated session answers");
    FUZZ_CHECK(platform::isValidSid(session.sid), "a session's SID is valid");
    FUZZ_CHECK(!session.userName.empty(), "a session has a user name");
  }
  return 0;
}
