// Whether the sectors of sector 0's partitions, of the logical partitions and
// of the EBRs themselves overlap, one partition inside another included.
#pragma once

#include "check/finding.h"
#include "mbr/mbr_record.h"
#include "mbr/mbr_table.h"

namespace disklens {

// The most mbr.overlap findings listed for one disk; a chain whose entries
// all name the same sectors would otherwise give one for every pair.
inline constexpr int kMaxOverlapFindings = 32;

// mbr.overlap findings, in the order of the later partition's start. An
// extended partition holds its own chain's EBRs and logical partitions: not
// an overlap. The 0xEE entry is the GPT checks'.
void CheckOverlaps(const MbrRecord& mbr, const MbrChains& chains, Findings& out);

}  // namespace disklens
