#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>

#include "platform/wide.h"
#include "reg_fixture.h"

namespace config_test {

namespace {

// reg.exe started from this 32-bit program writes the 32-bit view; every
// call here opens keys in that view too.
constexpr REGSAM kView = KEY_WOW64_32KEY;

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

struct KeyC {
  HKEY root = nullptr;
  std::wstring path;  // below the root, without a trailing separator
};

bool splitKey(const std::string& full, KeyC& key) {
  const size_t slash = full.find('\\');
  const std::string root = full.substr(0, slash);
  key.root = root == "HKEY_LOCAL_MACHINE"  ? HKEY_LOCAL_MACHINE
             : root == "HKEY_CURRENT_USER" ? HKEY_CURRENT_USER
             : root == "HKEY_USERS"        ? HKEY_USERS
             : root == "HKEY_CLASSES_ROOT" ? HKEY_CLASSES_ROOT
                                           : nullptr;
  if (!key.root || slash == std::string::npos || slash + 1 >= full.size()) return false;
  key.path = platform::toWide(full.substr(slash + 1));
  while (!key.path.empty() && key.path.back() == L'\\') key.path.pop_back();
  return !key.path.empty();
}

bool keyExists(HKEY root, const std::wstring& path) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | kView, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// Names compare without regard to case, as the registry compares them.
std::string identity(HKEY root, const std::wstring& path, const std::wstring* value) {
  std::wstring text = std::to_wstring(reinterpret_cast<uintptr_t>(root)) + L"\\" + path;
  if (value) text += L"\\\\" + *value;  // a key name holds no "\\"
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return platform::fromWide(text.data(), text.size());
}

// The name of a value line ("name"=... or @=...), unescaped; false for any
// other line.
bool valueName(const std::string& line, std::string& name) {
  if (line.compare(0, 2, "@=") == 0) {
    name.clear();
    return true;
  }
  if (line.empty() || line[0] != '"') return false;
  name.clear();
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      name += line[++i];
    } else if (line[i] == '"') {
      return i + 1 < line.size() && line[i + 1] == '=';
    } else {
      name += line[i];
    }
  }
  return false;
}

}  // namespace

RegFixtureC::RegFixtureC() = default;

RegFixtureC::~RegFixtureC() { clear(); }

void RegFixtureC::import(const std::string& regText) {
  // What the text changes is noted before reg.exe changes it.
  std::vector<std::string> lines;
  {
    std::string line;
    for (const char c : regText + "\n") {
      if (c != '\n') {
        line += c;
        continue;
      }
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    }
  }
  // Whether the key or one above it did not exist before this fixture.
  auto made = [this](const KeyC& key) {
    for (size_t at = key.path.find(L'\\'); ; at = key.path.find(L'\\', at + 1)) {
      if (saved_.count(identity(key.root, key.path.substr(0, at), nullptr))) return true;
      if (at == std::wstring::npos) return false;
    }
  };
  KeyC current;
  bool inKey = false;
  for (const std::string& line : lines) {
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      const bool deletes = line[1] == '-';
      inKey = splitKey(line.substr(deletes ? 2 : 1, line.size() - (deletes ? 3 : 2)), current) && !deletes;
      if (!inKey) {
        if (deletes && keyExists(current.root, current.path) && !made(current)) {
          ADD_FAILURE() << "the fixture cannot put back a deleted key: " << line;
          return;
        }
        continue;
      }
      // The first missing key on the way down goes again with all below it,
      // unless a key above it is already to go.
      std::wstring prefix;
      for (size_t at = 0; at != std::wstring::npos;) {
        const size_t next = current.path.find(L'\\', at);
        prefix = current.path.substr(0, next);
        at = next == std::wstring::npos ? next : next + 1;
        const std::string id = identity(current.root, prefix, nullptr);
        if (saved_.count(id)) break;
        if (!keyExists(current.root, prefix)) {
          saved_.insert(id);
          const HKEY root = current.root;
          undo_.push_back([root, prefix] { RegDeleteTreeW(root, prefix.c_str()); });
          break;
        }
      }
      continue;
    }
    std::string name;
    if (!inKey || !valueName(line, name)) continue;
    const std::wstring wideName = platform::toWide(name);
    const std::string id = identity(current.root, current.path, &wideName);
    if (!saved_.insert(id).second) continue;
    HKEY h = nullptr;
    if (RegOpenKeyExW(current.root, current.path.c_str(), 0, KEY_QUERY_VALUE | kView, &h) != ERROR_SUCCESS)
      continue;  // a key that is to go takes its values with it
    DWORD type = 0, size = 0;
    bool existed = RegQueryValueExW(h, wideName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    std::vector<BYTE> data(size);
    if (existed)
      existed = RegQueryValueExW(h, wideName.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
    data.resize(size);
    RegCloseKey(h);
    const KeyC key = current;
    undo_.push_back([key, wideName, existed, type, data] {
      HKEY k = nullptr;
      if (RegOpenKeyExW(key.root, key.path.c_str(), 0, KEY_SET_VALUE | kView, &k) != ERROR_SUCCESS) return;
      if (existed)
        RegSetValueExW(k, wideName.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
      else
        RegDeleteValueW(k, wideName.c_str());
      RegCloseKey(k);
    });
  }

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
  const DWORD code = runReg(L"import \"" + platform::toWide(path) + L"\"");
  ASSERT_EQ(code, 0u) << "reg import " << path;
}

void RegFixtureC::clear() {
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) (*it)();
  undo_.clear();
  saved_.clear();
  files_.clear();
}

void RegFixtureC::importRemote(const std::string&, const std::string&) {
  ADD_FAILURE() << "remote machines are a fixture of the Linux store";
}

}  // namespace config_test
