// FileNameC: a Windows path value. Both "\" and "/" separate; the text is
// kept with "\". A drive ("C:"), a share ("\\server\share") or a leading
// "\" makes it absolute. Paths with the "\\?\" prefix are prefix forms; the
// root test looks through the prefix.
#pragma once

#include <string>

#include "runtime/strings/string_c.h"

class FileNameC {
 public:
  FileNameC() = default;
  explicit FileNameC(const StringC& text) : FileNameC(text.toUtf8()) {}
  explicit FileNameC(const std::string& text);

  const std::string& text() const { return text_; }
  StringC toStringC() const { return StringC::fromUtf8(text_); }
  bool isAbsolute() const { return absolute_; }
  bool isPrefixForm() const { return prefix_; }
  bool isEmpty() const { return text_.empty(); }

  // The text handed to the system (see platform/file_system.h).
  std::string nativePath() const;
  // The text before the last "\" (a root keeps its separator: "C:\"), or
  // empty when there is none.
  FileNameC parent() const;
  // The text after the last "\" (the whole text when there is none), and
  // that part's extension: the text after its last ".", "" when it has none.
  std::string leafName() const;
  std::string extension() const;
  // An empty name, "C:", "C:\", "\", "\\server\share" (with or without a
  // closing "\"), also behind "\\?\".
  bool isRoot() const;

 private:
  std::string text_;
  bool absolute_ = false;
  bool prefix_ = false;
};
