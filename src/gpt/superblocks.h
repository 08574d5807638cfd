// The superblocks of Linux and Mac file systems and the Linux swap signature,
// looked for inside a partition's first 64 KiB.
#pragma once

#include <cstdint>

#include "disk/device.h"

namespace disklens {

// The kind code of what was found (kKindExt, kKindHfsPlus, kKindXfs,
// kKindReiserFs, kKindSwap), or 0. A failed read ends the search with 0.
std::int32_t ProbeSuperblocks(DiskDevice* disk, std::uint64_t lba);

}  // namespace disklens
