#pragma once

#include "mbr/mbr_record.h"
#include "mbr/mbr_table.h"
#include "state/report_state.h"

namespace disklens {

// Prints the MBR section of a sector 0 read already; nothing when its read failed.
void PrintMbrRecord(const ReportState& state, const MbrRecord& mbr, const MbrChains& chains);

// Prints the MBR table of sector 0 with every extended chain behind it.
void PrintMbrSection(ReportState& state);

}  // namespace disklens
