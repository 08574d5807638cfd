#include "gpt/name_column.h"

#include <cstdint>

#ifndef _WIN32
#include "text/char_width.h"
#endif

namespace disklens {

namespace {

bool IsControl(std::uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

#ifndef _WIN32
// Length of the well-formed UTF-8 sequence at `s` (1 to 4) with its code point,
// or 0 when the bytes there are not one.
int DecodeUtf8(const unsigned char* s, std::uint32_t& cp) {
  const unsigned char b = s[0];
  int length;
  std::uint32_t min;
  if (b < 0x80) {
    cp = b;
    return 1;
  } else if (b >= 0xC2 && b <= 0xDF) {
    length = 2, min = 0x80, cp = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, min = 0x800, cp = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, min = 0x10000, cp = b & 0x07u;
  } else {
    return 0;
  }
  for (int i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 0;  // the NUL ends a sequence early too
    cp = (cp << 6) | (s[i] & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}
#endif

}  // namespace

std::string FitNameColumn(const char* text) {
  std::string out;
  std::size_t columns = 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text != nullptr ? text : "");
#ifdef _WIN32
  for (; *s != 0 && columns < kNameColumnWidth; ++s, ++columns) {
    out += IsControl(*s) && *s < 0x80 ? '?' : static_cast<char>(*s);
  }
#else
  // By display columns: a wide character takes two, a combining mark none and
  // stays with its base even in the last column. A wide character that does
  // not fit in the last column is left out, and the padding takes its place.
  out.reserve(kNameColumnWidth + 8);
  while (*s != 0) {
    // Printable ASCII takes one column each, as wcwidth says; most names are
    // nothing else.
    if (*s >= 0x20 && *s < 0x7F) {
      const unsigned char* run = s;
      while (*run >= 0x20 && *run < 0x7F &&
             columns + static_cast<std::size_t>(run - s) < kNameColumnWidth) {
        ++run;
      }
      if (run == s) break;  // the column is full
      out.append(reinterpret_cast<const char*>(s), static_cast<std::size_t>(run - s));
      columns += static_cast<std::size_t>(run - s);
      s = run;
      continue;
    }
    std::uint32_t cp = 0;
    const int length = DecodeUtf8(s, cp);
    const bool shown = length != 0 && !IsControl(cp);
    const std::size_t width = shown ? static_cast<std::size_t>(CharWidth(cp)) : 1;
    if (columns + width > kNameColumnWidth) break;
    if (shown) {
      out.append(reinterpret_cast<const char*>(s), static_cast<std::size_t>(length));
    } else {
      out += '?';
    }
    s += length == 0 ? 1 : length;
    columns += width;
  }
#endif
  out.append(kNameColumnWidth - columns, ' ');
  return out;
}

}  // namespace disklens
