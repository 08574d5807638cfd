// Where the sectors the boot-sector checks read beside the report's lie;
// ReadBesideRow (state/report_state.h) reads them into the WorkBuffer's upper
// half, which no view of the boot row being checked reaches.
#pragma once

#include <cstdint>
#include <optional>

#include "check/finding.h"
#include "state/report_state.h"

namespace disklens {

// Where `length` bytes at `offset` from a partition's start lie on the disk:
// the first LBA, the byte within it, and the sectors that cover them, which
// ReadBesideRow then reads.
struct DiskSpan {
  std::uint64_t lba = 0;
  std::uint32_t within = 0;
  std::uint32_t sectors = 0;
};

// None when the span would pass what 64 bits hold or the disk's end (when
// known), or the disk's sector size is not known.
std::optional<DiskSpan> LocateInPartition(std::uint64_t partitionLba, std::uint64_t offset,
                                          std::uint32_t length, const DiskFacts& facts);

}  // namespace disklens
