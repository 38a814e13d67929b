#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "test_support.h"

namespace test_support {

OtherProcessC::OtherProcessC() {
  const pid_t pid = fork();
  if (pid == 0) {
    for (;;) pause();
  }
  if (pid < 0) return;
  process_ = pid;
  mainThreadId_ = static_cast<uint32_t>(pid);  // a process's first thread has its id
}

OtherProcessC::~OtherProcessC() {
  if (!process_) return;
  kill(static_cast<pid_t>(process_), SIGKILL);
  waitpid(static_cast<pid_t>(process_), nullptr, 0);
}

namespace {
std::string regFileFor(const std::string& keyPath) {
  std::string name;
  for (char c : keyPath) name += (c == '\\' || c == ' ') ? '_' : c;
  const char* root = std::getenv("TNW_MACHINE_ROOT");
  std::filesystem::create_directories(std::string(root) + "/registry");
  return std::string(root) + "/registry/zz-test-" + name + ".reg";
}

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// The 32-bit view of HKLM\SOFTWARE\X is HKLM\SOFTWARE\WOW6432Node\X.
std::string physical(const std::string& keyPath) {
  const std::string sw = "SOFTWARE\\";
  if (keyPath.compare(0, sw.size(), sw) == 0) return sw + "WOW6432Node\\" + keyPath.substr(sw.size());
  return keyPath;
}
}  // namespace

void setEnv(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }
void unsetEnv(const char* name) { unsetenv(name); }

void setMachineString(const std::string& keyPath, const std::string& name, const std::string& value) {
  writeFile(regFileFor(keyPath), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
                                     physical(keyPath) + "]\r\n\"" + escape(name) + "\"=\"" + escape(value) +
                                     "\"\r\n");
}

void removeMachineKey(const std::string& keyPath) {
  std::error_code ec;
  std::filesystem::remove(regFileFor(keyPath), ec);
}

}  // namespace test_support
