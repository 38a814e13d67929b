#include <windows.h>

#include <gtest/gtest.h>

#include "platform/wide.h"
#include "reg_fixture.h"

namespace config_test {

namespace {

// reg.exe started from this 32-bit program writes the 32-bit view.
DWORD runReg(const std::wstring& arguments) {
  std::wstring command = L"reg.exe " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return GetLastError();
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

void deleteKey(const std::string& key) {
  const size_t slash = key.find('\\');
  if (slash == std::string::npos) return;
  const std::string root = key.substr(0, slash);
  HKEY h = root == "HKEY_CURRENT_USER" ? HKEY_CURRENT_USER : root == "HKEY_LOCAL_MACHINE" ? HKEY_LOCAL_MACHINE
                                                                                          : HKEY_USERS;
  RegDeleteTreeW(h, platform::toWide(key.substr(slash + 1)).c_str());
}

}  // namespace

RegFixtureC::RegFixtureC() = default;

RegFixtureC::~RegFixtureC() { clear(); }

void RegFixtureC::import(const std::string& regText) {
  const std::string path = scratch_.file(std::to_string(++imports_) + "-fixture.reg");
  files_.push_back(path);
  // UTF-16LE with a byte-order mark, as regedit writes version 5 files.
  const std::wstring wide = platform::toWide(regText);
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : wide) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  test_support::writeFile(path, bytes);
  for (const std::string& k : keysOf(regText)) keys_.push_back(k);
  const DWORD code = runReg(L"import \"" + platform::toWide(path) + L"\"");
  ASSERT_EQ(code, 0u) << "reg import " << path;
}

void RegFixtureC::clear() {
  for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) deleteKey(*it);
  keys_.clear();
  files_.clear();
}

void RegFixtureC::importRemote(const std::string&, const std::string&) {
  ADD_FAILURE() << "remote machines are a fixture of the Linux store";
}

}  // namespace config_test
