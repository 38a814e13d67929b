#include <gtest/gtest.h>

#include <string>

#include "platform/message_text.h"
#include "platform/win32_error.h"

namespace {

struct TextRow {
  uint32_t code;
  const char* text;
};

TEST(PlatformMessageTextPosix, TheLaunchErrorsHaveWindowsOwnTexts) {
  const TextRow rows[] = {
      {platform::kErrorFileNotFound, "The system cannot find the file specified."},
      {platform::kErrorPathNotFound, "The system cannot find the path specified."},
      {platform::kErrorAccessDenied, "Access is denied."},
      {platform::kErrorNotEnoughMemory, "Not enough memory resources are available to process this command."},
      {platform::kErrorBadFormat, "An attempt was made to load a program with an incorrect format."},
      {platform::kErrorSharingViolation,
       "The process cannot access the file because it is being used by another process."},
      {platform::kErrorBadExeFormat, "%1 is not a valid Win32 application."},
      {platform::kErrorFilenameExcedRange, "The filename or extension is too long."},
      {platform::kErrorGenFailure, "A device attached to the system is not functioning."},
      {platform::kErrorTooManyOpenFiles, "The system cannot open the file."},
      {platform::kErrorBusy, "The requested resource is in use."},
  };
  for (const TextRow& row : rows) EXPECT_EQ(platform::systemMessageText(row.code, nullptr), row.text) << row.code;
}

TEST(PlatformMessageTextPosix, EveryCodeAnErrnoBecomesHasAText) {
  for (int e = 1; e < 134; ++e) {
    const uint32_t code = platform::win32FromErrno(e);
    const std::string text = platform::systemMessageText(code, nullptr);
    EXPECT_FALSE(text.empty()) << "errno " << e << " gives " << code << ", which has no text";
    EXPECT_NE(text.back(), '\n');
  }
}

TEST(PlatformMessageTextPosix, ACodeTheSystemDoesNotKnowHasNone) {
  EXPECT_EQ(platform::systemMessageText(0x8004100Eu, nullptr), "");
  EXPECT_EQ(platform::systemMessageText(99999, nullptr), "");
}

}  // namespace
