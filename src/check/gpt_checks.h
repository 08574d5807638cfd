// The checks of the protective MBR and of both GPT copies: the backup's header
// and entry array are read here, and the primary's too unless the report's
// GPT section found it valid and handed its sectors on.
#pragma once

#include <optional>

#include "check/disk_check.h"
#include "check/finding.h"
#include "check/gpt_copy.h"
#include "gpt/gpt_record.h"
#include "mbr/mbr_record.h"
#include "state/report_state.h"

namespace disklens {

// pmbr.*, hybrid.* and gpt.* findings, appended to `check.findings`; sets
// `check.backup` and `check.listBackup`.
// `held`, when the report found the primary valid, is that primary's sectors.
void CheckGptLayer(ReportState& state, const MbrRecord& mbr, std::optional<HeldGptCopy> held,
                   const DiskFacts& facts, DiskCheck& check);

}  // namespace disklens
