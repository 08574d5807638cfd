// The checks of sector 0's table and of every EBR chain behind it.
#pragma once

#include "check/finding.h"
#include "mbr/mbr_record.h"
#include "mbr/mbr_table.h"

namespace disklens {

// mbr.* and ebr.* findings, appended to `out`.
void CheckMbrLayer(const MbrRecord& mbr, const MbrChains& chains, const DiskFacts& facts,
                   Findings& out);

}  // namespace disklens
