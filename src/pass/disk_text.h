// The text report of one disk: its sections printed from the records of the pass.
#pragma once

#include "state/report_state.h"

namespace disklens {

// Reads the disk open in `state` and prints its MBR, EMBR, GPT and BOOT
// SECTOR INFORMATION sections, each one that has something to show.
void PrintDiskReport(ReportState& state);

}  // namespace disklens
