// A property a fuzz target checks beyond "no crash": a failure prints what
// broke and aborts, which libFuzzer (and the replay of regression inputs in
// the normal suite) reports as a failing input.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                         \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s (%s)\n", __FILE__, __LINE__, what, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)
