// The file-system calls of the file service, in the Windows runtime
// library's terms: attributes as GetFileAttributesW gives them, and the
// _w* functions' errno values. The common ones (ENOENT 2, EACCES 13, EEXIST
// 17, ...) have the same numbers on both systems, others do not (ENOTEMPTY
// is 41 in the Windows runtime library, 39 on Linux): callers compare with
// the <cerrno> names, never with numbers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

inline constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;
inline constexpr uint32_t kAttrReadOnly = 0x1;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrDevice = 0x40;
inline constexpr uint32_t kAttrNormal = 0x80;
inline constexpr uint32_t kAttrReparsePoint = 0x400;

// The native path that the calls below take (UTF-8): "\\?\" in front of an
// absolute drive path on Windows; the machine root's drive folders on Linux.
std::string nativeFileName(const std::string& windowsPath, bool absolute);

// Linux answers from the file system's own types: a symbolic link is a
// reparse point, a character or block device a device, a file without
// write permission read-only.
uint32_t fileAttributes(const std::string& native);
// 0, or the Win32 error.
uint32_t setFileAttributes(const std::string& native, uint32_t attributes);

// 0 or the errno value.
int unlinkFile(const std::string& native);
int removeDirectory(const std::string& native);
int makeDirectory(const std::string& native);
int renameFile(const std::string& from, const std::string& to);
// Renames only when `to` does not exist (EEXIST otherwise), in one step no
// other writer can come between: a file that appeared meanwhile is never
// replaced. 0 or the errno value.
int renameNoReplace(const std::string& from, const std::string& to);
// Removes a directory with everything in it; 0 or the errno value.
int removeTree(const std::string& native);

// Whether two existing names are one file (GetShortPathNameW on Windows,
// device and inode on Linux). *known is false when that couldn't be told
// (a name does not exist); the names are then compared as the file system
// compares them: without regard to case on Windows, byte for byte on Linux.
bool sameFile(const std::string& a, const std::string& b, bool* known);

// A file opened for writing in text mode ("w": created or emptied), shared
// for reading and writing by other processes: every line feed written is
// stored as carriage return and line feed (the Windows runtime library's
// text mode; emulated on Linux). Null with the errno value in *error.
// Close it with closeTextFile, which reports what the last buffered writes
// met (a full disk shows there): 0 or the errno value.
std::FILE* openTextFileForWriting(const std::string& native, int* error);
int closeTextFile(std::FILE* file);

}  // namespace platform
