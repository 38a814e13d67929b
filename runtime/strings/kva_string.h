// KVAStringC: the older narrow string. It holds a narrow text in the
// system's 8-bit code page (absent reads as "") and makes a wide (UTF-16)
// copy on first request, kept until the next change and freed with the
// object.
#pragma once

#include <memory>
#include <string>

#include "runtime/strings/string_c.h"

class KVAStringC {
 public:
  KVAStringC() = default;
  // The string's text in "system-8" ("~" for what the code page lacks).
  explicit KVAStringC(const StringC& s);
  // A narrow text in the system code page, copied; null is absent.
  explicit KVAStringC(const char* narrow);
  KVAStringC(const KVAStringC& other);
  KVAStringC& operator=(const KVAStringC& other);
  KVAStringC& operator=(const char* narrow);
  virtual ~KVAStringC();

  KVAStringC& append(char c);
  KVAStringC& append(const char* narrow);
  bool isEmpty() const { return narrow_.empty(); }
  const char* narrow() const { return narrow_.c_str(); }
  const char16_t* wide() const;
  StringC toStringC() const;

 private:
  std::string narrow_;
  mutable std::unique_ptr<std::u16string> wide_;
};
