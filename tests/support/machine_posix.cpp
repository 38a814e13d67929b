#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

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
std::string mangled(const std::string& text) {
  std::string out;
  for (char c : text) out += (c == '\\' || c == ' ' || c == '/' || c == '@') ? '_' : c;
  return out;
}

std::string registryFolder() {
  const char* root = std::getenv("TNW_MACHINE_ROOT");
  std::filesystem::create_directories(std::string(root) + "/registry");
  return std::string(root) + "/registry/";
}

// One file per value, so that a key can hold several; "@" ends the key's
// part of the name, so that removeMachineKey finds exactly that key's files.
std::string regFileFor(const std::string& keyPath, const std::string& name) {
  return registryFolder() + "zz-test-" + mangled(keyPath) + "@" + mangled(name) + ".reg";
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

namespace {
void writeValue(const std::string& keyPath, const std::string& name, const std::string& data) {
  writeFile(regFileFor(keyPath, name), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
                                           physical(keyPath) + "]\r\n\"" + escape(name) + "\"=" + data + "\r\n");
}
}  // namespace

void setMachineString(const std::string& keyPath, const std::string& name, const std::string& value) {
  writeValue(keyPath, name, "\"" + escape(value) + "\"");
}

void setMachineDword(const std::string& keyPath, const std::string& name, uint32_t value) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "dword:%08x", static_cast<unsigned>(value));
  writeValue(keyPath, name, hex);
}

void removeMachineKey(const std::string& keyPath) {
  // The key's own values ("KEY@NAME") and those of its sub-keys ("KEY_SUB...").
  const std::string key = "zz-test-" + mangled(keyPath);
  std::error_code ec;
  std::vector<std::filesystem::path> mine;
  for (std::filesystem::directory_iterator it(registryFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.size() > key.size() && file.compare(0, key.size(), key) == 0 &&
        (file[key.size()] == '@' || file[key.size()] == '_'))
      mine.push_back(it->path());
  }
  for (const auto& p : mine) std::filesystem::remove(p, ec);
}

SavedMachineValueC::SavedMachineValueC(const std::string& keyPath, const std::string& name)
    : keyPath_(keyPath), name_(name) {}

SavedMachineValueC::~SavedMachineValueC() {
  std::error_code ec;
  std::filesystem::remove(regFileFor(keyPath_, name_), ec);
}

bool runningUnderWine() { return false; }

}  // namespace test_support
