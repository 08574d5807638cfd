#include "check/partition_origin.h"

#include "mbr/partition_types.h"

namespace disklens {

PartitionOrigin FindPartitionOrigin(const BootTarget& row, const MbrRecord& mbr,
                                    const MbrChains& chains, const GptRecord& gpt) {
  PartitionOrigin origin;
  for (const MbrPartitionEntry& e : mbr.entries) {
    if (e.type != 0 && e.startLba == row.lba) {
      origin.table = PartitionOrigin::Table::kMbr;
      origin.typeByte = e.type;
      origin.entrySectors = e.sectorCount;
      return origin;
    }
  }
  for (const auto& chain : chains) {
    if (!chain) continue;
    for (const EbrRecord& ebr : chain->ebrs) {
      for (const MbrPartitionEntry& e : ebr.entries) {
        // A logical partition's start counts from its own EBR.
        if (e.type == 0 || IsMbrExtendedType(e.type) || ebr.lba + e.startLba != row.lba) continue;
        origin.table = PartitionOrigin::Table::kLogical;
        origin.typeByte = e.type;
        origin.ebrLba = ebr.lba;
        origin.entrySectors = e.sectorCount;
        return origin;
      }
    }
  }
  if (gpt.found) {
    for (const GptEntryRecord& e : gpt.entries) {
      if (e.firstLba != row.lba) continue;
      origin.table = PartitionOrigin::Table::kGpt;
      origin.entrySectors = e.lastLba >= e.firstLba ? e.lastLba - e.firstLba + 1 : 0;
      origin.gpt = &e;
      return origin;
    }
  }
  return origin;
}

}  // namespace disklens
