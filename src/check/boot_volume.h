// What a row of BOOT SECTOR INFORMATION holds as the boot-sector checks see
// it: a FAT12/16, a FAT32 or an NTFS volume (or none of them), and the
// numbers of its boot sector they compare; plus the arithmetic they share.
#pragma once

#include <cstdint>
#include <string>

#include "bootsector/boot_row.h"

namespace disklens {

enum class CheckedFsKind { kNone, kFat, kFat32, kNtfs };

struct BootVolume {
  CheckedFsKind kind = CheckedFsKind::kNone;
  std::uint32_t bytesPerSector = 0;      // as recorded
  std::uint64_t totalSectors = 0;        // FAT: the 16- or 32-bit count; NTFS: the count + 1
  std::uint32_t totalSectorsOffset = 0;  // the field that gave it
};

// The volume in `row.sector`, told by its content, not by the decoder: a FAT
// type byte may hold NTFS and the other way round. A blank or foreign sector
// (exFAT, HPFS, an unformatted partition) is kNone.
BootVolume ReadBootVolume(const BootRowRecord& row);

// "FAT12/16", "FAT32", "NTFS".
const char* VolumeKindName(CheckedFsKind kind);

// A power of two from `low` to 4,096.
bool IsSectorSize(std::uint64_t value, std::uint64_t low);

// a * b and a + b, held at UINT64_MAX instead of wrapping: sizes read from
// disk are never trusted to fit.
std::uint64_t MulSat(std::uint64_t a, std::uint64_t b);
std::uint64_t AddSat(std::uint64_t a, std::uint64_t b);

}  // namespace disklens
