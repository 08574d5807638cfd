#include "check/mbr_entry_checks.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "layout/mbr.h"

namespace disklens {

namespace {

struct Chs {
  unsigned cylinder = 0, head = 0, sector = 0;
  bool operator==(const Chs&) const = default;
};

std::string ChsText(const Chs& c) {
  return std::to_string(c.cylinder) + "/" + std::to_string(c.head) + "/" + std::to_string(c.sector);
}

Chs StoredChs(std::uint8_t head, std::uint8_t sectorByte, std::uint8_t cylinderByte) {
  return {static_cast<unsigned>(UnpackCylinder(sectorByte, cylinderByte)), head,
          static_cast<unsigned>(UnpackSector(sectorByte))};
}

// What `bios` makes of `lba`; none when the cylinder lies past 1023, where CHS
// can't express it.
std::optional<Chs> ExpectedChs(std::uint64_t lba, const BiosGeometry& bios) {
  const std::uint64_t heads = bios.highestHead + 1u;
  const std::uint64_t sectors = bios.sectorsPerTrack;
  const std::uint64_t cylinder = lba / (heads * sectors);
  if (cylinder > 1023) return std::nullopt;
  return Chs{static_cast<unsigned>(cylinder), static_cast<unsigned>(lba / sectors % heads),
             static_cast<unsigned>(lba % sectors + 1)};
}

// Past cylinder 1023 tools write a marker: 1023 with the geometry's last head
// and sector, or 1023/254/63 or 1023/255/63 whatever the geometry.
bool IsBeyondChsMarker(const Chs& c, const BiosGeometry& bios) {
  if (c.cylinder != 1023) return false;
  return (c.head == bios.highestHead && c.sector == bios.sectorsPerTrack) ||
         (c.sector == 63 && (c.head == 254 || c.head == 255));
}

bool ChsMatches(const Chs& stored, std::uint64_t lba, const BiosGeometry& bios) {
  const std::optional<Chs> want = ExpectedChs(lba, bios);
  return want ? stored == *want : IsBeyondChsMarker(stored, bios);
}

// What ChsMatches wants, as text: spelt out only for a finding.
std::string ExpectedChsText(std::uint64_t lba, const BiosGeometry& bios) {
  const std::optional<Chs> want = ExpectedChs(lba, bios);
  return want ? ChsText(*want)
              : "1023/" + std::to_string(bios.highestHead) + "/" +
                    std::to_string(bios.sectorsPerTrack);
}

}  // namespace

std::string EntryName(const EntrySite& site) {
  std::string name = "entry " + std::to_string(site.slot + 1);
  if (site.inEbr) name += " of the EBR at LBA " + std::to_string(site.tableLba);
  return name;
}

std::string SectorRange(std::uint64_t first, std::uint64_t count) {
  return "LBA " + std::to_string(first) + "-" + std::to_string(first + count - 1);
}

// The kernel's msdos parser refuses sector 0's whole table for one such byte.
void CheckBootFlag(const MbrPartitionEntry& entry, const EntrySite& site, Findings& out) {
  if (entry.status == 0x00 || entry.status == 0x80) return;
  Finding f;
  f.id = "mbr.boot-flag";
  f.severity = Severity::kWarning;
  f.lba = site.tableLba;
  f.byteOffset = static_cast<std::uint32_t>(kPartitionTableOffset +
                                            kPartitionEntrySize * static_cast<unsigned>(site.slot) +
                                            mbr_entry::kStatus);
  f.message = EntryName(site) + " has the boot indicator " + HexText((entry.status) & 0xFFu, 2) +
              (site.inEbr ? ", which partitioning tools may refuse"
                          : ", so Linux and parted refuse the whole table");
  f.expected = "0x00 or 0x80";
  f.found = HexText((entry.status) & 0xFFu, 2);
  f.hint = "sfdisk --activate DEVICE [N] writes every indicator again, 0x80 for entry N only";
  out.push_back(std::move(f));
}

// Ends on the disk: first + count <= sectorCount, in 64 bits (both halves
// come from 32-bit fields, a logical's start from two of them).
void CheckPastEnd(std::uint64_t first, std::uint64_t count, const EntrySite& site,
                  const DiskFacts& facts, Findings& out) {
  if (facts.sectorCount == 0 || count == 0) return;
  const std::uint64_t needed = first + count;
  if (needed <= facts.sectorCount) return;
  Finding f;
  f.id = "mbr.past-end";
  f.severity = Severity::kError;
  f.lba = first;
  f.message = EntryName(site) + " (" + SectorRange(first, count) +
              ") ends past the disk's last sector " + std::to_string(LastLba(facts)) +
              ": it needs a disk of " + std::to_string(needed) + " sectors";
  if (facts.sectorSize != 0) {
    f.message += " (" + std::to_string(needed * facts.sectorSize) + " bytes)";
  }
  f.message += ", so the image may be truncated or the sector size wrong";
  f.expected = "end <= " + std::to_string(LastLba(facts));
  f.found = "end " + std::to_string(needed - 1);
  f.hint =
      "Copy the disk again whole, or read it with the sector size the table was written "
      "for; sfdisk --verify reports the same";
  out.push_back(std::move(f));
}

// Start and end CHS name the LBA's sectors under the BIOS geometry; beyond
// cylinder 1023 the usual markers stand in. Without a geometry, nothing.
void CheckChs(const MbrPartitionEntry& entry, std::uint64_t first, const EntrySite& site,
              const BiosGeometry& bios, Findings& out) {
  if (bios.sectorsPerTrack == 0 || entry.sectorCount == 0) return;
  const std::uint64_t last = first + entry.sectorCount - 1;
  const Chs start = StoredChs(entry.startHead, entry.startSectorByte, entry.startCylinderByte);
  const Chs end = StoredChs(entry.endHead, entry.endSectorByte, entry.endCylinderByte);
  const bool startOk = ChsMatches(start, first, bios);
  const bool endOk = ChsMatches(end, last, bios);
  if (startOk && endOk) return;
  Finding f;
  f.id = "mbr.chs";
  f.severity = Severity::kNote;
  f.lba = first;
  f.message = JoinText({"the CHS ", startOk ? "end" : endOk ? "start" : "start and end", " of ",
                        EntryName(site), startOk || endOk ? " differs" : " differ", " from its ",
                        SectorRange(first, entry.sectorCount), " under the BIOS geometry of ",
                        bios.highestHead + 1u, " heads and ", bios.sectorsPerTrack,
                        " sectors a track"});
  f.expected = JoinText({ExpectedChsText(first, bios), "-", ExpectedChsText(last, bios)});
  f.found = JoinText({ChsText(start), "-", ChsText(end)});
  f.hint = "Only old BIOSes and DOS read CHS; Linux and Windows use the LBA";
  out.push_back(std::move(f));
}

}  // namespace disklens
