#pragma once

#include "state/report_state.h"

namespace disklens {

// Prints the EMBR with its MPT, MBFT and MDT tables, when LBA 1 or 2 holds one.
void PrintEmbrSection(ReportState& state);

}  // namespace disklens
