#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

namespace {

// A full disk shows only when the buffered text goes out: the close must
// tell, or a truncated document would pass for a complete one.
TEST(PlatformTextFile, AFullDiskIsReportedByTheClose) {
  int error = 0;
  std::FILE* f = platform::openTextFileForWriting("/dev/full", &error);
  ASSERT_NE(f, nullptr) << error;
  std::fputs("<vdiAccess/>\n", f);
  EXPECT_EQ(platform::closeTextFile(f), ENOSPC);
}

TEST(PlatformTextFile, AFailedOpenGivesItsErrorNumber) {
  int error = 0;
  EXPECT_EQ(platform::openTextFileForWriting("/nonexistent-dir/doc.vdi", &error), nullptr);
  EXPECT_EQ(error, ENOENT);
}

}  // namespace
