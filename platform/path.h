// Windows paths on this system. On Windows a path is used as it is; on
// Linux a drive-letter path names a folder of the machine root: "C:" is
// $TNW_DRIVE_C when set, else MACHINE/drive_c (MACHINE is
// $TNW_MACHINE_ROOT, default /var/lib/tarnwell), other letters
// MACHINE/drive_<letter>; "\" and "/" both separate.
#pragma once

#include <string>

namespace platform {

std::string nativePath(const std::string& windowsPath);

// The machine root directory (Linux); "" on Windows.
std::string machineRoot();

}  // namespace platform
