// The walk of an extended partition's chain of EBRs.
#pragma once

#include <cstdint>

#include "report/report_state.h"

namespace disklens {

// A chain longer than this is taken for a loop that the LBA record missed.
inline constexpr std::uint32_t kMaxChainEbrs = 4096;

// Prints the "Volume Information" block of the chain whose first EBR lies at
// the absolute `baseLba`, each EBR's four rows in turn, and adds its logical
// partitions to the BootTargetList. Under "/all" their id is
// `partitionNumber` * 256 + the byte at offset 512 of the EBR's read, else 0.
// Ends at the first EBR without a link, a failed read, an EBR without 0x55 0xAA,
// or a link back to an EBR already walked.
void PrintExtendedChain(ReportState& state, std::uint32_t baseLba, std::uint16_t partitionNumber);

}  // namespace disklens
