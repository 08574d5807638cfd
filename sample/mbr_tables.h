// MBR and EBR partition entries, and the EMBR boot-manager block with its
// MPT, MBFT and MDT tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample_bytes.h"

namespace disklens::sample {

// One 16-byte partition entry. `storedLba` is what the entry holds (absolute in
// sector 0, relative in an EBR); the CHS fields are made from the absolute
// `firstLba` and `lastLba` on a 255-head, 63-sector geometry.
struct MbrEntry {
  std::uint8_t status = 0;
  std::uint8_t type = 0;
  std::uint32_t storedLba = 0;
  std::uint32_t sectors = 0;
  std::uint32_t firstLba = 0;
  std::uint32_t lastLba = 0;
};

// Writes `entry` as slot `index` (0 to 3) of a partition table sector.
void PutMbrEntry(Bytes& sector, int index, const MbrEntry& entry);

struct MptEntry {
  std::uint16_t flag = 0;
  std::uint32_t start = 0;
  std::uint32_t end = 0;  // last LBA, inclusive
  std::uint8_t id = 0;
  std::uint8_t fs = 0;
  std::string name;
};

struct MbftEntry {
  std::string name;
  std::uint16_t loadSegment = 0;
  std::uint16_t codeSegment = 0;
  std::uint16_t codeOffset = 0;
  std::uint8_t sectors = 0;
  std::uint8_t id = 0;
  std::uint8_t extraBytes = 0;  // Alloc: filler bytes behind the entry
};

struct MdtEntry {
  std::uint8_t flag = 0;
  std::uint8_t id = 0;
  std::uint8_t sectors = 0;
  std::uint32_t start = 0;
  std::string name;
  std::uint8_t extraBytes = 0;
};

struct Embr {
  std::uint8_t revision = 1;
  std::uint8_t minSectorsPerTrack = 63;
  std::uint8_t sectors = 62;
  std::uint16_t sectorSize = 512;
  std::uint16_t lastCylinder = 0;
  std::uint8_t lastHead = 254;
  std::uint8_t sectorsPerTrack = 63;
  std::vector<MptEntry> mpt;
  std::vector<MbftEntry> mbft;
  std::vector<MdtEntry> mdt;
};

// The EMBR block as it lies from the start of LBA 1, padded to whole sectors.
Bytes BuildEmbr(const Embr& embr);

}  // namespace disklens::sample
