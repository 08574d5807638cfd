#include "check/partition_origin.h"

#include <algorithm>

#include "mbr/partition_types.h"

namespace disklens {

PartitionOrigins::PartitionOrigins(const MbrRecord& mbr, const MbrChains& chains,
                                   const GptRecord& gpt) {
  for (const MbrPartitionEntry& e : mbr.entries) {
    if (e.type == 0) continue;
    PartitionOrigin origin;
    origin.table = PartitionOrigin::Table::kMbr;
    origin.typeByte = e.type;
    origin.entrySectors = e.sectorCount;
    starts_.push_back({e.startLba, origin});
  }
  for (const auto& chain : chains) {
    if (!chain) continue;
    for (const EbrRecord& ebr : chain->ebrs) {
      for (const MbrPartitionEntry& e : ebr.entries) {
        // A logical partition's start counts from its own EBR.
        if (e.type == 0 || IsMbrExtendedType(e.type)) continue;
        PartitionOrigin origin;
        origin.table = PartitionOrigin::Table::kLogical;
        origin.typeByte = e.type;
        origin.ebrLba = ebr.lba;
        origin.entrySectors = e.sectorCount;
        starts_.push_back({ebr.lba + e.startLba, origin});
      }
    }
  }
  if (gpt.found) {
    for (const GptEntryRecord& e : gpt.entries) {
      PartitionOrigin origin;
      origin.table = PartitionOrigin::Table::kGpt;
      origin.entrySectors = e.lastLba >= e.firstLba ? e.lastLba - e.firstLba + 1 : 0;
      origin.gpt = &e;
      starts_.push_back({e.firstLba, origin});
    }
  }
  const auto byLba = [](const Start& a, const Start& b) { return a.lba < b.lba; };
  // Most tables list their entries in order already.
  if (!std::is_sorted(starts_.begin(), starts_.end(), byLba)) {
    std::stable_sort(starts_.begin(), starts_.end(), byLba);
  }
}

PartitionOrigin PartitionOrigins::Find(std::uint64_t lba) const {
  const auto it = std::lower_bound(starts_.begin(), starts_.end(), lba,
                                   [](const Start& s, std::uint64_t at) { return s.lba < at; });
  return it != starts_.end() && it->lba == lba ? it->origin : PartitionOrigin{};
}

}  // namespace disklens
