#include <windows.h>

#include "platform/file_stream.h"
#include "platform/wide.h"

namespace platform {

FileHandle openFile(const std::string& path, Disposition disposition, uint32_t access, uint32_t share, bool append,
                    uint32_t* error) {
  DWORD desired = 0;
  if (access & kAccessRead) desired |= GENERIC_READ;
  if (access & kAccessWrite) desired |= GENERIC_WRITE;
  (void)append;  // appendFile places each write itself
  DWORD shareMode = 0;
  if (share & kShareRead) shareMode |= FILE_SHARE_READ;
  if (share & kShareWrite) shareMode |= FILE_SHARE_WRITE;
  HANDLE h = CreateFileW(toWide(path).c_str(), desired, shareMode, nullptr, static_cast<DWORD>(disposition), FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return kNoFile;
  }
  if (error) *error = 0;
  return reinterpret_cast<FileHandle>(h);
}

void closeFile(FileHandle file) {
  if (file != kNoFile) CloseHandle(reinterpret_cast<HANDLE>(file));
}

int64_t readFile(FileHandle file, void* buffer, uint32_t n, uint32_t* error) {
  DWORD got = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(file), buffer, n, &got, nullptr)) {
    const DWORD e = GetLastError();
    if (e == ERROR_BROKEN_PIPE || e == ERROR_HANDLE_EOF) return 0;
    if (error) *error = e;
    return -1;
  }
  return got;
}

int64_t writeFile(FileHandle file, const void* buffer, uint32_t n, uint32_t* error) {
  DWORD done = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(file), buffer, n, &done, nullptr)) {
    if (error) *error = GetLastError();
    return -1;
  }
  return done;
}

int64_t appendFile(FileHandle file, const void* buffer, uint32_t n, uint32_t* error) {
  // Finding the end and writing there must be one step for every appender,
  // in this process or another: they all serialise on an exclusive lock of
  // one byte far beyond any real data, then move to the end and write.
  // (Wine does not make FILE_APPEND_DATA or FILE_WRITE_TO_END_OF_FILE
  // writes atomic; the lock works the same on Windows and under Wine.)
  HANDLE h = reinterpret_cast<HANDLE>(file);
  OVERLAPPED lock{};
  lock.Offset = 0xFFFFFFFEu;
  lock.OffsetHigh = 0x7FFFFFFFu;
  const bool locked = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lock) != 0;
  LARGE_INTEGER zero{};
  SetFilePointerEx(h, zero, nullptr, FILE_END);
  DWORD done = 0;
  const BOOL ok = WriteFile(h, buffer, n, &done, nullptr);
  const DWORD e = ok ? 0 : GetLastError();
  if (locked) UnlockFileEx(h, 0, 1, 0, &lock);
  if (!ok) {
    if (error) *error = e;
    return -1;
  }
  return done;
}

int64_t seekFile(FileHandle file, int64_t offset, int origin, uint32_t* error) {
  LARGE_INTEGER to, now;
  to.QuadPart = offset;
  if (!SetFilePointerEx(reinterpret_cast<HANDLE>(file), to, &now, static_cast<DWORD>(origin))) {
    if (error) *error = GetLastError();
    return -1;
  }
  return now.QuadPart;
}

int64_t fileSize(FileHandle file, uint32_t* error) {
  LARGE_INTEGER s;
  if (!GetFileSizeEx(reinterpret_cast<HANDLE>(file), &s)) {
    if (error) *error = GetLastError();
    return -1;
  }
  return s.QuadPart;
}

uint32_t setFileLength(FileHandle file, int64_t length) {
  uint32_t error = 0;
  if (seekFile(file, length, 0, &error) < 0) return error;
  return SetEndOfFile(reinterpret_cast<HANDLE>(file)) ? 0 : GetLastError();
}

uint32_t flushFile(FileHandle file) {
  return FlushFileBuffers(reinterpret_cast<HANDLE>(file)) || GetLastError() == ERROR_INVALID_HANDLE ? 0 : GetLastError();
}

FileHandle standardHandle(int which) {
  const DWORD ids[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  if (which < 0 || which > 2) return kNoFile;
  HANDLE h = GetStdHandle(ids[which]);
  return h && h != INVALID_HANDLE_VALUE ? reinterpret_cast<FileHandle>(h) : kNoFile;
}

}  // namespace platform
