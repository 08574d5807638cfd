// GPT partition names (UTF-16LE) as narrow text for the console.
#pragma once

#include <cstdint>
#include <vector>

namespace disklens {

// Code units of the name field of a GPT entry.
inline constexpr std::int32_t kGptNameUnits = 36;

// Units before the first zero unit, at most `maxUnits`; 0 for a null pointer.
std::int32_t WideLength(const std::uint16_t* units, std::int32_t maxUnits = kGptNameUnits);

// Bytes of the text buffer for a name of `units` code units, its NUL included.
// The console is UTF-8 on POSIX, so there each unit may take 3 bytes; the
// Windows build sizes for the ANSI code page.
std::int32_t NameTextCapacity(std::int32_t units);

// Converts `srcUnits` units into `dst` with the console's conversion and ends
// the text with a NUL, within `dstSize` bytes. When the conversion fails, the
// low byte of each unit is taken instead. Returns `dst`.
char* WideToNarrow(char* dst, std::int32_t dstSize, const std::uint16_t* src,
                   std::int32_t srcUnits);

// The name's text in a new buffer of NameTextCapacity bytes (NUL-terminated).
std::vector<char> NameToText(const std::uint16_t* name);

// The most bytes NameTextCapacity gives for a whole name.
inline constexpr std::int32_t kNameTextMax = 3 * kGptNameUnits + 1;

// NameToText into `out`, converted within the same NameTextCapacity bytes.
char* NameToText(const std::uint16_t* name, char (&out)[kNameTextMax]);

}  // namespace disklens
