// The one rule for text taken from a disk: up to the first zero byte, never past
// the field, the view or the room given, control bytes as "?"; and the
// letter-case folding of ASCII, against the C library's in the "C" locale.
#include "text/text_field.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "text/ascii.h"

namespace disklens {
namespace {

std::string Field(const std::string& bytes, std::size_t length, std::size_t capacity) {
  std::string out(capacity + 4, '#');  // marks past the room given stay
  CopyTextField(ByteView{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                length, out.data(), capacity);
  return out;
}

TEST(TextField, StopsAtTheFirstZeroByteAndZeroFillsTheRest) {
  EXPECT_EQ(Field(std::string("NO NAME\0XY", 10), 10, 16),
            std::string("NO NAME\0\0\0\0\0\0\0\0\0####", 20));
}

TEST(TextField, NeverPastTheFieldTheViewOrTheRoom) {
  const std::string bytes = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  EXPECT_EQ(Field(bytes, 8, 16), std::string("ABCDEFGH\0\0\0\0\0\0\0\0####", 20));
  // 15 characters and the NUL in 16 bytes, however long the field.
  EXPECT_EQ(Field(bytes, 26, 16), std::string("ABCDEFGHIJKLMNO\0####", 20));
  EXPECT_EQ(Field(bytes, 16, 17), std::string("ABCDEFGHIJKLMNOP\0####", 21));
  // A view that ends inside the field.
  EXPECT_EQ(Field("FAT", 8, 16), std::string("FAT\0\0\0\0\0\0\0\0\0\0\0\0\0####", 20));
  EXPECT_EQ(Field("", 8, 4), std::string("\0\0\0\0####", 8));
  EXPECT_EQ(Field("ABC", 3, 0), std::string("####"));
}

TEST(TextField, ControlBytesAndDelAsQuestionMarksOtherBytesAsThey) {
  std::string bytes;
  for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  const std::string out = Field(bytes, bytes.size(), 256);
  ASSERT_EQ(out.size(), 260u);
  for (int c = 1; c < 256; ++c) {
    const char want = c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    EXPECT_EQ(out[static_cast<std::size_t>(c - 1)], want) << "byte " << c;
  }
  EXPECT_EQ(out[255], '\0');
}

TEST(AsciiLower, FoldsOnlyTheAsciiLettersAsTheCLocaleDoes) {
  for (int c = 0; c < 256; ++c) {
    const int want = c < 0x80 ? std::tolower(c) : c;
    EXPECT_EQ(AsciiLower(static_cast<unsigned char>(c)), want) << "byte " << c;
    EXPECT_EQ(IsControlByte(static_cast<unsigned char>(c)), c < 0x80 && std::iscntrl(c) != 0)
        << "byte " << c;
  }
}

}  // namespace
}  // namespace disklens
