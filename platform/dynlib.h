// Loading a library by path and finding its functions.
#pragma once

#include <string>

namespace platform {

using LibraryHandle = void*;

// LoadLibraryW / dlopen. Null on failure, with the loader's own message in
// *error (when given).
LibraryHandle loadLibrary(const std::string& path, std::string* error);
// GetProcAddress / dlsym; null for an empty name or a null library.
void* findSymbol(LibraryHandle library, const std::string& name);
void freeLibrary(LibraryHandle library);

}  // namespace platform
