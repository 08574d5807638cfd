#include "check/mbr_overlap.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "check/mbr_entry_checks.h"
#include "mbr/partition_types.h"

namespace disklens {

namespace {

constexpr std::uint8_t kGptProtectiveType = 0xEE;

struct Extent {
  enum class Kind { kPrimary, kExtended, kLogical, kEbr };
  Kind kind = Kind::kPrimary;
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  int chain = -1;  // the sector 0 slot of the extended entry it belongs to or is
  EntrySite site;

  std::string Name() const {
    switch (kind) {
      case Kind::kEbr:
        return "the EBR at LBA " + std::to_string(first);
      case Kind::kExtended:
        return "extended " + EntryName(site) + " (" + SectorRange(first, last - first + 1) + ")";
      case Kind::kPrimary:
      case Kind::kLogical:
        break;
    }
    return EntryName(site) + " (" + SectorRange(first, last - first + 1) + ")";
  }
};

bool OwnChain(const Extent& a, const Extent& b) {
  return a.chain >= 0 && a.chain == b.chain &&
         (a.kind == Extent::Kind::kExtended || b.kind == Extent::Kind::kExtended);
}

std::vector<Extent> CollectExtents(const MbrRecord& mbr, const MbrChains& chains) {
  std::vector<Extent> extents;
  for (int i = 0; i < 4; ++i) {
    const MbrPartitionEntry& e = mbr.entries[static_cast<std::size_t>(i)];
    const EntrySite site{0, i, false};
    const std::uint64_t first = e.startLba;
    if (IsMbrExtendedType(e.type)) {
      if (e.sectorCount != 0) {
        extents.push_back({Extent::Kind::kExtended, first, first + e.sectorCount - 1, i, site});
      }
    } else if (DescribesSectors(e) && e.type != kGptProtectiveType) {
      extents.push_back({Extent::Kind::kPrimary, first, first + e.sectorCount - 1, -1, site});
    }
    if (!chains[static_cast<std::size_t>(i)]) continue;
    for (const EbrRecord& ebr : chains[static_cast<std::size_t>(i)]->ebrs) {
      extents.push_back({Extent::Kind::kEbr, ebr.lba, ebr.lba, i, EntrySite{ebr.lba, 0, true}});
      for (int j = 0; j < 4; ++j) {
        const MbrPartitionEntry& l = ebr.entries[static_cast<std::size_t>(j)];
        if (IsMbrExtendedType(l.type) || !DescribesSectors(l)) continue;
        const std::uint64_t start = ebr.lba + l.startLba;
        extents.push_back({Extent::Kind::kLogical, start, start + l.sectorCount - 1, i,
                           EntrySite{ebr.lba, j, true}});
      }
    }
  }
  return extents;
}

Finding OverlapFinding(const Extent& earlier, const Extent& later) {
  Finding f;
  f.id = "mbr.overlap";
  f.severity = Severity::kError;
  f.lba = later.first;
  if (later.last <= earlier.last) {
    f.message = later.Name() + " lies inside " + earlier.Name();
  } else if (later.first == earlier.first) {
    f.message = earlier.Name() + " lies inside " + later.Name();
  } else {
    f.message = later.Name() + " overlaps " + earlier.Name() + " by " +
                std::to_string(earlier.last - later.first + 1) + " sectors";
  }
  f.hint =
      "A write to either destroys the other's data: copy both off before mending the "
      "table (fdisk, sfdisk)";
  return f;
}

}  // namespace

// Sorted by start, each extent meets only those still open at its start, so
// the work stays near the number of extents plus the overlaps listed.
void CheckOverlaps(const MbrRecord& mbr, const MbrChains& chains, Findings& out) {
  std::vector<Extent> extents = CollectExtents(mbr, chains);
  std::stable_sort(extents.begin(), extents.end(), [](const Extent& a, const Extent& b) {
    return std::tie(a.first, a.last) < std::tie(b.first, b.last);
  });
  std::vector<const Extent*> open;
  int listed = 0;
  for (const Extent& e : extents) {
    std::erase_if(open, [&e](const Extent* o) { return o->last < e.first; });
    for (const Extent* o : open) {
      if (OwnChain(*o, e)) continue;
      if (listed == kMaxOverlapFindings) {
        Finding more;
        more.id = "mbr.overlap";
        more.severity = Severity::kError;
        more.message = "more partitions overlap than the " + std::to_string(kMaxOverlapFindings) +
                       " pairs listed";
        out.push_back(std::move(more));
        return;
      }
      out.push_back(OverlapFinding(*o, e));
      ++listed;
    }
    open.push_back(&e);
  }
}

}  // namespace disklens
