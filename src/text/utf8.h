#pragma once

#include <cstdint>

namespace disklens {

// Writes code point `cp` (at most U+10FFFF) as UTF-8 at `out`; returns its
// 1 to 4 bytes.
std::int32_t EncodeUtf8(std::uint32_t cp, char out[4]);

// Converts `srcUnits` UTF-16 code units to UTF-8 in `dst` (no NUL is added).
// The number of bytes written, or 0 when the text does not fit in `dstSize`
// bytes, holds an unpaired surrogate, or is empty.
std::int32_t Utf16ToUtf8(const std::uint16_t* src, std::int32_t srcUnits, char* dst,
                         std::int32_t dstSize);

}  // namespace disklens
