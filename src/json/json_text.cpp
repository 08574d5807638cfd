#include "json/json_text.h"

#include <cstdio>

#include "text/utf8.h"

namespace disklens {

namespace {

void AppendUtf8(std::string& out, std::uint32_t cp) {
  char bytes[4];
  out.append(bytes, static_cast<std::size_t>(EncodeUtf8(cp, bytes)));
}

constexpr std::uint32_t kReplacement = 0xFFFD;

}  // namespace

std::string Latin1Text(const std::uint8_t* bytes, std::size_t length) {
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) AppendUtf8(out, bytes[i]);
  return out;
}

std::string Utf16Text(const std::uint16_t* units, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00u));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

void AppendFixedHex(std::string& out, std::uint64_t value, int digits) {
  char text[20];
  char* d = text + sizeof text;
  // 16 digits hold any value; a wider field is padded to 16 at most.
  for (int n = 0; (value != 0 || n < digits) && d != text + 4; ++n, value >>= 4)
    *--d = "0123456789ABCDEF"[value & 0xF];
  out += "0x";
  out.append(d, text + sizeof text);
}

std::string IsoLocalTime(int year, int month, int day, int hour, int minute, int second) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return text;
}

}  // namespace disklens
