#include <windows.h>
#include <ntsecapi.h>

#include <mutex>

#include "platform/logon_sessions.h"
#include "platform/library_objects.h"

namespace platform {

namespace {

// secur32 is loaded when the sessions are first wanted, so that the
// products import no more than the system's core DLLs.
using EnumerateFn = NTSTATUS(NTAPI*)(PULONG, PLUID*);
using SessionDataFn = NTSTATUS(NTAPI*)(PLUID, PSECURITY_LOGON_SESSION_DATA*);
using FreeFn = NTSTATUS(NTAPI*)(PVOID);

struct Secur32 {
  uint32_t status = kStatusDllNotFound;
  EnumerateFn enumerate = nullptr;
  SessionDataFn sessionData = nullptr;
  FreeFn free = nullptr;
};

template <typename Fn>
Fn function(HMODULE m, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

const Secur32& secur32() {
  static const Secur32 functions = [] {
    Secur32 f;
    if (HMODULE m = LoadLibraryW(L"secur32.dll")) {
      f.enumerate = function<EnumerateFn>(m, "LsaEnumerateLogonSessions");
      f.sessionData = function<SessionDataFn>(m, "LsaGetLogonSessionData");
      f.free = function<FreeFn>(m, "LsaFreeReturnBuffer");
      f.status = f.enumerate && f.sessionData && f.free ? kStatusSuccess : kStatusProcedureNotFound;
    }
    return f;
  }();
  return functions;
}

std::mutex& callLock() {
  static std::mutex* const m = library_objects::keep(new std::mutex);
  return *m;
}

// Whatever the LSA returned is freed when this goes, whatever the status.
class LsaBufferC {
 public:
  explicit LsaBufferC(FreeFn free) : free_(free) {}
  ~LsaBufferC() {
    if (p_) free_(p_);
  }
  LsaBufferC(const LsaBufferC&) = delete;
  LsaBufferC& operator=(const LsaBufferC&) = delete;
  template <typename T>
  T** slot() {
    return reinterpret_cast<T**>(&p_);
  }
  template <typename T>
  T* get() const {
    return static_cast<T*>(p_);
  }

 private:
  FreeFn free_;
  void* p_ = nullptr;
};

std::u16string copyString(const LSA_UNICODE_STRING& s) {
  if (!s.Buffer) return {};
  const auto* p = reinterpret_cast<const char16_t*>(s.Buffer);
  return std::u16string(p, p + s.Length / sizeof(WCHAR));
}

}  // namespace

uint32_t enumerateLogonSessions(std::vector<LogonIdC>& ids, std::vector<std::string>* problems) {
  ids.clear();
  if (problems) problems->clear();
  const Secur32& lsa = secur32();
  if (lsa.status != kStatusSuccess) return lsa.status;
  std::lock_guard<std::mutex> hold(callLock());
  ULONG count = 0;
  LsaBufferC list(lsa.free);
  const NTSTATUS status = lsa.enumerate(&count, list.slot<LUID>());
  if (status != 0) return static_cast<uint32_t>(status);
  if (const LUID* luids = list.get<LUID>()) {
    ids.reserve(count);
    for (ULONG i = 0; i < count; ++i) ids.push_back({luids[i].LowPart, luids[i].HighPart});
  }
  return kStatusSuccess;
}

uint32_t logonSessionData(const LogonIdC& id, LogonSessionDataC& out) {
  out = LogonSessionDataC();
  const Secur32& lsa = secur32();
  if (lsa.status != kStatusSuccess) return lsa.status;
  std::lock_guard<std::mutex> hold(callLock());
  LUID luid;
  luid.LowPart = id.lowPart;
  luid.HighPart = id.highPart;
  LsaBufferC data(lsa.free);
  const NTSTATUS status = lsa.sessionData(&luid, data.slot<SECURITY_LOGON_SESSION_DATA>());
  if (status != 0) return static_cast<uint32_t>(status);
  const SECURITY_LOGON_SESSION_DATA* d = data.get<SECURITY_LOGON_SESSION_DATA>();
  if (!d) return kStatusNoSuchLogonSession;
  out.logonType = d->LogonType;
  if (d->Sid && IsValidSid(d->Sid)) {
    const auto* bytes = static_cast<const uint8_t*>(d->Sid);
    out.sid.assign(bytes, bytes + GetLengthSid(d->Sid));
  }
  out.userName = copyString(d->UserName);
  out.logonDomain = copyString(d->LogonDomain);
  out.logonTime = static_cast<uint64_t>(d->LogonTime.QuadPart);
  return kStatusSuccess;
}

}  // namespace platform
