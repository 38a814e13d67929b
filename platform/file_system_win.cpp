#include <windows.h>

#include <cerrno>
#include <cwchar>
#include <io.h>
#include <direct.h>
#include <share.h>
#include <stdio.h>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/win32_error.h"
#include "platform/wide.h"

namespace platform {

std::string nativeFileName(const std::string& p, bool absolute) {
  const bool drive = driveLetter(p) != 0 && p.size() >= 3 && (p[2] == '\\' || p[2] == '/');
  if (absolute && drive && p.compare(0, 2, "\\\\") != 0) return "\\\\?\\" + p;
  return p;
}

uint32_t fileAttributes(const std::string& native) {
  if (native.empty()) return kInvalidAttributes;
  return GetFileAttributesW(toWide(native).c_str());
}

uint32_t setFileAttributes(const std::string& native, uint32_t attributes) {
  const DWORD a = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesW(toWide(native).c_str(), a) ? kErrorSuccess : GetLastError();
}

int unlinkFile(const std::string& native) { return _wunlink(toWide(native).c_str()) == 0 ? 0 : errno; }
int removeDirectory(const std::string& native) { return _wrmdir(toWide(native).c_str()) == 0 ? 0 : errno; }
int makeDirectory(const std::string& native) { return _wmkdir(toWide(native).c_str()) == 0 ? 0 : errno; }
int renameFile(const std::string& from, const std::string& to) {
  return _wrename(toWide(from).c_str(), toWide(to).c_str()) == 0 ? 0 : errno;
}

int renameNoReplace(const std::string& from, const std::string& to) {
  // The runtime library's rename never replaces an existing file.
  return _wrename(toWide(from).c_str(), toWide(to).c_str()) == 0 ? 0 : errno;
}

std::FILE* openTextFileForWriting(const std::string& native, int* error) {
  std::FILE* file = _wfsopen(toWide(native).c_str(), L"wt", _SH_DENYNO);
  if (!file && error) *error = errno;
  return file;
}

int closeTextFile(std::FILE* file) {
  if (!file) return EBADF;
  int result = 0;
  if (std::fflush(file) != 0) result = errno ? errno : EIO;
  else if (std::ferror(file)) result = EIO;
  if (std::fclose(file) != 0 && result == 0) result = errno ? errno : EIO;
  return result;
}

int removeTree(const std::string& native) {
  const uint32_t a = fileAttributes(native);
  if (a == kInvalidAttributes) return ENOENT;
  if (!(a & kAttrDirectory) || (a & kAttrReparsePoint)) {
    if (a & kAttrDirectory) return removeDirectory(native);
    return unlinkFile(native);
  }
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(toWide(native + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fromWide(found.cFileName, wcslen(found.cFileName));
      if (name == "." || name == "..") continue;
      removeTree(native + "\\" + name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }
  return removeDirectory(native);
}

bool sameFile(const std::string& a, const std::string& b, bool* known) {
  wchar_t sa[261], sb[261];
  const DWORD na = GetShortPathNameW(toWide(a).c_str(), sa, 261);
  const DWORD nb = GetShortPathNameW(toWide(b).c_str(), sb, 261);
  const bool ok = na > 0 && na < 261 && nb > 0 && nb < 261;
  if (known) *known = ok;
  return ok ? _wcsicmp(sa, sb) == 0 : _wcsicmp(toWide(a).c_str(), toWide(b).c_str()) == 0;
}

}  // namespace platform
