#include "host/host_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kHostUsage =
    "usage: secsvc-host [--plugin PATH] [--machine DIR] [--run-for SECONDS] [--api MIN-MAX]\n";

namespace {

bool parseInt(const char* s, int32_t& out) {
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (errno || end == s || *end || v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int32_t>(v);
  return true;
}

}  // namespace

bool parseHostOptions(int argc, char** argv, HostOptionsC& o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        *error = std::string(name) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    if (arg == "--plugin") {
      const char* v = value("--plugin");
      if (!v) return false;
      o.plugin = v;
    } else if (arg == "--machine") {
      const char* v = value("--machine");
      if (!v) return false;
      o.machine = v;
    } else if (arg == "--run-for") {
      const char* v = value("--run-for");
      if (!v) return false;
      char* end = nullptr;
      o.runForSeconds = std::strtod(v, &end);
      if (end == v || *end || o.runForSeconds < 0 || o.runForSeconds > 1e7) {
        *error = std::string("--run-for wants a number of seconds, not \"") + v + "\"";
        return false;
      }
    } else if (arg == "--api") {
      const char* v = value("--api");
      if (!v) return false;
      std::string range = v;
      size_t dash = range.find('-', 1);
      if (dash == std::string::npos || !parseInt(range.substr(0, dash).c_str(), o.apiMin) ||
          !parseInt(range.substr(dash + 1).c_str(), o.apiMax)) {
        *error = "--api wants MIN-MAX, such as 1-1, not \"" + range + "\"";
        return false;
      }
    } else if (arg == "--help" || arg == "-h") {
      *error = "";
      return false;
    } else {
      *error = "unknown argument \"" + arg + "\"";
      return false;
    }
  }
  return true;
}
