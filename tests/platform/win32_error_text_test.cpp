// Windows errors of a failed open, in the words Linux uses for the same failure.
#include "platform/win32_error_text.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace disklens {
namespace {

TEST(Win32ErrorReason, OpenFailuresReadAsOnLinux) {
  EXPECT_EQ(Win32ErrorReason(ERROR_FILE_NOT_FOUND), "No such file or directory");
  EXPECT_EQ(Win32ErrorReason(ERROR_PATH_NOT_FOUND), "No such file or directory");
  EXPECT_EQ(Win32ErrorReason(ERROR_INVALID_NAME), "No such file or directory");
  EXPECT_EQ(Win32ErrorReason(ERROR_ACCESS_DENIED), "Permission denied");
  EXPECT_EQ(Win32ErrorReason(ERROR_SHARING_VIOLATION), "Permission denied");
}

TEST(Win32ErrorReason, OtherErrorsInTheSystemsWordsOnOneLine) {
  for (const DWORD error : {DWORD{ERROR_CRC}, DWORD{ERROR_NOT_READY}, DWORD{0xE0001234}}) {
    const std::string reason = Win32ErrorReason(error);
    EXPECT_FALSE(reason.empty()) << error;
    EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
    EXPECT_NE(reason.back(), '.') << reason;
  }
}

}  // namespace
}  // namespace disklens
