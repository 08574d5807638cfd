// Where the fields of an MBR (sector 0) or an EBR lie, and those of one of its
// four 16-byte partition entries, from the entry's start.
#pragma once

#include <cstddef>
#include <cstdint>

namespace disklens {

inline constexpr std::size_t kDiskSignatureOffset = 0x1B8;  // u32, sector 0 only
inline constexpr std::size_t kPartitionTableOffset = 446;
inline constexpr std::size_t kPartitionEntrySize = 16;
inline constexpr std::size_t kBootSignatureOffset = 510;  // u16
inline constexpr std::uint16_t kBootSignature = 0xAA55;   // the bytes 0x55 0xAA

namespace mbr_entry {
inline constexpr std::size_t kStatus = 0;         // u8: 0x80 active
inline constexpr std::size_t kStartHead = 1;      // u8
inline constexpr std::size_t kStartSector = 2;    // u8: sector, cylinder bits 8-9 above
inline constexpr std::size_t kStartCylinder = 3;  // u8: cylinder bits 0-7
inline constexpr std::size_t kType = 4;           // u8
inline constexpr std::size_t kEndHead = 5;        // u8
inline constexpr std::size_t kEndSector = 6;      // u8
inline constexpr std::size_t kEndCylinder = 7;    // u8
inline constexpr std::size_t kStartLba = 8;       // u32
inline constexpr std::size_t kSectorCount = 12;   // u32
}  // namespace mbr_entry

}  // namespace disklens
