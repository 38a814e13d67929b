#include "platform/path.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

TEST(Path, ADriveIsAnAsciiLetterAndAColon) {
  const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  const std::string lower = "abcdefghijklmnopqrstuvwxyz";
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const size_t u = upper.find(c), l = lower.find(c);
    const char expected = u != std::string::npos ? lower[u] : (l != std::string::npos ? c : 0);
    EXPECT_EQ(platform::driveLetter(std::string(1, c) + ":\\x"), expected) << b;
    EXPECT_EQ(platform::driveLetter(std::string(1, c) + ":"), expected) << b;
    EXPECT_EQ(platform::driveLetter(std::string(1, c) + ";"), 0) << b;
  }
  for (const char* none : {"", "C", ":", ":C", "\\\\?\\C:\\x", "CC:"})
    EXPECT_EQ(platform::driveLetter(none), 0) << none;
}

// An empty variable counts as unset: the machine root is then the default,
// as the common library's registry takes it.
TEST(Path, TheMachineRootDefaultsWhenTheVariableIsUnsetOrEmpty) {
  test_support::setEnv("TNW_MACHINE_ROOT", "/m");
  if (platform::machineRoot().empty()) GTEST_SKIP() << "Windows has no machine root";
  EXPECT_EQ(platform::machineRoot(), "/m");
  test_support::setEnv("TNW_MACHINE_ROOT", "");
  EXPECT_EQ(platform::machineRoot(), "/var/lib/tarnwell");
  test_support::unsetEnv("TNW_MACHINE_ROOT");
  EXPECT_EQ(platform::machineRoot(), "/var/lib/tarnwell");
  EXPECT_EQ(platform::nativePath("e:\\data"), "/var/lib/tarnwell/drive_e/data");
}

}  // namespace
