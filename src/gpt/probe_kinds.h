// What the content probe found, as a kind code: members of one family differ
// above the low byte, and the MBR-style ID of each comes from a table, not the bits.
#pragma once

#include <cstdint>

namespace disklens {

inline constexpr std::int32_t kKindNothing = 0;
inline constexpr std::int32_t kKindFat = 0x0001;  // FAT12 or FAT16
inline constexpr std::int32_t kKindFat32 = 0x000B;
inline constexpr std::int32_t kKindNtfs = 0x0007;
inline constexpr std::int32_t kKindExfat = 0x0207;
inline constexpr std::int32_t kKindRefs = 0x0307;
inline constexpr std::int32_t kKindBitLocker = 0x2000;
inline constexpr std::int32_t kKindExt = 0x0083;
inline constexpr std::int32_t kKindReiserFs = 0x0183;
inline constexpr std::int32_t kKindXfs = 0x0283;
inline constexpr std::int32_t kKindSwap = 0x0082;
inline constexpr std::int32_t kKindHfsPlus = 0x00AF;
inline constexpr std::int32_t kKindIso9660 = 0x9660;
inline constexpr std::int32_t kKindUnrecognised = -1;

}  // namespace disklens
