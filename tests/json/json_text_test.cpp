#include "json/json_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace disklens {
namespace {

TEST(JsonText, EightBitFieldsKeepEveryByteAsItsCodePoint) {
  const std::uint8_t field[] = {'N', 'O', 0x00, 0x1B, 0x7F, 0xA9, 0xFF};
  // U+0000, ESC and DEL stay (the writer escapes them); 0xA9 is U+00A9 "©".
  EXPECT_EQ(Latin1Text(field, sizeof field), std::string("NO\0\x1B\x7F\xC2\xA9\xC3\xBF", 9));
}

TEST(JsonText, Utf16NamesDecodePairsAndReplaceLoneSurrogates) {
  const std::uint16_t pair[] = {0x6570, 0xD83D, 0xDE00};  // "数", U+1F600
  EXPECT_EQ(Utf16Text(pair, 3), "\xE6\x95\xB0\xF0\x9F\x98\x80");
  const std::uint16_t lone[] = {0xD800, 'a', 0xDC00};  // high alone, then low alone
  EXPECT_EQ(Utf16Text(lone, 3), "\xEF\xBF\xBD" "a" "\xEF\xBF\xBD");
  const std::uint16_t cut[] = {'b', 0xDBFF};  // a high surrogate at the very end
  EXPECT_EQ(Utf16Text(cut, 2), "b\xEF\xBF\xBD");
}

TEST(JsonText, FixedHexPadsAndNeverCuts) {
  const auto FixedHex = [](std::uint64_t value, int digits) {
    std::string out;
    AppendFixedHex(out, value, digits);
    return out;
  };
  EXPECT_EQ(FixedHex(0xC, 2), "0x0C");
  EXPECT_EQ(FixedHex(0x8000000000000000ull, 16), "0x8000000000000000");
  EXPECT_EQ(FixedHex(0x1234, 2), "0x1234");
  EXPECT_EQ(IsoLocalTime(2026, 1, 2, 3, 4, 5), "2026-01-02T03:04:05");
}

}  // namespace
}  // namespace disklens
