// The three tables behind an EMBR header: MPT, MBFT and MDT.
#pragma once

#include <cstddef>
#include <optional>

#include "disk/bytes.h"
#include "report/report_state.h"

namespace disklens {


// Each prints the table whose header starts at `offset` of `embr` (the data
// read, from the EMBR on) and returns the offset right behind its last entry,
// where the next table may start. None when the data read ends inside the
// table: the entries up to there are printed, and no further table is looked for.
//
// The MPT also adds its partitions with a decoder to the BootTargetList, and
// under "/all" walks the chain of every entry of extended type.
std::optional<std::size_t> PrintMptTable(ReportState& state, ByteView embr, std::size_t offset);
std::optional<std::size_t> PrintMbftTable(ByteView embr, std::size_t offset);
std::optional<std::size_t> PrintMdtTable(ByteView embr, std::size_t offset);

}  // namespace disklens
