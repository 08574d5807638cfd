// The 30-byte block exchanged with DKHLP32 ordinal 1, as the Windows 9x back
// end prepares and reads it, with its legacy form.
#pragma once

#include <cstdint>

#include "layout/drive_parameter_block.h"

namespace disklens {

// The shape a filled block gives, as the disk layer's geometry takes it.
struct DriveParameters {
  std::uint32_t cylinders = 0;
  std::uint32_t heads = 0;
  std::uint32_t sectorsPerTrack = 0;
  std::uint16_t bytesPerSector = 512;  // 0 in the block means 512
  std::uint64_t totalSectors = 0;
};

// All zero but the size word, which holds 30.
void PrepareDriveParameterBlock(std::uint8_t block[kDriveParameterBlockSize]);

// Cylinders, heads, sectors per track, bytes per sector and the total of a
// filled block; the legacy form carries the firmware's CX value in the upper
// half of the sectors-per-track word.
DriveParameters DecodeDriveParameterBlock(const std::uint8_t block[kDriveParameterBlockSize]);

}  // namespace disklens
