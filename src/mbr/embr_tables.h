// The text of the EMBR header and the three tables behind it: MPT, MBFT and MDT.
#pragma once

#include "mbr/embr_record.h"
#include "state/report_state.h"

namespace disklens {

// Prints nothing when `record` was not found.
void PrintEmbrRecord(const ReportState& state, const EmbrRecord& record);

}  // namespace disklens
