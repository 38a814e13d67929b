#include <windows.h>
#include <sddl.h>

#include <string>

#include "platform/sid.h"
#include "platform/sid_text.h"

namespace platform {

namespace {

// ConvertStringSidToSidA hands back LocalAlloc memory.
class LocalBufferC {
 public:
  LocalBufferC() = default;
  ~LocalBufferC() {
    if (p_) LocalFree(p_);
  }
  LocalBufferC(const LocalBufferC&) = delete;
  LocalBufferC& operator=(const LocalBufferC&) = delete;
  void** slot() { return &p_; }
  void* get() const { return p_; }

 private:
  void* p_ = nullptr;
};

constexpr size_t kHeaderSize = 8;

}  // namespace

uint32_t stringToSid(std::string_view text, SidC& out) {
  out.clear();
  sid_text::PartsC parts;
  if (!sid_text::parse(text, parts)) return kErrorInvalidSid;
  const std::string zeroTerminated(text);
  LocalBufferC buffer;
  if (!ConvertStringSidToSidA(zeroTerminated.c_str(), reinterpret_cast<PSID*>(buffer.slot()))) {
    const DWORD e = GetLastError();
    return e == kErrorNotEnoughMemory ? kErrorNotEnoughMemory : kErrorInvalidSid;
  }
  PSID sid = buffer.get();
  if (!sid || !IsValidSid(sid)) return kErrorInvalidSid;
  const auto* bytes = static_cast<const uint8_t*>(sid);
  out.assign(bytes, bytes + GetLengthSid(sid));
  return kErrorSuccess;
}

std::string sidToString(const SidC& sid) { return isValidSid(sid) ? sid_text::format(sid) : std::string(); }

bool isValidSid(const SidC& sid) {
  // IsValidSid reads as far as the count says; the length is checked first.
  if (sid.size() < kHeaderSize || sid.size() != kHeaderSize + 4u * sid[1]) return false;
  PSID p = const_cast<uint8_t*>(sid.data());
  return IsValidSid(p) && GetLengthSid(p) == sid.size();
}

bool equalSid(const SidC& a, const SidC& b) {
  return isValidSid(a) && isValidSid(b) &&
         EqualSid(const_cast<uint8_t*>(a.data()), const_cast<uint8_t*>(b.data()));
}

}  // namespace platform
