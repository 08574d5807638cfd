#include "gpt/guid_text.h"

#include <array>
#include <cstring>
#include <string>

namespace disklens {

namespace {

char HexDigit(unsigned nibble) {
  const unsigned c = '0' + nibble;
  return static_cast<char>(c > '9' ? c + 7 : c);
}

}  // namespace

void HexByte(std::uint8_t value, char* out) {
  out[0] = HexDigit(value >> 4u);
  out[1] = HexDigit(value & 0xFu);
  out[2] = '\0';
}

std::int32_t FormatByTemplate(char* out, std::uint32_t outSize, const std::uint8_t* source,
                              const char* pattern) {
  const char* const patternEnd = pattern + std::strlen(pattern);
  if (outSize < static_cast<std::size_t>(patternEnd - pattern) + 1) return 0;
  // Every step writes its digits and a NUL, which the next step overwrites. A
  // run cut short by the template's end is copied as it stands.
  while (*pattern != '\0') {
    const auto left = static_cast<std::size_t>(patternEnd - pattern);
    if (*pattern == 'd' && left >= 8) {
      // The little-endian value, most significant byte first.
      HexByte(source[3], out);
      HexByte(source[2], out + 2);
      HexByte(source[1], out + 4);
      HexByte(source[0], out + 6);
      source += 4, out += 8, pattern += 8;
    } else if (*pattern == 'w' && left >= 4) {
      HexByte(source[1], out);
      HexByte(source[0], out + 2);
      source += 2, out += 4, pattern += 4;
    } else if (*pattern == 'h' && pattern[1] != '\0') {
      HexByte(*source, out);
      source += 1, out += 2, pattern += 2;
    } else {
      *out++ = *pattern++;
    }
  }
  *out = '\0';
  return 1;
}

std::int32_t FormatGuid(char* out, std::uint32_t outSize, const std::uint8_t* source) {
  // kGuidTemplate written out: two GUIDs a used GPT entry, thousands a report.
  static_assert(std::char_traits<char>::length(kGuidTemplate) == 38);
  if (outSize < 39) return 0;
  // For each byte of the source, where its two digits go: the first three
  // groups are little-endian.
  static constexpr std::uint8_t kAt[16] = {7,  5,  3,  1,  12, 10, 17, 15,
                                           20, 22, 25, 27, 29, 31, 33, 35};
  static constexpr auto kPairs = [] {
    std::array<char, 512> pairs{};
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::size_t b = 0; b < 256; ++b) {
      pairs[2 * b] = kDigits[b >> 4];
      pairs[2 * b + 1] = kDigits[b & 0xF];
    }
    return pairs;
  }();
  static constexpr char kFrame[] =
      "{" "--------" "-" "----" "-" "----" "-" "----" "-" "------------" "}";
  static_assert(sizeof kFrame == 39);
  std::memcpy(out, kFrame, sizeof kFrame);
  for (std::size_t i = 0; i < 16; ++i) std::memcpy(out + kAt[i], kPairs.data() + 2 * source[i], 2);
  return 1;
}

}  // namespace disklens
