// The checks of one EBR chain: how its walk ended, what each EBR holds, and
// whether its logical partitions and links stay inside their extended partition.
#pragma once

#include "check/finding.h"
#include "disk/geometry.h"
#include "mbr/extended_chain.h"
#include "mbr/partition_row.h"

namespace disklens {

// ebr.* findings, and the mbr.* findings of the chain's entries, for the chain
// walked behind sector 0's entry `slot` (0 to 3), `extended`.
void CheckChain(const MbrPartitionEntry& extended, int slot, const ChainRecord& chain,
                const BiosGeometry& bios, const DiskFacts& facts, Findings& out);

}  // namespace disklens
