// The walk of an extended partition's chain of EBRs.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "state/chain_limits.h"
#include "mbr/partition_row.h"
#include "state/report_state.h"

namespace disklens {

// How a walk ended. Each end that is not the chain's own prints its line.
enum class ChainEnd {
  kLastEbr,      // an EBR without a link
  kNoSignature,  // an EBR without 0x55 0xAA, silently
  kNoBuffer,     // the chain buffer could not be had, silently
  kReadError,    // "Error on Read"
  kLoop,         // a link back to an EBR already walked
  kChainCap,     // kMaxChainEbrs EBRs walked, the chain goes on
  kPassBudget,   // the pass's kPassEbrBudget EBRs are used up
};

struct ChainWalk {
  ChainEnd end = ChainEnd::kLastEbr;
  std::uint64_t lba = 0;   // the EBR where the walk ended, or would have gone on
  std::uint32_t ebrs = 0;  // EBRs read
};

// One EBR of a walk: where it lies and its four entries as stored.
struct EbrRecord {
  std::uint64_t lba = 0;
  std::array<MbrPartitionEntry, 4> entries{};
  bool ruleAfter = false;  // the text's rule below its rows
};

// A whole walk: what was read, and how it ended.
struct ChainRecord {
  std::vector<EbrRecord> ebrs;
  ChainWalk walk;
};

// Walks the chain as PrintExtendedChain does, printing nothing.
ChainRecord WalkExtendedChain(ReportState& state, std::uint32_t baseLba,
                              std::uint16_t partitionNumber);

// Prints the "Volume Information" block of the chain whose first EBR lies at
// the absolute `baseLba`, each EBR's four rows in turn, and adds its logical
// partitions to the BootTargetList. Under "/all" their id is
// `partitionNumber` * 256 + the byte at offset 512 of the EBR's read, else 0.
// Ends at the first EBR without a link, a failed read, an EBR without 0x55 0xAA,
// a link back to an EBR already walked, after kMaxChainEbrs EBRs, or when the
// pass's EBR budget (`chainEbrsLeft`, which each EBR read lowers) runs out.
ChainWalk PrintExtendedChain(ReportState& state, std::uint32_t baseLba,
                             std::uint16_t partitionNumber);

// The "Volume Information" block of a walk already made.
void PrintChainRecord(const ChainRecord& chain);

}  // namespace disklens
