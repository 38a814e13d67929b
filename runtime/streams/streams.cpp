#include "runtime/streams/streams.h"

#include <algorithm>

#include "runtime/messages/error_report.h"
#include "platform/win32_error.h"
#include "tnwcmn/tnwcmn.h"

namespace {

uint32_t reportSystem(uint32_t error) {
  const uint32_t hr = static_cast<uint32_t>(tnw::hresultFromWin32(error));
  raiseError(hr, "{e}System error %1$d", ArgListC(static_cast<int32_t>(error)));
  return hr;
}

// Writes every byte, however many calls it takes; 0 or the HRESULT.
uint32_t writeAll(platform::FileHandle h, const void* buffer, uint32_t size, bool toEnd) {
  const char* p = static_cast<const char*>(buffer);
  uint32_t left = size;
  while (left > 0) {
    uint32_t error = 0;
    const int64_t n = toEnd ? platform::appendFile(h, p, left, &error) : platform::writeFile(h, p, left, &error);
    if (n < 0) return reportSystem(error);
    if (n == 0) return reportSystem(platform::kErrorWriteFault);  // no progress
    p += n;
    left -= static_cast<uint32_t>(n);
  }
  return 0;
}

void closeIfOwned(platform::FileHandle& handle, bool owns) {
  if (owns && handle != platform::kNoFile) platform::closeFile(handle);
  handle = platform::kNoFile;
}

}  // namespace

int64_t InputStreamC::length() {
  raiseError(0xE0CB0005, "{e}Cannot obtain length of stream");
  return -1;
}

uint32_t OutputStreamC::copyFrom(InputStreamC& in, int64_t n) {
  char buffer[1024];
  int64_t done = 0;
  while (n <= 0 || done < n) {
    const uint32_t want = n <= 0 ? 1024u : static_cast<uint32_t>(std::min<int64_t>(1024, n - done));
    const int64_t got = in.read(buffer, want);
    if (got <= 0) break;
    if (uint32_t r = write(buffer, static_cast<uint32_t>(got))) {
      raiseError(0xE0CB0015, "{e}Failed to write to a stream");
      return r;
    }
    done += got;
  }
  return 0;
}

uint32_t OutputStreamC::setLength(int64_t) { return raiseError(0xE0CB000B, "{e}Attempted to set length on non-resizable stream"); }

FileStreamC* FileStreamC::open(const std::string& nativeName, const std::string& displayName, FileOpenModeC mode,
                               uint32_t access, uint32_t share) {
  using platform::Disposition;
  static const Disposition dispositions[] = {Disposition::kOpenAlways,   Disposition::kCreateAlways,
                                             Disposition::kCreateNew,    Disposition::kOpenExisting,
                                             Disposition::kOpenAlways,   Disposition::kTruncateExisting};
  int index = static_cast<int>(mode);
  if (index < 0 || index > 5) {
    mode = FileOpenModeC::kOpenExisting;
    index = static_cast<int>(mode);
  }
  const bool append = mode == FileOpenModeC::kAppend;
  if (append && !(access & platform::kAccessWrite)) {
    raiseError(0xE0CB0009, "{e}Attempted to open '%1$S' for appending without write access",
               ArgListC::of(StringC::fromUtf8(displayName)));
    return nullptr;
  }
  uint32_t error = 0;
  platform::FileHandle h = platform::openFile(nativeName, dispositions[index], access, share, append, &error);
  if (h == platform::kNoFile) {
    reportSystem(error);
    raiseError(0xE0CB0010, "{e}Failed to open file '%1$S'", ArgListC::of(StringC::fromUtf8(displayName)));
    return nullptr;
  }
  if (append && platform::seekFile(h, 0, 2, &error) < 0) {
    platform::closeFile(h);
    return nullptr;
  }
  return new FileStreamC(h, mode, access);
}

FileStreamC::~FileStreamC() { close(); }

uint32_t FileStreamC::close() {
  if (file_ != platform::kNoFile) platform::closeFile(file_);
  file_ = platform::kNoFile;
  return 0;
}

int64_t FileStreamC::read(void* buffer, uint32_t size) {
  if (!canRead() || file_ == platform::kNoFile) {
    raiseError(0xE0CB0006, "{e}Attempted to read from a stream that does not support reading");
    return -1;
  }
  uint32_t error = 0;
  const int64_t n = platform::readFile(file_, buffer, size, &error);
  if (n < 0) reportSystem(error);
  return n;
}

int64_t FileStreamC::length() {
  uint32_t error = 0;
  const int64_t n = file_ == platform::kNoFile ? -1 : platform::fileSize(file_, &error);
  if (n < 0) raiseError(0xE0CB0005, "{e}Cannot obtain length of stream");
  return n;
}

uint32_t FileStreamC::write(const void* buffer, uint32_t size) {
  if (!canWrite() || file_ == platform::kNoFile)
    return raiseError(0xE0CB0008, "{e}Attempted to write to a stream that does not support writing");
  return writeAll(file_, buffer, size, mode_ == FileOpenModeC::kAppend);
}

uint32_t FileStreamC::flush() { return file_ == platform::kNoFile ? 0 : platform::flushFile(file_); }

uint32_t FileStreamC::setLength(int64_t length) {
  if (!canWrite() || file_ == platform::kNoFile) return OutputStreamC::setLength(length);
  const uint32_t e = platform::setFileLength(file_, length);
  return e ? reportSystem(e) : 0;
}

int64_t FileStreamC::setPosition(int64_t offset, int origin) {
  if (!canSeek()) {
    raiseError(0xE0CB0007, "{e}Attempted to set current position in a stream that does not support seeking");
    return -1;
  }
  uint32_t error = 0;
  const int64_t at = platform::seekFile(file_, offset, origin, &error);
  if (at < 0) reportSystem(error);
  return at;
}

uint32_t FDInputStreamC::close() {
  closeIfOwned(handle_, owns_);
  return 0;
}

int64_t FDInputStreamC::read(void* buffer, uint32_t size) {
  if (handle_ == platform::kNoFile) {
    raiseError(0xE0CB0006, "{e}Attempted to read from a stream that does not support reading");
    return -1;
  }
  uint32_t error = 0;
  const int64_t n = platform::readFile(handle_, buffer, size, &error);
  if (n < 0) reportSystem(error);
  return n;
}

uint32_t FDOutputStreamC::close() {
  closeIfOwned(handle_, owns_);
  return 0;
}

uint32_t FDOutputStreamC::write(const void* buffer, uint32_t size) {
  if (handle_ == platform::kNoFile)
    return raiseError(0xE0CB0008, "{e}Attempted to write to a stream that does not support writing");
  return writeAll(handle_, buffer, size, false);
}
