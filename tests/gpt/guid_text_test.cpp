#include "gpt/guid_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace disklens {
namespace {

TEST(FormatGuid, ReversesTheFirstThreeGroupsOnly) {
  const std::uint8_t esp[16] = {0x28, 0x73, 0x2A, 0xC1, 0x1F, 0xF8, 0xD2, 0x11,
                                0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B};
  char out[64];
  EXPECT_EQ(FormatGuid(out, sizeof out, esp), 1);
  EXPECT_STREQ(out, "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}");

  const std::uint8_t zero[16] = {};
  EXPECT_EQ(FormatGuid(out, 39, zero), 1);
  EXPECT_STREQ(out, "{00000000-0000-0000-0000-000000000000}");

  const std::uint8_t lower[16] = {0xab, 0xcd, 0xef, 0x0a, 0xbc, 0xde, 0xf0, 0x0f,
                                  0xfa, 0xce, 0xb0, 0x0c, 0xde, 0xad, 0xbe, 0xef};
  EXPECT_EQ(FormatGuid(out, 39, lower), 1);
  EXPECT_STREQ(out, "{0AEFCDAB-DEBC-0FF0-FACE-B00CDEADBEEF}");
}

TEST(FormatGuid, TooSmallABufferIsLeftUntouched) {
  const std::uint8_t zero[16] = {};
  char out[64];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(FormatGuid(out, 38, zero), 0);
  EXPECT_EQ(std::string(out, 64), std::string(64, '#'));
}

TEST(FormatByTemplate, CopiesOtherCharactersAndRunsByTheirFirstLetter) {
  const std::uint8_t src[16] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
  char out[32];
  // A run is taken whole at its first letter, whatever follows it.
  EXPECT_EQ(FormatByTemplate(out, sizeof out, src, "<hhxx-wwww:h?>"), 1);
  EXPECT_STREQ(out, "<01xx-0302:04>");
  EXPECT_EQ(FormatByTemplate(out, sizeof out, src, "dddddddd"), 1);
  EXPECT_STREQ(out, "04030201");
}

}  // namespace
}  // namespace disklens
