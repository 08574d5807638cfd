// The text of a valid GPT: its header values and one row per used entry.
#pragma once

#include "gpt/gpt_check.h"
#include "report/report_state.h"

namespace disklens {

// Prints the GPT that `view` (from a CheckGpt that returned 0) describes, and
// offers every used entry whose probed type has a decoder to the BootTargetList.
void PrintGptReport(ReportState& state, const GptView& view);

}  // namespace disklens
