// Where a fuzz target that must hand its input over as a file writes it:
// in memory when the system offers a place for it, since a disk-backed /tmp
// makes the write the cost of a run.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

inline std::string fuzzScratchDirectory() {
  const char* dir = std::getenv("TMPDIR");
  if (dir && *dir) return dir;
  struct stat st {};
  if (stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return "/tmp";
}
