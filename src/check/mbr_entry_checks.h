// The checks of one partition entry, of sector 0 or of an EBR: its boot
// indicator, whether it ends on the disk, and whether its CHS fields match its
// LBA; and the words every mbr.* and ebr.* finding names an entry with.
#pragma once

#include <cstdint>
#include <string>

#include "check/finding.h"
#include "disk/geometry.h"
#include "mbr/partition_row.h"

namespace disklens {

// Where an entry is stored: the sector holding it (sector 0 or an EBR) and its
// slot there (0 to 3).
struct EntrySite {
  std::uint64_t tableLba = 0;
  int slot = 0;
  bool inEbr = false;
};

// "entry 2" for sector 0, "entry 1 of the EBR at LBA 4096" for an EBR.
std::string EntryName(const EntrySite& site);

// "LBA 2048-4095": the sectors from `first`, `count` of them (at least 1).
std::string SectorRange(std::uint64_t first, std::uint64_t count);

// True for an entry that describes sectors: a type and a size.
inline bool DescribesSectors(const MbrPartitionEntry& e) {
  return e.type != 0 && e.sectorCount != 0;
}

// mbr.boot-flag: a boot indicator other than 0x00 and 0x80.
void CheckBootFlag(const MbrPartitionEntry& entry, const EntrySite& site, Findings& out);

// mbr.past-end: the `count` sectors from the absolute `first` end past the
// disk's last sector; nothing when the disk's size is not known.
void CheckPastEnd(std::uint64_t first, std::uint64_t count, const EntrySite& site,
                  const DiskFacts& facts, Findings& out);

// mbr.chs: the CHS start or end differs from what `bios` makes of the LBA
// (`first` absolute); one note at most.
void CheckChs(const MbrPartitionEntry& entry, std::uint64_t first, const EntrySite& site,
              const BiosGeometry& bios, Findings& out);

}  // namespace disklens
