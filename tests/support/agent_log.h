// The process's log manager writing into a file of the test's, with every
// class and number on; newMessages() gives the message part of each line
// written since the last call. The manager is made once per process, so
// every test of a program shares the file.
#pragma once

#include <string>
#include <vector>

#include "log/log_manager.h"
#include "test_support.h"

namespace test_support {

class AgentLogC {
 public:
  static AgentLogC& instance();
  std::vector<std::string> newMessages();

 private:
  AgentLogC();
  class SettingsC;
  TempDirC dir_;
  std::string file_;
  size_t seen_ = 0;
};

}  // namespace test_support
