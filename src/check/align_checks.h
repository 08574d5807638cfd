// Whether every partition starts and ends on the disk's physical sectors and
// on 1 MiB.
#pragma once

#include "check/finding.h"
#include "gpt/gpt_record.h"
#include "mbr/mbr_record.h"
#include "mbr/mbr_table.h"

namespace disklens {

// align.* findings for the primaries, the logical partitions and the entries
// of `gpt` (the copy the report or the check lists), appended to `out`.
void CheckAlignment(const MbrRecord& mbr, const MbrChains& chains, const GptRecord& gpt,
                    const DiskFacts& facts, Findings& out);

}  // namespace disklens
