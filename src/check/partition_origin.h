// Where a row of BOOT SECTOR INFORMATION was described: an entry of sector 0,
// of an EBR, or of the GPT; the boot-sector checks need its table's view.
#pragma once

#include <cstdint>
#include <vector>

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

// The entries that put a partition somewhere, built once per disk: Find
// gives the one that puts a partition at `lba`, sector 0's first, then the
// chains', then the GPT's; kUnknown when none does (an EMBR MPT row, /all).
// The records must outlive it.
class PartitionOrigins {
 public:
  PartitionOrigins(const MbrRecord& mbr, const MbrChains& chains, const GptRecord& gpt);
  PartitionOrigin Find(std::uint64_t lba) const;

 private:
  struct Start {
    std::uint64_t lba = 0;
    PartitionOrigin origin;
  };
  std::vector<Start> starts_;  // by LBA; those of one LBA in the order Find prefers
};

}  // namespace disklens
