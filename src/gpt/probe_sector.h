// The probe's one-sector reads, each into a buffer owned by its caller.
#pragma once

#include <cstdint>
#include <vector>

#include "disk/bytes.h"
#include "disk/device.h"

namespace disklens {

// A buffer of one sector of `disk` (empty when there is no disk).
std::vector<std::uint8_t> ProbeSectorBuffer(const DiskDevice* disk);

// Reads the sector `offset` sectors after `base` into `buffer` and points
// `sector` at it. False, with `sector` empty, when the read fails or when the
// sector can't be addressed: base + offset past 2^64 - 1, or a byte position
// past 2^63 - 1, would otherwise wrap round to some other sector of the disk.
bool ReadProbeSector(DiskDevice* disk, std::uint64_t base, std::uint64_t offset,
                     std::vector<std::uint8_t>& buffer, ByteView& sector);

}  // namespace disklens
