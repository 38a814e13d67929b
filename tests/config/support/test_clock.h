// A monotonic clock that tests set by hand, for the freshness window.
#pragma once

#include <atomic>
#include <cstdint>

namespace config_test {

struct TestClockC {
  static constexpr int64_t kSecond = 10000000;  // 100 ns units
  static inline std::atomic<int64_t> now{1000 * kSecond};
  static int64_t read() { return now.load(); }
  static void set(int64_t value) { now.store(value); }
  static void advanceSeconds(int64_t seconds) { now.fetch_add(seconds * kSecond); }
};

}  // namespace config_test
