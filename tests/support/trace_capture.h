// TraceCaptureC: turns the registry variables' trace modules on, into a
// file of the test's own, for as long as it lives; lines() gives what was
// traced, each line without its time and thread ("<module>: <text>").
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "runtime/services/common_services.h"
#include "test_support.h"

namespace test_support {

class TraceCaptureC {
 public:
  explicit TraceCaptureC(const std::string& file,
                         const char* modules = "Configuring/Registry/Search,Configuring/Registry/Get")
      : file_(file) {
    setEnv("TNW_TRACE_FILE", file_);
    setEnv("TNW_TRACE", modules);
    common_services::logService()->reload();
  }
  ~TraceCaptureC() {
    unsetEnv("TNW_TRACE");
    unsetEnv("TNW_TRACE_FILE");
    common_services::logService()->reload();
  }
  TraceCaptureC(const TraceCaptureC&) = delete;
  TraceCaptureC& operator=(const TraceCaptureC&) = delete;

  std::vector<std::string> lines() const {
    std::istringstream in(readFile(file_));
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const size_t at = line.find("] ");
      out.push_back(at == std::string::npos ? line : line.substr(at + 2));
    }
    return out;
  }

  // The lines traced since the last call.
  std::vector<std::string> newLines() {
    std::vector<std::string> all = lines();
    std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(std::min(seen_, all.size())), all.end());
    seen_ = all.size();
    return fresh;
  }

 private:
  std::string file_;
  size_t seen_ = 0;
};

}  // namespace test_support
