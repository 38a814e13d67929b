// Files as byte streams: CreateFileW and its friends, in Windows terms.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Dispositions of CreateFileW. Scoped: the stream layer's open modes use
// neighbouring numbers with other meanings, and one must never pass for the
// other.
enum class Disposition : uint32_t {
  kCreateNew = 1,
  kCreateAlways = 2,
  kOpenExisting = 3,
  kOpenAlways = 4,
  kTruncateExisting = 5,
};

inline constexpr uint32_t kAccessRead = 1;
inline constexpr uint32_t kAccessWrite = 2;
inline constexpr uint32_t kShareRead = 1;
inline constexpr uint32_t kShareWrite = 2;

using FileHandle = intptr_t;
inline constexpr FileHandle kNoFile = -1;

// path: UTF-8, already in native form. append: the handle is for
// appendFile (O_APPEND on Linux), so processes that append to one file
// never overwrite each other. Returns kNoFile with the
// Win32 error in *error.
FileHandle openFile(const std::string& path, Disposition disposition, uint32_t access, uint32_t share, bool append,
                    uint32_t* error);
void closeFile(FileHandle file);
// Bytes read (0 at the end) or -1, with the error in *error.
int64_t readFile(FileHandle file, void* buffer, uint32_t n, uint32_t* error);
// Bytes written (possibly fewer than n) or -1.
int64_t writeFile(FileHandle file, const void* buffer, uint32_t n, uint32_t* error);
// The same, at the end of the file as it is at that moment, in one step
// that no other writer can come between (FILE_WRITE_TO_END_OF_FILE; on
// Linux the handle's O_APPEND).
int64_t appendFile(FileHandle file, const void* buffer, uint32_t n, uint32_t* error);
// SetFilePointerEx; origin 0 begin, 1 current, 2 end. The new position or -1.
int64_t seekFile(FileHandle file, int64_t offset, int origin, uint32_t* error);
int64_t fileSize(FileHandle file, uint32_t* error);
// SetEndOfFile at the given length.
uint32_t setFileLength(FileHandle file, int64_t length);
uint32_t flushFile(FileHandle file);

// The process's standard handles (0 input, 1 output, 2 error).
FileHandle standardHandle(int which);

}  // namespace platform
