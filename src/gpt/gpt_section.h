#pragma once

#include "report/report_state.h"

namespace disklens {

// Prints the GPT header and its used entries, when LBA 1 holds a valid GPT.
void PrintGptSection(ReportState& state);

}  // namespace disklens
