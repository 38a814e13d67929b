// Path helpers the start-up banner uses with module file names. Pure text
// rules over Windows paths (any thread), and the current directory.
#pragma once

#include <string>
#include <string_view>

namespace module_path {

// Directory and file name, split at the last of "\", "/" and ":" (the
// directory keeps no separator; no separator: directory "").
struct SplitC {
  std::string directory;
  std::string fileName;
};
SplitC split(std::string_view path);

// `name` without a trailing `suffix` (compared without regard to ASCII
// case); unchanged when it does not end in it.
std::string stripSuffix(std::string_view name, std::string_view suffix);

// The current directory, one trailing separator removed when the result is
// at least 4 characters long (so "C:\" stays); "" when it cannot be read.
std::string currentDirectory();
// The rule applied to it: at most 260 characters, then one trailing "\",
// "/" or ":" removed when the text is 4 characters or longer.
std::string bannerDirectory(std::string directory);

}  // namespace module_path
