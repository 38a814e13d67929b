#include "collect/citrix/logon_session_source.h"
#include "platform/library_objects.h"

namespace {

class SystemSessionsC final : public LogonSessionSourceI {
 public:
  uint32_t enumerate(std::vector<platform::LogonIdC>& ids, std::vector<std::string>* problems) override {
    return platform::enumerateLogonSessions(ids, problems);
  }
  uint32_t sessionData(const platform::LogonIdC& id, platform::LogonSessionDataC& out) override {
    return platform::logonSessionData(id, out);
  }
};

}  // namespace

LogonSessionSourceI& systemLogonSessions() {
  static SystemSessionsC* source = platform::library_objects::keep(new SystemSessionsC);
  return *source;
}
