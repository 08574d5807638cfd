#pragma once

#include "gpt/gpt_report.h"
#include "state/report_state.h"

namespace disklens {

// Reads LBA 0 on and, when LBA 1 holds a valid GPT, walks its used entries.
GptRecord ReadGpt(ReportState& state);

// Prints the GPT header and its used entries, when LBA 1 holds a valid GPT.
void PrintGptSection(ReportState& state);

}  // namespace disklens
