// An exFAT main or backup boot sector decoded into its fields, and the boot
// checksum that guards the region around it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bytes/bytes.h"

namespace disklens {

struct ExfatBootSector {
  std::uint64_t partitionOffset = 0;
  std::uint64_t volumeLength = 0;
  std::uint32_t fatOffset = 0;
  std::uint32_t fatLength = 0;
  std::uint32_t clusterHeapOffset = 0;
  std::uint32_t clusterCount = 0;
  std::uint32_t firstClusterOfRootDirectory = 0;
  std::uint32_t volumeSerialNumber = 0;
  std::uint16_t fileSystemRevision = 0;
  std::uint16_t volumeFlags = 0;
  std::uint8_t bytesPerSectorShift = 0;
  std::uint8_t sectorsPerClusterShift = 0;
  std::uint8_t numberOfFats = 0;
  std::uint8_t driveSelect = 0;
  std::uint8_t percentInUse = 0;
  std::uint16_t bootSignature = 0;
};

// Fields past what was read decode as 0.
ExfatBootSector DecodeExfatBootSector(ByteView sector);

// The volume's sector size, 0 when the shift is outside 9 to 12.
std::uint32_t ExfatSectorSize(const ExfatBootSector& b);
// Sectors per cluster, 0 when the shifts together pass 25 (a 32 MiB cluster).
std::uint32_t ExfatSectorsPerCluster(const ExfatBootSector& b);

// The boot checksum of the first 11 sectors of `region` (sectorSize bytes
// each), leaving out VolumeFlags and PercentInUse of the first; `region`
// must hold them all.
std::uint32_t ExfatBootChecksum(ByteView region, std::uint32_t sectorSize);

// The JSON names of the fields that differ between two boot sectors, in the
// sector's order; VolumeFlags and PercentInUse are left out (the checksum
// leaves them out too: they change while the volume is in use).
std::vector<std::string> ExfatDifferingFields(const ExfatBootSector& a, const ExfatBootSector& b);

}  // namespace disklens
