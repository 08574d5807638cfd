// The four rows of sector 0, with the chain behind every extended entry.
#pragma once

#include <array>
#include <optional>

#include "mbr/extended_chain.h"
#include "mbr/mbr_record.h"
#include "state/report_state.h"

namespace disklens {

// The chain walked behind each extended entry of sector 0, by entry.
using MbrChains = std::array<std::optional<ChainRecord>, 4>;

// Walks the chain of every extended entry (not only the first) and adds the
// primary partitions that have a decoder to the BootTargetList, with their
// entry number 1 to 4 as id.
MbrChains WalkMbrTable(ReportState& state, const MbrRecord& mbr);

// The rows, each extended one followed by its chain.
void PrintMbrTable(const ReportState& state, const MbrRecord& mbr, const MbrChains& chains);

}  // namespace disklens
