// Loaded modules (a DLL or the program) and their version resources.
//
// Windows: a module handle is the HMODULE; version resources are read with
// GetFileVersionInfoSizeW / GetFileVersionInfoW (version.dll, loaded when
// first needed so that the products import nothing more than they do).
// Linux: a module handle is the load address of a shared object or of the
// program (dladdr); a module has a version resource when a block generated
// at build time and linked into it registered itself
// (registerLinkedVersionBlock), and a path has one when it names such a
// module. Every call may come from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_error.h"

namespace platform {

using ModuleHandle = void*;

// The module whose code or data holds `address`; null when there is none.
ModuleHandle moduleContaining(const void* address);

// The module's full path (UTF-8), "" for an unknown handle.
std::string moduleFileName(ModuleHandle module);

// The whole version resource of the module file at `path` into `block`.
// 0, or the Win32 error (kErrorResourceTypeNotFound when the file has no
// version resource).
uint32_t readVersionResource(const std::string& path, std::vector<uint8_t>& block);

// Called by the generated block of a module as the module is loaded. The
// block must stay valid while the module is loaded. Windows keeps its real
// resources and ignores this. Returns true.
bool registerLinkedVersionBlock(const void* block, size_t size);

// The version of the operating system, as GetVersionExA reports it (Linux:
// the NT family, the kernel's release numbers).
struct OsVersionC {
  uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};
OsVersionC osVersion();

// The current directory (GetCurrentDirectoryW, UTF-8); "" when it cannot be
// read.
std::string currentDirectory();

// GetWindowsDirectoryW; Linux: "C:\WINDOWS", the machine root's folder.
std::string windowsDirectory();

}  // namespace platform
