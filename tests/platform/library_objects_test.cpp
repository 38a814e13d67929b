// The library's kept objects. A program of its own: releaseAll hands back
// every object the process kept, the platform layer's own among them.
#include "platform/library_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lo = platform::library_objects;

namespace {

std::vector<std::string>& destroyed() {
  static std::vector<std::string> log;
  return log;
}

struct RecorderC {
  explicit RecorderC(std::string n) : name(std::move(n)) {}
  ~RecorderC() { destroyed().push_back(name); }
  std::string name;
};

// Keeps another object while it is being destroyed, as a first use of a
// process-wide object during teardown would.
struct LateKeeperC {
  ~LateKeeperC() {
    destroyed().push_back("late keeper");
    lo::keep(new RecorderC("kept during release"));
  }
};

TEST(LibraryObjects, GoLastKeptFirstAndTheTableEmpties) {
  destroyed().clear();
  RecorderC* first = lo::keep(new RecorderC("first"));
  EXPECT_EQ(first->name, "first");
  lo::keep(new RecorderC("second"));
  lo::keep(new RecorderC("third"));
  EXPECT_EQ(lo::keep<RecorderC>(nullptr), nullptr);  // nothing to keep
  EXPECT_EQ(lo::count(), 3u);
  EXPECT_EQ(lo::releaseAll(), 3u);
  EXPECT_EQ(destroyed(), (std::vector<std::string>{"third", "second", "first"}));
  EXPECT_EQ(lo::count(), 0u);
  EXPECT_EQ(lo::releaseAll(), 0u);
}

TEST(LibraryObjects, AnObjectKeptDuringTheReleaseGoesToo) {
  destroyed().clear();
  lo::keep(new RecorderC("before"));
  lo::keep(new LateKeeperC);
  EXPECT_EQ(lo::releaseAll(), 3u);
  EXPECT_EQ(destroyed(), (std::vector<std::string>{"late keeper", "before", "kept during release"}));
  EXPECT_EQ(lo::count(), 0u);
}

TEST(LibraryObjects, AFullTableRefusesWithoutLosingWhatItHolds) {
  destroyed().clear();
  int kept = 0;
  RecorderC* refused = nullptr;
  for (int i = 0; i < 1000 && !refused; ++i) {
    auto* r = new RecorderC(std::to_string(i));
    if (lo::adopt([](void* p) { delete static_cast<RecorderC*>(p); }, r))
      ++kept;
    else
      refused = r;
  }
  ASSERT_NE(refused, nullptr);
  EXPECT_EQ(lo::count(), static_cast<size_t>(kept));
  delete refused;  // the caller keeps what the table refused
  destroyed().clear();
  EXPECT_EQ(lo::releaseAll(), static_cast<size_t>(kept));
  ASSERT_EQ(destroyed().size(), static_cast<size_t>(kept));
  EXPECT_EQ(destroyed().front(), std::to_string(kept - 1));
  EXPECT_EQ(destroyed().back(), "0");
}

}  // namespace
