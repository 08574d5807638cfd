#include "text/utf8.h"

namespace disklens {

std::int32_t EncodeUtf8(std::uint32_t cp, char out[4]) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

std::int32_t Utf16ToUtf8(const std::uint16_t* src, std::int32_t srcUnits, char* dst,
                         std::int32_t dstSize) {
  if (src == nullptr || dst == nullptr || srcUnits <= 0 || dstSize <= 0) return 0;
  std::int32_t out = 0;
  for (std::int32_t i = 0; i < srcUnits; ++i) {
    std::uint32_t cp = src[i];
    if (cp < 0x80) {  // most names are ASCII
      if (out + 1 > dstSize) return 0;
      dst[out++] = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 1 >= srcUnits || src[i + 1] < 0xDC00 || src[i + 1] > 0xDFFF) return 0;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (src[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      return 0;
    }
    char bytes[4];
    const std::int32_t n = EncodeUtf8(cp, bytes);
    if (out + n > dstSize) return 0;
    for (std::int32_t k = 0; k < n; ++k) dst[out + k] = bytes[k];
    out += n;
  }
  return out;
}

}  // namespace disklens
