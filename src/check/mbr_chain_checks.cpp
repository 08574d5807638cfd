#include "check/mbr_chain_checks.h"

#include <cstdint>
#include <string>
#include <utility>

#include "check/mbr_entry_checks.h"
#include "layout/mbr.h"
#include "mbr/partition_types.h"
#include "state/chain_limits.h"

namespace disklens {

namespace {

// The extended partition a chain hangs from, as the findings name it.
struct ExtendedArea {
  std::uint64_t first = 0;
  std::uint64_t count = 0;
  int slot = 0;

  bool Holds(std::uint64_t start, std::uint64_t sectors) const {
    return start >= first && start + sectors <= first + count;
  }
  std::string Name() const {
    const std::string name = "its extended partition, entry " + std::to_string(slot + 1);
    return count == 0 ? name + " of no sectors" : name + " (" + SectorRange(first, count) + ")";
  }
};

Finding ChainFinding(const char* id, Severity severity, std::uint64_t lba, std::string message,
                     FindingText hint) {
  Finding f;
  f.id = id;
  f.severity = severity;
  f.lba = lba;
  f.message = std::move(message);
  f.hint = std::move(hint);
  return f;
}

void CheckOutside(const EntrySite& site, std::uint64_t first, std::uint64_t count, bool link,
                  const ExtendedArea& area, Findings& out) {
  if (area.Holds(first, count)) return;
  const std::string what = link ? "the link in " + EntryName(site) + " leads to " +
                                      SectorRange(first, count) + ", which lies"
                                : EntryName(site) + " (" + SectorRange(first, count) + ") lies";
  out.push_back(ChainFinding("ebr.outside", Severity::kError, first,
                             what + " outside " + area.Name(),
                             "The chain names sectors its extended partition does not hold; "
                             "fdisk or testdisk can write the chain again"));
}

// An EBR holds one logical partition (entry 1) and at most one link (entry 2);
// Linux reads every data entry and follows the first link, DOS and Windows
// read entries 1 and 2 only.
void CheckEbrEntries(const EbrRecord& ebr, Findings& out) {
  int data = 0;
  int links = 0;
  for (const MbrPartitionEntry& e : ebr.entries) {
    if (IsMbrExtendedType(e.type)) {
      ++links;
    } else if (DescribesSectors(e)) {
      ++data;
    }
  }
  bool highSlots = false;
  for (std::size_t j = 2; j < 4; ++j) {
    const MbrPartitionEntry& e = ebr.entries[j];
    highSlots = highSlots || e.type != 0 || e.startLba != 0 || e.sectorCount != 0;
  }
  if (data <= 1 && links <= 1 && !highSlots) return;
  std::string what;
  const auto add = [&what](const std::string& part) {
    what += what.empty() ? part : " and " + part;
  };
  if (data > 1) add(std::to_string(data) + " logical partitions");
  if (links > 1) add(std::to_string(links) + " links");
  if (highSlots) add("entries 3 or 4 in use");
  Finding f = ChainFinding("ebr.entries", Severity::kWarning, ebr.lba,
                           "the EBR at LBA " + std::to_string(ebr.lba) + " has " + what +
                               ", where an EBR holds one logical partition and one link",
                           "Linux reads every logical partition and the first link, DOS and "
                           "Windows only entries 1 and 2");
  f.expected = "1 logical partition, at most 1 link";
  f.found = std::to_string(data) + " logical, " + std::to_string(links) + " links";
  out.push_back(std::move(f));
}

// How the walk ended, when it is not the chain's own end.
void CheckWalkEnd(const ChainRecord& chain, Findings& out) {
  const ChainWalk& walk = chain.walk;
  const std::string at = "the EBR at LBA " + std::to_string(walk.lba);
  switch (walk.end) {
    case ChainEnd::kNoSignature: {
      Finding f = ChainFinding("ebr.signature", Severity::kError, walk.lba,
                               at + " has no 0x55 0xAA signature, so the chain ends there and "
                                    "no logical partition behind it is seen",
                               "testdisk can search for the logical partitions and write the "
                               "chain again");
      f.byteOffset = static_cast<std::uint32_t>(kBootSignatureOffset);
      f.expected = "55 AA";
      out.push_back(std::move(f));
      return;
    }
    case ChainEnd::kLoop: {
      const std::string from = chain.ebrs.empty() ? "a link"
                                                  : "the link of the EBR at LBA " +
                                                        std::to_string(chain.ebrs.back().lba);
      out.push_back(ChainFinding("ebr.loop", Severity::kError, walk.lba,
                                 from + " leads back to " + at +
                                     ", already walked: the chain "
                                     "loops",
                                 "fdisk or testdisk can write the chain again"));
      return;
    }
    case ChainEnd::kReadError:
      out.push_back(ChainFinding("ebr.unreadable", Severity::kError, walk.lba,
                                 at + " could not be read, so the chain ends there and no "
                                      "logical partition behind it is seen",
                                 "Check the disk's health (smartctl -a) or the image's size"));
      return;
    case ChainEnd::kChainCap:
    case ChainEnd::kPassBudget:
      out.push_back(ChainFinding(
          "ebr.cap", Severity::kNote, walk.lba,
          "the chain goes on at " + at + " after " +
              std::to_string(walk.end == ChainEnd::kChainCap ? kMaxChainEbrs : kPassEbrBudget) +
              " EBRs" + (walk.end == ChainEnd::kChainCap ? "" : " read on this disk") +
              ", where the walk stops; what follows is not checked",
          ""));
      return;
    case ChainEnd::kLastEbr:
    case ChainEnd::kNoBuffer:
      return;
  }
}

}  // namespace

void CheckChain(const MbrPartitionEntry& extended, int slot, const ChainRecord& chain,
                const BiosGeometry& bios, const DiskFacts& facts, Findings& out) {
  const ExtendedArea area{extended.startLba, extended.sectorCount, slot};
  for (const EbrRecord& ebr : chain.ebrs) {
    for (int j = 0; j < 4; ++j) {
      const MbrPartitionEntry& e = ebr.entries[static_cast<std::size_t>(j)];
      const EntrySite site{ebr.lba, j, true};
      CheckBootFlag(e, site, out);
      if (IsMbrExtendedType(e.type)) {
        // A link counts from the extended partition's start, not the EBR's.
        const std::uint64_t target = area.first + e.startLba;
        CheckOutside(site, target, e.sectorCount != 0 ? e.sectorCount : 1, true, area, out);
        CheckChs(e, target, site, bios, out);
      } else if (DescribesSectors(e)) {
        const std::uint64_t first = ebr.lba + e.startLba;
        CheckPastEnd(first, e.sectorCount, site, facts, out);
        CheckOutside(site, first, e.sectorCount, false, area, out);
        CheckChs(e, first, site, bios, out);
      }
    }
    CheckEbrEntries(ebr, out);
  }
  CheckWalkEnd(chain, out);
}

}  // namespace disklens
