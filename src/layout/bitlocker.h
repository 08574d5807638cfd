// Where the fields of a BitLocker volume header lie, as libbde's description
// of the BitLocker Drive Encryption format lays them out: Windows Vista's
// NTFS-shaped header, Windows 7's FAT32-shaped one, and the FAT32 boot sector
// of a BitLocker To Go discovery volume.
#pragma once

#include <cstddef>
#include <cstdint>

namespace disklens {

namespace bitlocker {
inline constexpr std::size_t kSignature = 3;  // 8 bytes: "-FVE-FS-" (To Go: "MSWIN4.1")
// The BIOS parameter block that every layout keeps.
inline constexpr std::size_t kBytesPerSector = 11;     // u16
inline constexpr std::size_t kSectorsPerCluster = 13;  // u8
inline constexpr std::size_t kReservedSectors = 14;    // u16
inline constexpr std::size_t kTotalSectors16 = 19;     // u16
inline constexpr std::size_t kMedia = 21;              // u8
inline constexpr std::size_t kSectorsPerTrack = 24;    // u16
inline constexpr std::size_t kHeads = 26;              // u16
inline constexpr std::size_t kHiddenSectors = 28;      // u32
inline constexpr std::size_t kTotalSectors32 = 32;     // u32
// Windows Vista.
inline constexpr std::size_t kVistaTotalSectors64 = 40;      // u64
inline constexpr std::size_t kVistaMftCluster = 48;          // u64
inline constexpr std::size_t kVistaMetadataCluster = 56;     // u64: the one FVE metadata block
inline constexpr std::size_t kVistaVolumeSerialNumber = 72;  // u64
// Windows 7 and later, and To Go: a FAT32 extended BPB.
inline constexpr std::size_t kFat32VolumeSerialNumber = 67;  // u32
inline constexpr std::size_t kFat32VolumeLabel = 71;         // 11 bytes
inline constexpr std::size_t kFat32FileSystemType = 82;      // 8 bytes: "FAT32   "
inline constexpr std::size_t kIdentifier = 160;              // 16 bytes: a GUID
inline constexpr std::size_t kMetadataOffsets = 176;         // 3 x u64, bytes from the volume start
inline constexpr std::size_t kToGoIdentifier = 424;          // 16 bytes: a GUID
inline constexpr std::size_t kToGoMetadataOffsets = 440;     // 3 x u64
inline constexpr std::size_t kMetadataOffsetCount = 3;

// {4967D63B-2E29-4AD8-8399-F6A339E3D001}, as stored on disk.
inline constexpr std::uint8_t kIdentifierBytes[16] = {
    0x3B, 0xD6, 0x67, 0x49, 0x29, 0x2E, 0xD8, 0x4A, 0x83, 0x99, 0xF6, 0xA3, 0x39, 0xE3, 0xD0, 0x01};
}  // namespace bitlocker

}  // namespace disklens
