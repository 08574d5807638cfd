#include "check/gpt_pmbr.h"

#include <algorithm>
#include <string>

#include "layout/mbr.h"

namespace disklens {

namespace {

constexpr std::uint8_t kProtectiveType = 0xEE;

std::uint32_t EntryByte(std::size_t index, std::size_t field) {
  return static_cast<std::uint32_t>(kPartitionTableOffset + index * kPartitionEntrySize + field);
}

bool MatchesGptEntry(const MbrPartitionEntry& e, const GptRecord& gpt) {
  for (const GptEntryRecord& g : gpt.entries) {
    if (g.lastLba < g.firstLba) continue;
    if (g.firstLba == e.startLba && g.lastLba - g.firstLba + 1 == e.sectorCount) return true;
  }
  return false;
}

}  // namespace

bool HasProtectiveEntry(const MbrRecord& mbr) {
  if (mbr.bytesRead == 0) return false;
  return std::any_of(mbr.entries.begin(), mbr.entries.end(),
                     [](const MbrPartitionEntry& e) { return e.type == kProtectiveType; });
}

void CheckProtectiveMbr(const MbrRecord& mbr, const GptRecord& gpt, const DiskFacts& facts,
                        Findings& out) {
  if (!HasProtectiveEntry(mbr)) return;
  int protective = 0;
  bool hybrid = false;
  for (const MbrPartitionEntry& e : mbr.entries) {
    protective += e.type == kProtectiveType ? 1 : 0;
    hybrid = hybrid || (e.type != 0 && e.type != kProtectiveType);
  }
  // One 0xEE entry: a second one is a table no partitioner writes.
  if (protective > 1) {
    out.push_back({"pmbr.count",
                   Severity::kWarning,
                   0,
                   {},
                   std::to_string(protective) + " entries of sector 0 have type 0xEE",
                   "1",
                   std::to_string(protective),
                   "gdisk rewrites the protective MBR when it writes"});
  }
  for (std::size_t i = 0; i < mbr.entries.size(); ++i) {
    const MbrPartitionEntry& e = mbr.entries[i];
    if (e.type != kProtectiveType) continue;
    const std::string entry = "entry " + std::to_string(i + 1);
    // The 0xEE entry starts at LBA 1, the primary header.
    if (e.startLba != 1) {
      out.push_back({"pmbr.start", Severity::kWarning, 0, EntryByte(i, mbr_entry::kStartLba),
                     "the protective " + entry + " of sector 0 starts at LBA " +
                         std::to_string(e.startLba) + ", not at the GPT header",
                     "1", std::to_string(e.startLba),
                     "sgdisk -e or fdisk (w) writes a protective MBR that starts at LBA 1"});
    }
    // It covers the disk, as far as 32 bits go; a hybrid MBR's may not.
    if (facts.sectorCount != 0 && !hybrid) {
      const std::uint64_t expected = std::min<std::uint64_t>(LastLba(facts), 0xFFFFFFFFu);
      if (e.sectorCount != expected) {
        out.push_back({"pmbr.size", Severity::kWarning, 0, EntryByte(i, mbr_entry::kSectorCount),
                       "the protective " + entry + " of sector 0 covers " +
                           std::to_string(e.sectorCount) + " sectors, not " +
                           std::to_string(expected) +
                           (e.sectorCount < expected
                                ? "; harmless, as GPT readers use the GPT header, not this entry"
                                : ", so it reaches past the disk's end"),
                       std::to_string(expected), std::to_string(e.sectorCount),
                       "sgdisk -e or fdisk (w) writes it right"});
      }
    }
  }
  // In a hybrid MBR every entry beside 0xEE mirrors a GPT partition.
  if (!hybrid || !gpt.found) return;
  for (std::size_t i = 0; i < mbr.entries.size(); ++i) {
    const MbrPartitionEntry& e = mbr.entries[i];
    if (e.type == 0 || e.type == kProtectiveType || MatchesGptEntry(e, gpt)) continue;
    out.push_back({"hybrid.mismatch", Severity::kWarning, 0, EntryByte(i, mbr_entry::kStartLba),
                   "hybrid MBR entry " + std::to_string(i + 1) + " (LBA " +
                       std::to_string(e.startLba) + ", " + std::to_string(e.sectorCount) +
                       " sectors) matches no GPT partition by start and size",
                   "", "",
                   "systems that read the MBR see another partition there; gdisk's recovery "
                   "menu (r, h) rebuilds the hybrid MBR"});
  }
}

}  // namespace disklens
