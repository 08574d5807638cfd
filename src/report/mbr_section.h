#pragma once

#include "report/report_state.h"

namespace disklens {

// Prints the MBR table of sector 0 with every extended chain behind it.
void PrintMbrSection(ReportState& state);

}  // namespace disklens
