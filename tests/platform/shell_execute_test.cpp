#include "platform/shell_execute.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

TEST(PlatformShellExecute, AProgramThatIsNowhereIsFileNotFound) {
  test_support::TempDirC dir;
  uint32_t error = 0xDEADBEEF;
  EXPECT_FALSE(platform::shellExecute("vdi-no-such-program-7f3a", "-r VdiAccess", "", platform::kSwShow, &error));
  EXPECT_EQ(error, platform::kErrorFileNotFound);
  error = 0xDEADBEEF;
  EXPECT_FALSE(platform::shellExecute("vdi-no-such-program-7f3a", "", dir.path(), platform::kSwShow, &error));
  EXPECT_EQ(error, platform::kErrorFileNotFound);
}

TEST(PlatformShellExecute, AShortPathExistsOnlyForAnExistingFile) {
  test_support::TempDirC dir;
  const std::string file = dir.file("present.txt");
  test_support::writeFile(file, "x");
  std::string shortPath = "untouched";
  EXPECT_EQ(platform::shortPathName(dir.file("absent.txt"), &shortPath), platform::kErrorFileNotFound);
  EXPECT_EQ(shortPath, "untouched");
  ASSERT_EQ(platform::shortPathName(file, &shortPath), 0u);
  EXPECT_FALSE(shortPath.empty());
  std::string again;
  ASSERT_EQ(platform::shortPathName(shortPath, &again), 0u) << "the short form names the same file";
  EXPECT_EQ(again, shortPath);
}

}  // namespace
