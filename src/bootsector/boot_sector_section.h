#pragma once

#include "report/report_state.h"

namespace disklens {

// Prints the decoded boot sector of every row of the BootTargetList.
void PrintBootSectorInformation(ReportState& state);

}  // namespace disklens
