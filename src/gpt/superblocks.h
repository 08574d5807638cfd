// The superblocks of Linux and Mac file systems and the Linux swap signature,
// looked for inside a partition's first 64 KiB.
#pragma once

#include <cstdint>

#include "bytes/bytes.h"
#include "disk/device.h"

namespace disklens {

// The kind code of what was found (kKindExt, kKindHfsPlus, kKindXfs,
// kKindReiserFs, kKindSwap), or 0. A failed read ends the search with 0.
// `first`, when not empty, is the partition's first sector as the caller has
// already read it: it stands in for every read of that sector here.
std::int32_t ProbeSuperblocks(DiskDevice* disk, std::uint64_t lba, ByteView first = {});

}  // namespace disklens
