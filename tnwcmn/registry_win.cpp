// The real registry. Opened keys are handed out as records that remember
// their view, because a 32-bit process that opened a key with
// KEY_WOW64_64KEY must keep reading below it in the 64-bit view (Windows
// does not carry the flag over to keys opened relative to it).
#include <windows.h>

#include <mutex>
#include <set>
#include <string>

#include "tnwcmn/os.h"
#include "tnwcmn/registry_backend.h"
#include "tnwcmn/utf8.h"

namespace tnw::reg {

namespace {

struct WinKey {
  HKEY h;
  REGSAM view;
};

struct State {
  std::mutex lock;
  std::set<WinKey*> keys;
  std::string remote = os::env("TNW_REMOTE_MACHINE");
  WinKey* remoteRoots[2] = {nullptr, nullptr};
};

State& state() {
  static State* s = new State;
  return *s;
}

constexpr REGSAM kViewBits = KEY_WOW64_64KEY | KEY_WOW64_32KEY;

Status mapError(LONG e) {
  if (e == ERROR_SUCCESS) return kOk;
  if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return kRegNotFound;
  return hresultFromWin32(static_cast<uint32_t>(e));
}

bool resolve(RegKey key, HKEY& h, REGSAM& view) {
  if (key >= kHKeyClassesRoot && key <= kHKeyCurrentConfig) {
    h = reinterpret_cast<HKEY>(key);
    view = 0;
    return true;
  }
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  auto* k = reinterpret_cast<WinKey*>(key);
  if (!s.keys.count(k)) return false;
  h = k->h;
  view = k->view;
  return true;
}

std::wstring wide(const std::string& s) {
  std::u16string w = utf8::toUtf16(s);
  return std::wstring(w.begin(), w.end());
}

std::string narrow(const wchar_t* w, size_t n) { return utf8::fromUtf16(reinterpret_cast<const char16_t*>(w), n); }

RegKey track(HKEY h, REGSAM view) {
  auto* k = new WinKey{h, view};
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  s.keys.insert(k);
  return reinterpret_cast<RegKey>(k);
}

}  // namespace

Status open(RegKey root, const std::string& sub, uint32_t access, RegKey* out) {
  if (!out) return hresultFromWin32(ERROR_INVALID_PARAMETER);
  *out = 0;
  HKEY parent;
  REGSAM view;
  if (!resolve(root, parent, view)) return hresultFromWin32(ERROR_INVALID_HANDLE);
  if (access & kViewBits) view = access & kViewBits;
  const REGSAM sam = (access & ~kViewBits ? access & ~kViewBits : KEY_READ) | view;
  HKEY h = nullptr;
  LONG e = RegOpenKeyExW(parent, wide(sub).c_str(), 0, sam, &h);
  if (e != ERROR_SUCCESS) return mapError(e);
  *out = track(h, view);
  return kOk;
}

Status close(RegKey key) {
  if (key >= kHKeyClassesRoot && key <= kHKeyCurrentConfig) return kOk;
  State& s = state();
  WinKey* k = reinterpret_cast<WinKey*>(key);
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.keys.erase(k)) return hresultFromWin32(ERROR_INVALID_HANDLE);
    for (auto& r : s.remoteRoots)
      if (r == k) r = nullptr;
  }
  LONG e = RegCloseKey(k->h);
  delete k;
  return mapError(e);
}

Status query(RegKey root, const std::string& sub, const std::string& name, uint32_t* type, std::string* data) {
  HKEY parent;
  REGSAM view;
  if (!resolve(root, parent, view)) return hresultFromWin32(ERROR_INVALID_HANDLE);
  HKEY h = parent;
  if (!sub.empty()) {
    LONG e = RegOpenKeyExW(parent, wide(sub).c_str(), 0, KEY_QUERY_VALUE | view, &h);
    if (e != ERROR_SUCCESS) return mapError(e);
  }
  const std::wstring wname = wide(name);
  DWORD t = 0;
  DWORD size = 0;
  LONG e = RegQueryValueExW(h, wname.c_str(), nullptr, &t, nullptr, &size);
  if (e == ERROR_SUCCESS && data) {
    for (int tries = 0; tries < 4; ++tries) {
      data->assign(size, '\0');
      e = RegQueryValueExW(h, wname.c_str(), nullptr, &t, reinterpret_cast<BYTE*>(data->data()), &size);
      if (e != ERROR_MORE_DATA) break;
    }
    if (e == ERROR_SUCCESS) data->resize(size);
  }
  if (h != parent) RegCloseKey(h);
  if (e == ERROR_SUCCESS && type) *type = t;
  return mapError(e);
}

Status enumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type) {
  HKEY h;
  REGSAM view;
  if (!resolve(key, h, view)) return hresultFromWin32(ERROR_INVALID_HANDLE);
  static thread_local wchar_t buf[16384];
  DWORD len = 16384;
  DWORD t = 0;
  LONG e = RegEnumValueW(h, index, buf, &len, nullptr, &t, nullptr, nullptr);
  if (e == ERROR_NO_MORE_ITEMS) return kNoMoreItems;
  if (e != ERROR_SUCCESS) return mapError(e);
  if (name) *name = narrow(buf, len);
  if (type) *type = t;
  return kOk;
}

Status enumSubKey(RegKey key, uint32_t index, std::string* name) {
  HKEY h;
  REGSAM view;
  if (!resolve(key, h, view)) return hresultFromWin32(ERROR_INVALID_HANDLE);
  wchar_t buf[256];
  DWORD len = 256;
  LONG e = RegEnumKeyExW(h, index, buf, &len, nullptr, nullptr, nullptr, nullptr);
  if (e == ERROR_NO_MORE_ITEMS) return kNoMoreItems;
  if (e != ERROR_SUCCESS) return mapError(e);
  if (name) *name = narrow(buf, len);
  return kOk;
}

std::string remoteMachine() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.remote;
}

RegKey remoteRoot(int index) {
  if (index != 0 && index != 1) return 0;
  State& s = state();
  std::string machine;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.remoteRoots[index]) return reinterpret_cast<RegKey>(s.remoteRoots[index]);
    machine = s.remote;
  }
  if (machine.empty()) return 0;
  HKEY h = nullptr;
  const std::wstring unc = wide("\\\\" + machine);
  if (RegConnectRegistryW(unc.c_str(), index == 0 ? HKEY_LOCAL_MACHINE : HKEY_USERS, &h) != ERROR_SUCCESS)
    return 0;
  RegKey k = track(h, 0);
  std::lock_guard<std::mutex> guard(s.lock);
  s.remoteRoots[index] = reinterpret_cast<WinKey*>(k);
  return k;
}

void reloadEnvironment() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  s.remote = os::env("TNW_REMOTE_MACHINE");
  s.remoteRoots[0] = s.remoteRoots[1] = nullptr;  // stay tracked; their owners close them
}

}  // namespace tnw::reg
