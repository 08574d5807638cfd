// GUIDs as braced, upper-case text: {C12A7328-F81F-11D2-BA4B-00A0C93EC93B}.
#pragma once

#include <cstdint>

namespace disklens {

inline constexpr const char* kGuidTemplate = "{dddddddd-wwww-wwww-hhhh-hhhhhhhhhhhh}";

// Writes the two upper-case hex digits of `value` and a NUL to `out`.
void HexByte(std::uint8_t value, char* out);

// Formats 16 source bytes by `pattern`: a run "dddddddd" takes 4 bytes as a
// little-endian 32-bit value, "wwww" 2 bytes as a 16-bit one, "hh" one byte;
// other characters are copied. 1 on success; 0, with `out` untouched, when
// `outSize` can't hold the text and its NUL.
std::int32_t FormatByTemplate(char* out, std::uint32_t outSize, const std::uint8_t* source,
                              const char* pattern);

// FormatByTemplate with kGuidTemplate: 38 characters and the NUL.
std::int32_t FormatGuid(char* out, std::uint32_t outSize, const std::uint8_t* source);

}  // namespace disklens
