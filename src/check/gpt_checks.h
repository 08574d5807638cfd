// The checks of the protective MBR and of both GPT copies: the backup's header
// and entry array are read here, the primary's come from the report's record.
#pragma once

#include "check/disk_check.h"
#include "check/finding.h"
#include "gpt/gpt_record.h"
#include "mbr/mbr_record.h"
#include "state/report_state.h"

namespace disklens {

// pmbr.*, hybrid.* and gpt.* findings, appended to `check.findings`; sets
// `check.backup` and `check.listBackup`.
void CheckGptLayer(ReportState& state, const MbrRecord& mbr, const GptRecord& primary,
                   const DiskFacts& facts, DiskCheck& check);

}  // namespace disklens
