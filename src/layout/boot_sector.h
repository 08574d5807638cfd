// Where the marks that the content probe looks for lie in a boot sector: a few
// fields of the BIOS parameter block (the decoders' field tables in
// bootsector/boot_fields.cpp give them all) and the marks of boot loaders.
#pragma once

#include <cstddef>

namespace disklens {

namespace boot_sector {
inline constexpr std::size_t kJump = 0;                 // u8 0xEB or 0xE9, then its target
inline constexpr std::size_t kOemName = 3;              // 8 bytes: "NTFS    ", "-FVE-FS-", ...
inline constexpr std::size_t kLiloMark = 6;             // "LILO"
inline constexpr std::size_t kBytesPerSector = 0x0B;    // u16
inline constexpr std::size_t kSectorsPerCluster = 0x0D;  // u8
inline constexpr std::size_t kReservedSectors = 0x0E;   // u16
inline constexpr std::size_t kFatCount = 0x10;          // u8
inline constexpr std::size_t kRootEntries = 0x11;       // u16
inline constexpr std::size_t kTotalSectors16 = 0x13;    // u16; 0: the u32 at 0x20 counts
inline constexpr std::size_t kMedia = 0x15;             // u8: 0xF0 and above
inline constexpr std::size_t kSectorsPerFat16 = 0x16;   // u16; 0 on FAT32
inline constexpr std::size_t kHiddenSectors = 0x1C;     // u32
inline constexpr std::size_t kTotalSectors32 = 0x20;    // u32
inline constexpr std::size_t kFat16StateFlags = 0x25;   // u8: bit 0 dirty
inline constexpr std::size_t kFat32SectorsPerFat = 0x24;  // u32
inline constexpr std::size_t kFat32FsInfoSector = 0x30;  // u16, within the volume
inline constexpr std::size_t kFat32BackupBootSector = 0x32;  // u16, within the volume
inline constexpr std::size_t kFat32StateFlags = 0x41;   // u8: bit 0 dirty
inline constexpr std::size_t kNtfsTotalSectors = 0x28;  // u64: the volume less its backup sector
inline constexpr std::size_t kFat16FileSystemType = 0x36;  // 8 bytes: "FAT12   ", "FAT16   "
inline constexpr std::size_t kGrubLegacyVersion = 0x3E;    // u16: 0x0203 for 3.2
inline constexpr std::size_t kFat32FileSystemType = 0x52;  // 8 bytes: "FAT32   "
// A boot sector marked as an MBR holds "MBR-help" starting somewhere in
// 0x130 to 0x1B0.
inline constexpr std::size_t kMbrHelpArea = 0x130;
inline constexpr std::size_t kMbrHelpAreaSize = 136;
}  // namespace boot_sector

// The FAT32 FSInfo sector's three marks.
namespace fs_info {
inline constexpr std::size_t kLeadSignature = 0;      // u32 0x41615252
inline constexpr std::size_t kStructSignature = 484;  // u32 0x61417272
inline constexpr std::size_t kTrailSignature = 508;   // u32 0xAA550000
}  // namespace fs_info

}  // namespace disklens
