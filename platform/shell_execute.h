// Starting a program the way the Windows shell does (ShellExecuteExA), and
// the short form of a path. Texts are 8-bit, as the ...A calls take them:
// the system's ANSI code page on Windows, bytes as they stand on Linux.
//
// Linux: file and directory are Windows paths as platform/path.h reads them
// (drive letters name folders of the machine root, "\" and "/" both
// separate). The program is started with posix_spawnp: a file without a
// separator is looked for first in `directory` (as the shell looks in the
// directory it is given), then along PATH. The argument vector is the file
// followed by `parameters` split as a Windows program's C runtime splits its
// command line: blanks and tabs separate arguments outside double quotes, a
// double quote starts or ends a quoted part, "" inside a quoted part is one
// literal quote, 2n backslashes before a quote give n backslashes, 2n+1 give
// n and a literal quote, other backslashes stand as they are. The child runs
// in `directory` (the caller's when empty), in a session of its own, with
// default signal handling, an empty signal mask, standard input from
// /dev/null, standard output and error shared with this process and no other
// descriptor of it. An error of the exec itself (no such file, not
// executable, not a program) reaches the caller as its Win32 code through
// win32FromErrno.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32_error.h"

namespace platform {

// ShowWindow's SW_SHOW: show the window in its current size and place.
inline constexpr int32_t kSwShow = 5;

// Starts `file` with `parameters` in `directory` and returns at once: true
// when the program was started; false with GetLastError of ShellExecuteExA
// in *error, which can be 0 (the shell does not always set one; Linux
// never gives 0). Nothing is waited for and nothing is left behind: the
// process handle is closed at once on Windows; on Linux the program is
// started from a short-lived intermediate child, which reports the exec's
// outcome through a pipe and which this call reaps (a host that set SIGCHLD
// to SIG_IGN has it reaped by the kernel instead, and the outcome still
// arrives), so the program is adopted by init (or the host's subreaper),
// never becomes a zombie of this process, and no thread of this library
// stays behind to watch it; the library may be unloaded as soon as this
// returns. No error box is shown
// (SEE_MASK_FLAG_NO_UI). `showCommand` is the window's ShowWindow command
// (Linux: no windows, ignored). Windows loads shell32 at the first call;
// if it cannot be loaded, that load's error is the answer. Any thread;
// calls do not share state.
bool shellExecute(const std::string& file, const std::string& parameters, const std::string& directory,
                  int32_t showCommand, uint32_t* error);

// GetShortPathNameA with a buffer of 260 characters: the 8.3 form of an
// existing path into *shortPath and 0, or the Win32 error with *shortPath
// untouched (kErrorInsufficientBuffer when the short form does not fit).
// Linux has no short names: 0 with `path` unchanged when the file or
// directory exists, else the error of looking at it (kErrorFileNotFound for
// a missing one). Any thread.
uint32_t shortPathName(const std::string& path, std::string* shortPath);

}  // namespace platform
