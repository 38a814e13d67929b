// A file opened read-only in binary mode, read at explicit offsets so that
// several threads can read one open file without sharing a file position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class ReadOnlyFileC {
 public:
  ReadOnlyFileC() = default;
  ~ReadOnlyFileC();
  ReadOnlyFileC(const ReadOnlyFileC&) = delete;
  ReadOnlyFileC& operator=(const ReadOnlyFileC&) = delete;

  // path is UTF-8; drive-letter paths are the caller's concern. Returns 0 or
  // the Win32 error.
  uint32_t open(const std::string& path);
  bool isOpen() const { return handle_ != kNone; }
  void close();

  // Size in bytes, or -1.
  int64_t size() const;

  // Reads up to n bytes at offset; returns the count read (short at the end
  // of the file) or -1 on failure.
  int64_t readAt(uint64_t offset, void* buffer, size_t n) const;

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;
};

}  // namespace platform
