// File names and the paths handed to the system see a drive in the same
// places: where platform::driveLetter does.
#include <gtest/gtest.h>

#include <string>

#include "files/file_name.h"
#include "platform/path.h"
#include "test_support.h"

namespace {

TEST(DriveLetter, FileNamesAndNativePathsAgreeOnEveryByte) {
  test_support::setEnv("TNW_MACHINE_ROOT", "/m");
  test_support::unsetEnv("TNW_DRIVE_C");
  const bool driveFolders = !platform::machineRoot().empty();  // Linux
  for (int b = 1; b < 256; ++b) {
    if (b == '\\' || b == '/') continue;  // a leading separator is a rule of its own
    const std::string drive = std::string(1, static_cast<char>(b)) + ":";
    const char letter = platform::driveLetter(drive);
    const bool isDrive = letter != 0;
    EXPECT_EQ(FileNameC(drive).isRoot(), isDrive) << b;
    EXPECT_EQ(FileNameC(drive + "\\x").isAbsolute(), isDrive) << b;
    EXPECT_EQ(FileNameC(drive + "\\x").parent().text(), isDrive ? drive + "\\" : drive) << b;
    if (driveFolders) {
      EXPECT_EQ(FileNameC(drive + "\\x").nativePath(),
                isDrive ? std::string("/m/drive_") + letter + "/x" : drive + "/x") << b;
    }
  }
  test_support::unsetEnv("TNW_MACHINE_ROOT");
}

}  // namespace
