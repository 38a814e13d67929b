// DynLoadC: a library loaded by path for as long as the object lives.
#pragma once

#include <string>

#include "platform/dynlib.h"

class DynLoadC {
 public:
  explicit DynLoadC(const std::string& path);
  ~DynLoadC();
  DynLoadC(const DynLoadC&) = delete;
  DynLoadC& operator=(const DynLoadC&) = delete;

  bool isLoaded() const { return handle_ != nullptr; }
  // The library (borrowed; null when not loaded).
  platform::LibraryHandle handle() const { return handle_; }
  // Null for an empty name or an unloaded library.
  void* function(const std::string& name) const;
  // Why the library did not load: the Win32 error and the loader's words.
  uint32_t error() const { return error_; }
  const std::string& message() const { return message_; }

 private:
  platform::LibraryHandle handle_ = nullptr;
  uint32_t error_ = 0;
  std::string message_;
};
