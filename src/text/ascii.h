// Byte tests of ASCII that do not depend on the C library's locale.
#pragma once

namespace disklens {

// Bytes below 0x20 and DEL: with them a crafted disk could send control
// sequences to the terminal.
inline constexpr bool IsControlByte(unsigned char c) { return c < 0x20 || c == 0x7F; }

// 'A' to 'Z' as 'a' to 'z', every other byte as it is.
inline constexpr unsigned char AsciiLower(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace disklens
