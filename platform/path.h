// Windows paths on this system. On Windows a path is used as it is; on
// Linux a drive-letter path names a folder of the machine root: "C:" is
// $TNW_DRIVE_C when set, else MACHINE/drive_c (MACHINE is
// $TNW_MACHINE_ROOT, default /var/lib/tarnwell), other letters
// MACHINE/drive_<letter>; "\" and "/" both separate.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The drive a Windows path starts with: its letter in lower case when the
// path opens with an ASCII letter and ":" ("C:", "d:\x", "e:rel"), else 0.
// The one test of a drive for every layer; what follows the colon is the
// caller's concern.
inline char driveLetter(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return 0;
  const char c = path[0];
  if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return 0;
  return static_cast<char>(c | 0x20);
}

std::string nativePath(const std::string& windowsPath);

// The machine root directory (Linux); "" on Windows.
std::string machineRoot();

}  // namespace platform
