// Loading a library by path and finding its functions.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32_error.h"

namespace platform {

using LibraryHandle = void*;

// LoadLibraryW / dlopen. Null on failure, with the Win32 error in *error
// (Linux: kErrorModNotFound when there is no such file, else
// kErrorBadExeFormat) and, for people, the loader's own words in *message.
LibraryHandle loadLibrary(const std::string& path, uint32_t* error, std::string* message = nullptr);
// GetProcAddress / dlsym; null for an empty name or a null library.
void* findSymbol(LibraryHandle library, const std::string& name);
void freeLibrary(LibraryHandle library);

// Whether a library's unload runs under the system's loader lock (Windows:
// DllMain), where other libraries must not be unloaded nor their code be
// trusted not to wait for a thread.
bool unloadHoldsLoaderLock();

}  // namespace platform
