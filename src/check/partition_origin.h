// Where a row of BOOT SECTOR INFORMATION was described: an entry of sector 0,
// of an EBR, or of the GPT; the boot-sector checks need its table's view.
#pragma once

#include <cstdint>

#include "gpt/gpt_record.h"
#include "mbr/mbr_record.h"
#include "mbr/mbr_table.h"
#include "state/boot_targets.h"

namespace disklens {

struct PartitionOrigin {
  enum class Table { kUnknown, kMbr, kLogical, kGpt };
  Table table = Table::kUnknown;
  std::uint8_t typeByte = 0;            // kMbr, kLogical: the entry's type byte
  std::uint64_t ebrLba = 0;             // kLogical: the EBR whose entry describes it
  std::uint64_t entrySectors = 0;       // the entry's size in sectors
  const GptEntryRecord* gpt = nullptr;  // kGpt: the entry, valid while the record lives
};

// The entry that puts a partition at `row.lba`: sector 0's first, then the
// chains', then the GPT's; kUnknown when none does (an EMBR MPT row, /all).
PartitionOrigin FindPartitionOrigin(const BootTarget& row, const MbrRecord& mbr,
                                    const MbrChains& chains, const GptRecord& gpt);

}  // namespace disklens
