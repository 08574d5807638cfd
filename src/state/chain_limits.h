// Bounds on the EBRs that the chain walks read.
#pragma once

#include <cstdint>

namespace disklens {

// A chain longer than this is taken for a loop that the LBA record missed.
inline constexpr std::uint32_t kMaxChainEbrs = 4096;

// EBRs read by all the chain walks of one disk's pass together (the MBR's
// extended entries and, under "/all", the MPT's): the longest chain a walk may
// take, once behind the MBR and once behind the MPT. A chain that many entries
// name again can't make one disk's report grow past that.
inline constexpr std::uint32_t kPassEbrBudget = 2 * kMaxChainEbrs;

}  // namespace disklens
