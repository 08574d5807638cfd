// The checks of sector 0 as a GPT disk's protective MBR: its 0xEE entry and,
// in a hybrid MBR, the entries beside it.
#pragma once

#include "check/finding.h"
#include "gpt/gpt_record.h"
#include "mbr/mbr_record.h"

namespace disklens {

// True when sector 0 was read and one of its entries has type 0xEE.
bool HasProtectiveEntry(const MbrRecord& mbr);

// pmbr.* findings, and hybrid.* ones against `gpt` (an intact copy; not found:
// no hybrid check), appended to `out`.
void CheckProtectiveMbr(const MbrRecord& mbr, const GptRecord& gpt, const DiskFacts& facts,
                        Findings& out);

}  // namespace disklens
