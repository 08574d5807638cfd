#include "gpt/guid_text.h"

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
  // The byte of the source that each pair of digits shows, in text order.
  static constexpr std::uint8_t kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char* o = out;
  *o++ = '{';
  for (std::size_t i = 0; i < 16; ++i) {
    const std::uint8_t b = source[kOrder[i]];
    o[0] = kDigits[b >> 4];
    o[1] = kDigits[b & 0xF];
    o += 2;
    if (i == 3 || i == 5 || i == 7 || i == 9) *o++ = '-';
  }
  *o++ = '}';
  *o = '\0';
  return 1;
}

}  // namespace disklens
