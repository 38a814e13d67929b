#include <gtest/gtest.h>

#include "files/file_name.h"
#include "platform/path.h"
#include "test_support.h"

namespace {

// What the system is handed: on Windows an absolute drive path gets the
// long-path prefix and a share path does not; on Linux drive letters are
// folders of the machine root.
TEST(NativePath, AsTheSystemNeedsIt) {
  const FileNameC local(std::string("C:\\ProgramData\\Tarnwell\\vdi"));
  const FileNameC share(std::string("\\\\server\\share\\vdi"));
  const FileNameC relative(std::string("data\\x.vdi"));
  if (platform::machineRoot().empty()) {  // Windows
    EXPECT_EQ(local.nativePath(), "\\\\?\\C:\\ProgramData\\Tarnwell\\vdi");
    EXPECT_EQ(share.nativePath(), "\\\\server\\share\\vdi");
    EXPECT_EQ(relative.nativePath(), "data\\x.vdi");
  } else {
    test_support::setEnv("TNW_MACHINE_ROOT", "/m");
    test_support::unsetEnv("TNW_DRIVE_C");
    EXPECT_EQ(local.nativePath(), "/m/drive_c/ProgramData/Tarnwell/vdi");
    EXPECT_EQ(FileNameC(std::string("d:/x")).nativePath(), "/m/drive_d/x");
    test_support::setEnv("TNW_DRIVE_C", "/c");
    EXPECT_EQ(local.nativePath(), "/c/ProgramData/Tarnwell/vdi");
    test_support::unsetEnv("TNW_DRIVE_C");
    EXPECT_EQ(relative.nativePath(), "data/x.vdi");
  }
  EXPECT_EQ(FileNameC().nativePath(), "");
}

}  // namespace
