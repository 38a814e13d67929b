// qbupload.exe for the agent's run under Wine: a stand-in for the suite's
// uploader that writes down how the agent started it and what waits in the
// upload directory of the rule it was given. It takes nothing away, so the
// test can still read the handed-over document after the run.
//
// Environment (set by the test; Wine hands the Unix environment on):
//   QBUPLOAD_UPLOADS  the upload base; the rule's directory is <base>\<rule>
//   QBUPLOAD_RECORD   the file the record goes to (replaced)
// The record, UTF-8, one item a line, LF ended:
//   program: <the path this program was started from>
//   command line: <the process's command line>
//   arguments: <the arguments after the program, one blank between>
//   computer: <the computer name>
//   directory: <base>\<rule>
//   file: <name> (<size> bytes)      each file there, names in byte order
//   no directory (error <n>)         instead, when it cannot be listed
// The rule is the argument after "-r"; without one the directory is the
// base itself. Exit status 0 when the record was written, else 1.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring environment(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

int main() {
  const std::wstring recordPath = environment(L"QBUPLOAD_RECORD");
  if (recordPath.empty()) {
    std::fputs("qbupload: QBUPLOAD_RECORD is not set\n", stderr);
    return 1;
  }

  wchar_t program[MAX_PATH];
  const DWORD programLength = GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::string record = "program: " + utf8(std::wstring(program, programLength < MAX_PATH ? programLength : 0)) + "\n";
  record += "command line: " + utf8(GetCommandLineW()) + "\n";
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring arguments;
  std::wstring rule;
  for (int i = 1; argv && i < argc; ++i) {
    arguments += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    if (std::wstring(argv[i]) == L"-r" && i + 1 < argc) rule = argv[i + 1];
  }
  if (argv) LocalFree(argv);
  record += "arguments: " + utf8(arguments) + "\n";

  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD computerLength = MAX_COMPUTERNAME_LENGTH + 1;
  record += "computer: " + (GetComputerNameW(computer, &computerLength) ? utf8(computer) : std::string()) + "\n";

  std::wstring directory = environment(L"QBUPLOAD_UPLOADS");
  if (!rule.empty()) directory += L"\\" + rule;
  record += "directory: " + utf8(directory) + "\n";

  WIN32_FIND_DATAW found;
  HANDLE walk = FindFirstFileW((directory + L"\\*").c_str(), &found);
  if (walk == INVALID_HANDLE_VALUE) {
    record += "no directory (error " + std::to_string(GetLastError()) + ")\n";
  } else {
    std::vector<std::string> files;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const unsigned long long size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      files.push_back("file: " + utf8(found.cFileName) + " (" + std::to_string(size) + " bytes)\n");
    } while (FindNextFileW(walk, &found));
    FindClose(walk);
    std::sort(files.begin(), files.end());
    for (const std::string& line : files) record += line;
  }

  FILE* out = _wfopen(recordPath.c_str(), L"wb");
  if (!out) return 1;
  const bool written = std::fwrite(record.data(), 1, record.size(), out) == record.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}
