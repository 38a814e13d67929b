#include <windows.h>

#include "platform/file.h"
#include "platform/wide.h"

namespace platform {

ReadOnlyFileC::~ReadOnlyFileC() { close(); }

uint32_t ReadOnlyFileC::open(const std::string& path) {
  close();
  HANDLE h = CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  handle_ = reinterpret_cast<intptr_t>(h);
  return 0;
}

void ReadOnlyFileC::close() {
  if (handle_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNone;
}

int64_t ReadOnlyFileC::size() const {
  LARGE_INTEGER s;
  if (handle_ == kNone || !GetFileSizeEx(reinterpret_cast<HANDLE>(handle_), &s)) return -1;
  return s.QuadPart;
}

int64_t ReadOnlyFileC::readAt(uint64_t offset, void* buffer, size_t n) const {
  if (handle_ == kNone) return -1;
  size_t done = 0;
  while (done < n) {
    OVERLAPPED ov{};
    const uint64_t at = offset + done;
    ov.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(n - done > 0x40000000u ? 0x40000000u : n - done);
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), static_cast<char*>(buffer) + done, want, &got, &ov)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

}  // namespace platform
