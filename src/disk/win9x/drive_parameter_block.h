// The 30-byte block exchanged with DKHLP32 ordinal 1: the result buffer of the
// firmware's get-drive-parameters service, with its legacy form.
#pragma once

#include <cstdint>

namespace disklens {

struct DriveGeometry;

inline constexpr std::uint32_t kDriveParameterBlockSize = 30;

// All zero but the size word, which holds 30.
void PrepareDriveParameterBlock(std::uint8_t block[kDriveParameterBlockSize]);

// Takes cylinders, heads, sectors per track, bytes per sector and the total
// from a filled block into `geometry`; the legacy form carries the firmware's
// CX value in the upper half of the sectors-per-track word.
void DecodeDriveParameterBlock(const std::uint8_t block[kDriveParameterBlockSize],
                               DriveGeometry& geometry);

// Fills a block the way a current firmware does (no legacy form).
void EncodeDriveParameterBlock(std::uint32_t cylinders, std::uint32_t heads,
                               std::uint32_t sectorsPerTrack, std::uint64_t totalSectors,
                               std::uint16_t bytesPerSector,
                               std::uint8_t block[kDriveParameterBlockSize]);

}  // namespace disklens
