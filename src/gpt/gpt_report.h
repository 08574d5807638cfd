// The text of a valid GPT: its header values and one row per used entry.
#pragma once

#include "gpt/gpt_check.h"
#include "gpt/gpt_record.h"
#include "state/report_state.h"

namespace disklens {

// The GPT that `view` (from a CheckGpt that returned 0, over bytes read from
// LBA 0) describes, with every used entry probed in slot order; those whose
// probed type has a decoder go to the BootTargetList.
GptRecord WalkGpt(ReportState& state, const GptView& view);

// Prints nothing when `gpt` was not found.
void PrintGptReport(const ReportState& state, const GptRecord& gpt);

// The column heads and one row per used entry, as the GPT section prints them.
void PrintGptEntryTable(const GptRecord& gpt);

}  // namespace disklens
