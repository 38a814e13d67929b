#include "agent_log.h"

namespace test_support {

class AgentLogC::SettingsC final : public log_LogSettingsI {
 public:
  explicit SettingsC(std::string file) : file_(std::move(file)) {}
  StringC value(const char* name) override {
    const std::string n = name;
    if (n == "LogFile") return StringC::fromUtf8(file_);
    if (n == "LogLevel") return StringC::fromUtf8("A-z");
    if (n == "LogModules") return StringC::fromUtf8("default");
    if (n == "LogFlags") return StringC::fromUtf8("0");
    if (n == "LogMsgCatPath") return StringC::fromUtf8(file_ + ".no-catalog");
    return StringC();
  }

 private:
  std::string file_;
};

AgentLogC& AgentLogC::instance() {
  static AgentLogC* log = new AgentLogC;
  return *log;
}

AgentLogC::AgentLogC() : file_(dir_.file("agent.log")) {
  static SettingsC* settings = new SettingsC(file_);
  log_LogManagerC::installLogSettings(settings);
  log_LogManagerC::instance();
  seen_ = readFile(file_).size();
}

std::vector<std::string> AgentLogC::newMessages() {
  const std::string all = readFile(file_);
  std::vector<std::string> out;
  size_t i = seen_;
  while (i < all.size()) {
    size_t j = all.find("\r\n", i);
    if (j == std::string::npos) j = all.size();
    const std::string line = all.substr(i, j - i);
    const size_t m = line.find(")] ");
    out.push_back(m == std::string::npos ? line : line.substr(m + 3));
    i = j + 2;
  }
  seen_ = all.size();
  return out;
}

}  // namespace test_support
