// Where the fields of an exFAT main (and backup) boot sector lie, as
// Microsoft's published exFAT file system description lays them out, and the
// shape of the boot region around it.
#pragma once

#include <cstddef>

namespace disklens {

namespace exfat {
inline constexpr std::size_t kFileSystemName = 3;      // 8 bytes: "EXFAT   "
inline constexpr std::size_t kMustBeZero = 11;         // 53 bytes
inline constexpr std::size_t kPartitionOffset = 64;    // u64, in sectors of the medium
inline constexpr std::size_t kVolumeLength = 72;       // u64, in sectors
inline constexpr std::size_t kFatOffset = 80;          // u32, sectors from the volume start
inline constexpr std::size_t kFatLength = 84;          // u32, sectors of one FAT
inline constexpr std::size_t kClusterHeapOffset = 88;  // u32, sectors
inline constexpr std::size_t kClusterCount = 92;       // u32
inline constexpr std::size_t kFirstClusterOfRootDirectory = 96;  // u32
inline constexpr std::size_t kVolumeSerialNumber = 100;          // u32
inline constexpr std::size_t kFileSystemRevision = 104;          // u16: minor low byte, major high
inline constexpr std::size_t kVolumeFlags = 106;                 // u16
inline constexpr std::size_t kBytesPerSectorShift = 108;         // u8: 9 to 12
inline constexpr std::size_t kSectorsPerClusterShift = 109;  // u8: the two shifts add to 25 at most
inline constexpr std::size_t kNumberOfFats = 110;            // u8: 1 or 2
inline constexpr std::size_t kDriveSelect = 111;             // u8
inline constexpr std::size_t kPercentInUse = 112;            // u8: 0xFF when not known
inline constexpr std::size_t kBootSignature = 510;           // u16: 0xAA55

// VolumeFlags bits.
inline constexpr unsigned kActiveFatBit = 0x1;
inline constexpr unsigned kVolumeDirtyBit = 0x2;
inline constexpr unsigned kMediaFailureBit = 0x4;

inline constexpr unsigned kMinSectorShift = 9;
inline constexpr unsigned kMaxSectorShift = 12;
inline constexpr unsigned kMaxClusterShift =
    25;  // bytes-per-sector shift plus sectors-per-cluster shift

// The boot region: the boot sector, 8 extended boot sectors, the OEM
// parameters, a reserved sector, then the checksum sector; the backup region
// repeats all twelve right behind.
inline constexpr unsigned kBootRegionSectors = 12;
inline constexpr unsigned kChecksumSector = 11;
inline constexpr unsigned kBackupRegionStart = 12;
inline constexpr unsigned kBothRegionsSectors = 24;
}  // namespace exfat

}  // namespace disklens
