#include "check/mbr_checks.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "check/mbr_chain_checks.h"
#include "check/mbr_entry_checks.h"
#include "check/mbr_overlap.h"
#include "layout/mbr.h"
#include "mbr/partition_types.h"

namespace disklens {

namespace {

constexpr std::uint8_t kActive = 0x80;
constexpr std::uint8_t kGptProtectiveType = 0xEE;

// "entries 1 and 3", "entries 1, 2 and 4".
std::string EntryList(const std::vector<int>& slots) {
  std::string text = "entries ";
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (i != 0) text += i + 1 == slots.size() ? " and " : ", ";
    text += std::to_string(slots[i] + 1);
  }
  return text;
}

Finding TableFinding(const char* id, Severity severity, std::string message, FindingText hint) {
  Finding f;
  f.id = id;
  f.severity = severity;
  f.lba = 0;
  f.message = std::move(message);
  f.hint = std::move(hint);
  return f;
}

// The stored bytes of a u16 as "55 AA".
std::string SignatureBytes(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X %02X", value & 0xFFu, (value >> 8) & 0xFFu);
  return text;
}

}  // namespace

void CheckMbrLayer(const MbrRecord& mbr, const MbrChains& chains, const DiskFacts& facts,
                   Findings& out) {
  // Sector 0 ends in 0x55 0xAA. Without it no system reads the table, so the
  // rest of it (often boot code or leftovers) is not checked either.
  if (mbr.bootSignature != kBootSignature) {
    Finding f = TableFinding("mbr.signature", Severity::kError,
                             "sector 0 has no 0x55 0xAA signature, so Linux ignores its "
                             "partition table; the table is not checked further",
                             "A disk meant to be empty needs no table; otherwise fdisk or "
                             "sfdisk writes one, and testdisk can search for lost partitions");
    f.byteOffset = static_cast<std::uint32_t>(kBootSignatureOffset);
    f.expected = "55 AA";
    f.found = SignatureBytes(mbr.bootSignature);
    out.push_back(std::move(f));
    return;
  }

  std::vector<int> active;
  std::vector<int> extended;
  for (int i = 0; i < 4; ++i) {
    const MbrPartitionEntry& e = mbr.entries[static_cast<std::size_t>(i)];
    const EntrySite site{0, i, false};
    // Boot indicator 0x00 or 0x80, in every slot, used or not.
    CheckBootFlag(e, site, out);
    if (e.status == kActive) active.push_back(i);
    if (IsMbrExtendedType(e.type)) extended.push_back(i);
    // The protective entry of a GPT disk is the GPT checks'.
    if (!DescribesSectors(e) || e.type == kGptProtectiveType) continue;
    // Ends on the disk; CHS agrees with LBA.
    CheckPastEnd(e.startLba, e.sectorCount, site, facts, out);
    CheckChs(e, e.startLba, site, mbr.bios, out);
  }
  // One active entry at most.
  if (active.size() > 1) {
    out.push_back(TableFinding("mbr.active", Severity::kWarning,
                               EntryList(active) + " are all marked active (0x80), where boot "
                                                   "code expects one",
                               "sfdisk --activate DEVICE N leaves entry N the only active one"));
  }
  // One extended entry at most.
  if (extended.size() > 1) {
    Finding f =
        TableFinding("mbr.extended-count", Severity::kWarning,
                     "sector 0 has " + std::to_string(extended.size()) + " extended entries, " +
                         EntryList(extended) + ", where DOS and Windows expect one",
                     "Linux follows every one; others see only the logical partitions "
                     "of the first");
    f.expected = std::to_string(1);  // not a literal: GCC 12 warns falsely (-Wrestrict)
    f.found = std::to_string(extended.size());
    out.push_back(std::move(f));
  }
  for (int i = 0; i < 4; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    if (chains[slot]) CheckChain(mbr.entries[slot], i, *chains[slot], mbr.bios, facts, out);
  }
  // No two partitions, and no partition and EBR, share a sector.
  CheckOverlaps(mbr, chains, out);
}

}  // namespace disklens
