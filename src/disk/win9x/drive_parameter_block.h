// The 30-byte block exchanged with DKHLP32 ordinal 1, as the Windows 9x back
// end prepares and reads it, with its legacy form.
#pragma once

#include <cstdint>

#include "layout/drive_parameter_block.h"

namespace disklens {

struct DriveGeometry;

// All zero but the size word, which holds 30.
void PrepareDriveParameterBlock(std::uint8_t block[kDriveParameterBlockSize]);

// Takes cylinders, heads, sectors per track, bytes per sector and the total
// from a filled block into `geometry`; the legacy form carries the firmware's
// CX value in the upper half of the sectors-per-track word.
void DecodeDriveParameterBlock(const std::uint8_t block[kDriveParameterBlockSize],
                               DriveGeometry& geometry);

}  // namespace disklens
