// The text of the EMBR header and the three tables behind it: MPT, MBFT and MDT.
#pragma once

#include "report/embr_record.h"
#include "report/report_state.h"

namespace disklens {

// Prints nothing when `record` was not found.
void PrintEmbrRecord(const ReportState& state, const EmbrRecord& record);

}  // namespace disklens
