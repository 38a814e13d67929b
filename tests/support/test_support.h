// Helpers shared by the tests: scratch directories and files, and values in
// the machine's registry (the real one under Wine, the .reg store on Linux).
#pragma once

#include <cstdint>
#include <string>

namespace test_support {

// A fresh directory, removed with everything in it when the object dies.
class TempDirC {
 public:
  TempDirC();
  ~TempDirC();
  TempDirC(const TempDirC&) = delete;
  TempDirC& operator=(const TempDirC&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name, after creating the parent folders of name.
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
void setEnv(const char* name, const std::string& value);
void unsetEnv(const char* name);

// Another process that does nothing until it is ended (with this object):
// on Windows this test program started suspended, on Linux a forked child
// that sleeps. mainThreadId() is the identifier of its one thread.
class OtherProcessC {
 public:
  OtherProcessC();
  ~OtherProcessC();
  OtherProcessC(const OtherProcessC&) = delete;
  OtherProcessC& operator=(const OtherProcessC&) = delete;
  bool started() const { return mainThreadId_ != 0; }
  uint32_t mainThreadId() const { return mainThreadId_; }

 private:
  intptr_t process_ = 0;
  uint32_t mainThreadId_ = 0;
};

// Makes the registry of this machine hold a string value (Linux: a .reg file
// under TNW_MACHINE_ROOT/registry, which must be set; Windows: the real
// registry). keyPath is below HKEY_LOCAL_MACHINE, in the view a 32-bit
// process sees.
void setMachineString(const std::string& keyPath, const std::string& name, const std::string& value);
void removeMachineKey(const std::string& keyPath);

}  // namespace test_support
