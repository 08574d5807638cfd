#include "check/align_checks.h"

#include <algorithm>
#include <string>
#include <vector>

#include "mbr/partition_types.h"

namespace disklens {

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

// One partition as the alignment checks see it; `relativeStart` is the
// start its own table stores (an EBR's counts from the EBR). Its name is
// spelt out only for a finding.
struct Span {
  enum class Table { kGpt, kMbr, kLogical } table = Table::kGpt;
  std::uint64_t number = 0;  // the GPT entry's index, the MBR entry's, or the EBR's LBA
  std::uint64_t first = 0;
  std::uint64_t sectors = 0;
  std::uint64_t relativeStart = 0;
};

std::string SpanName(const Span& s) {
  switch (s.table) {
    case Span::Table::kGpt:
      return "GPT entry " + std::to_string(s.number + 1) + " (Num " + std::to_string(s.number) +
             ")";
    case Span::Table::kMbr:
      return "MBR entry " + std::to_string(s.number + 1);
    case Span::Table::kLogical:
      break;
  }
  return "the logical partition of the EBR at LBA " + std::to_string(s.number);
}

void CheckSpan(const Span& s, const DiskFacts& facts, Findings& out) {
  const std::uint64_t end = s.first + s.sectors;  // the sector after the last
  // Start and end on the physical sectors, where the platform names larger ones.
  if (facts.physicalSectorSize > facts.sectorSize && facts.sectorSize != 0 &&
      facts.physicalSectorSize % facts.sectorSize == 0) {
    const std::uint64_t per = facts.physicalSectorSize / facts.sectorSize;
    if (s.first % per != 0 || end % per != 0) {
      out.push_back(
          {"align.physical",
           Severity::kWarning,
           s.first,
           {},
           SpanName(s) + " (LBAs " + std::to_string(s.first) + " to " + std::to_string(end - 1) +
               ") " + (s.first % per != 0 ? "starts" : "ends") + " inside a " +
               std::to_string(facts.physicalSectorSize) + "-byte physical sector",
           "multiples of " + std::to_string(per) + " sectors",
           s.first % per != 0 ? "start " + std::to_string(s.first) : "end " + std::to_string(end),
           "every write there costs the drive a read first; recreate the partition on "
           "a 1 MiB boundary (fdisk, gdisk and parted do by default)"});
    }
  }
  // A start on 1 MiB, as partitioners have placed it since Windows Vista. The
  // classic CHS layout put a partition 63 sectors after its table: that is
  // its own convention, not a fault worth a note. A logical partition follows
  // its EBR by whatever gap the partitioner chose, so only its EBR's place
  // could be on 1 MiB: it gets no note.
  if (facts.sectorSize == 0 || kMiB % facts.sectorSize != 0) return;
  if (s.table == Span::Table::kLogical) return;
  if (s.table == Span::Table::kMbr && s.relativeStart == 63) return;
  const std::uint64_t perMiB = kMiB / facts.sectorSize;
  if (s.first % perMiB != 0) {
    out.push_back(
        {"align.mib",
         Severity::kNote,
         s.first,
         {},
         SpanName(s) + " starts at LBA " + std::to_string(s.first) + ", not on a 1 MiB boundary",
         "a multiple of " + std::to_string(perMiB),
         std::to_string(s.first),
         ""});
  }
}

}  // namespace

void CheckAlignment(const MbrRecord& mbr, const MbrChains& chains, const GptRecord& gpt,
                    const DiskFacts& facts, Findings& out) {
  std::vector<Span> spans;
  if (gpt.found) {
    for (const GptEntryRecord& e : gpt.entries) {
      if (e.lastLba < e.firstLba) continue;  // gpt.range names it
      spans.push_back({Span::Table::kGpt, e.index, e.firstLba, e.lastLba - e.firstLba + 1,
                       e.firstLba});
    }
  }
  if (mbr.bytesRead != 0) {
    for (std::size_t i = 0; i < mbr.entries.size(); ++i) {
      const MbrPartitionEntry& e = mbr.entries[i];
      // The 0xEE entry covers the GPT itself, from LBA 1; a container is no partition.
      if (e.type == 0 || e.type == 0xEE || IsMbrExtendedType(e.type)) continue;
      spans.push_back({Span::Table::kMbr, i, e.startLba, e.sectorCount, e.startLba});
    }
    for (const auto& chain : chains) {
      if (!chain) continue;
      for (const EbrRecord& ebr : chain->ebrs) {
        for (const MbrPartitionEntry& e : ebr.entries) {
          if (e.type == 0 || IsMbrExtendedType(e.type)) continue;
          spans.push_back(
              {Span::Table::kLogical, ebr.lba, ebr.lba + e.startLba, e.sectorCount, e.startLba});
        }
      }
    }
  }
  std::erase_if(spans, [](const Span& s) { return s.sectors == 0; });
  // A partition that two tables describe is checked once, as the first table
  // that lists it: the first span of each start, in the order above.
  std::vector<std::size_t> order(spans.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto byStart = [&](std::size_t a, std::size_t b) { return spans[a].first < spans[b].first; };
  if (!std::is_sorted(order.begin(), order.end(), byStart)) {
    std::stable_sort(order.begin(), order.end(), byStart);
  }
  std::vector<bool> checked(spans.size(), false);
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k == 0 || spans[order[k]].first != spans[order[k - 1]].first) checked[order[k]] = true;
  }
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (checked[i]) CheckSpan(spans[i], facts, out);
  }
}

}  // namespace disklens
