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

// Makes the registry of this machine hold a string or DWORD value (Linux: a
// .reg file per value under TNW_MACHINE_ROOT/registry, which must be set;
// Windows: the real registry). keyPath is below HKEY_LOCAL_MACHINE, in the
// view a 32-bit process sees. removeMachineKey takes away the key with its
// values and sub-keys (Linux: the files these calls wrote for them).
void setMachineString(const std::string& keyPath, const std::string& name, const std::string& value);
void setMachineDword(const std::string& keyPath, const std::string& name, uint32_t value);
void removeMachineKey(const std::string& keyPath);

// Keeps a machine value as it is when made and puts it back when it dies:
// its former data, or no value when there was none. For a test that sets a
// value the machine already has (on Windows the real registry keeps what a
// test leaves). Linux: the file setMachineString/Dword wrote for it goes.
class SavedMachineValueC {
 public:
  SavedMachineValueC(const std::string& keyPath, const std::string& name);
  ~SavedMachineValueC();
  SavedMachineValueC(const SavedMachineValueC&) = delete;
  SavedMachineValueC& operator=(const SavedMachineValueC&) = delete;

 private:
  std::string keyPath_, name_;
  bool existed_ = false;
  uint32_t type_ = 0;
  std::string data_;
};

// Whether this Windows program runs under Wine (ntdll exports
// wine_get_version); false on Linux. Only for narrowing one assertion where
// Wine is known to differ from Windows, with the difference named there.
bool runningUnderWine();

}  // namespace test_support
