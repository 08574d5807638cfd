// The four rows of sector 0, with the chain behind every extended entry.
#pragma once

#include "disk/bytes.h"
#include "report/report_state.h"

namespace disklens {

// `sector0` is the data read from LBA 0. Adds the primary partitions that have
// a decoder to the BootTargetList with their entry number 1 to 4 as id.
void PrintMbrTable(ReportState& state, ByteView sector0);

}  // namespace disklens
