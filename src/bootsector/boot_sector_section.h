#pragma once

#include "bootsector/boot_row.h"
#include "state/report_state.h"

namespace disklens {

// The section's title and rule, printed only when the list has a row.
void PrintBootSectorHeading();

// One row's text with the rule below it; `row` is read already.
void PrintBootRow(const BootRowRecord& row);

// Prints the decoded boot sector of every row of the BootTargetList.
void PrintBootSectorInformation(ReportState& state);

}  // namespace disklens
