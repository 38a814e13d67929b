// Byte streams. Failures are reported through the error service (the
// system error as an HRESULT first, then the operation's own message) and
// shown to the caller only as the results below; nothing throws.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_stream.h"

class InputStreamC {
 public:
  virtual ~InputStreamC() = default;
  virtual uint32_t close() { return 0; }
  // Bytes read, 0 at the end, -1 on failure.
  virtual int64_t read(void* buffer, uint32_t size) = 0;
  // -1 when the stream has no length (reported as 0xE0CB0005).
  virtual int64_t length();
};

class OutputStreamC {
 public:
  virtual ~OutputStreamC() = default;
  virtual uint32_t close() { return 0; }
  // 0 when every byte was written, else the error.
  virtual uint32_t write(const void* buffer, uint32_t size) = 0;
  // Copies at most n bytes (n <= 0: all) through a 1024-byte buffer.
  virtual uint32_t copyFrom(InputStreamC& in, int64_t n);
  virtual uint32_t copyAllFrom(InputStreamC& in) { return copyFrom(in, 0); }
  virtual uint32_t flush() { return 0; }
  virtual uint32_t setLength(int64_t length);
};

class IOStreamC : public InputStreamC, public OutputStreamC {
 public:
  uint32_t close() override { return 0; }
};

// Open modes, numbered as the file service passes them: 0 append (every
// write goes to the end), 1 create always, 2 create new, 3 open existing,
// 4 open always, 5 truncate existing. Not a CreateFileW disposition (whose
// numbers differ): the scoped type keeps the two apart.
enum class FileOpenModeC : int { kAppend = 0, kCreateAlways = 1, kCreateNew = 2, kOpenExisting = 3, kOpenAlways = 4,
                                 kTruncateExisting = 5 };

class FileStreamC final : public IOStreamC {
 public:
  // Null (after the reports) when the file cannot be opened. nativeName is
  // the name as handed to the system; displayName the one to report.
  static FileStreamC* open(const std::string& nativeName, const std::string& displayName, FileOpenModeC mode,
                           uint32_t access, uint32_t share);
  ~FileStreamC() override;

  uint32_t close() override;
  int64_t read(void* buffer, uint32_t size) override;
  int64_t length() override;
  uint32_t write(const void* buffer, uint32_t size) override;
  uint32_t flush() override;
  uint32_t setLength(int64_t length) override;

  bool canRead() const { return (access_ & platform::kAccessRead) != 0; }
  bool canWrite() const { return (access_ & platform::kAccessWrite) != 0; }
  bool canSeek() const { return file_ != platform::kNoFile; }
  // -1 on failure.
  int64_t setPosition(int64_t offset, int origin);

 private:
  FileStreamC(platform::FileHandle file, FileOpenModeC mode, uint32_t access)
      : file_(file), mode_(mode), access_(access) {}
  platform::FileHandle file_;
  FileOpenModeC mode_;
  uint32_t access_;
};

// Streams over a plain system handle (pipes, standard handles). The handle
// stays the caller's unless `owns` is set.
class FDInputStreamC final : public InputStreamC {
 public:
  explicit FDInputStreamC(platform::FileHandle handle, bool owns = false) : handle_(handle), owns_(owns) {}
  ~FDInputStreamC() override { close(); }
  uint32_t close() override;
  int64_t read(void* buffer, uint32_t size) override;

 private:
  platform::FileHandle handle_;
  bool owns_;
};

class FDOutputStreamC final : public OutputStreamC {
 public:
  explicit FDOutputStreamC(platform::FileHandle handle, bool owns = false) : handle_(handle), owns_(owns) {}
  ~FDOutputStreamC() override { close(); }
  uint32_t close() override;
  uint32_t write(const void* buffer, uint32_t size) override;

 private:
  platform::FileHandle handle_;
  bool owns_;
};
