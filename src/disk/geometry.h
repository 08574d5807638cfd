// What the platform reports about a disk's shape, and its BIOS-limited form.
#pragma once

#include <cstdint>

#include "disk/device.h"

namespace disklens {

struct DriveGeometry {
  std::uint16_t bytesPerSector = 0;
  std::uint32_t cylinders = 0;
  std::uint32_t heads = 0;
  std::uint32_t sectorsPerTrack = 0;
  std::uint64_t totalSectors = 0;
  std::uint32_t mediaType = 0;
  std::uint32_t partitionStyle = 0;
  std::uint8_t partitionId[16] = {};
  std::uint32_t detectionType = 0;
  std::uint8_t int13[16] = {};    // DISK_INT13_INFO as published
  std::uint8_t exInt13[32] = {};  // DISK_EX_INT13_INFO as published
};

struct BiosGeometry {
  std::uint16_t highestCylinder = 0;
  std::uint8_t highestHead = 0;
  std::uint8_t sectorsPerTrack = 0;
};

inline constexpr std::uint32_t kFixedMedia = 12;
inline constexpr std::uint32_t kDetectionInt13 = 1;

// Fields of DISK_INT13_INFO inside DriveGeometry::int13.
std::uint32_t Int13MaxCylinders(const DriveGeometry& g);
std::uint16_t Int13SectorsPerTrack(const DriveGeometry& g);
std::uint16_t Int13MaxHeads(const DriveGeometry& g);

// Nonzero on success; `geometry` is all zero after a failure past the kind check.
std::int32_t GetDriveGeometry(const DiskDevice* device, DriveGeometry& geometry);
// Nonzero on success; `bios` is untouched on failure.
std::int32_t GetBiosGeometry(const DiskDevice* device, BiosGeometry& bios);
// Nonzero on success; each output is optional and nothing is written on failure.
std::int32_t GetLastSector(const DiskDevice* device, std::uint32_t* lastHigh,
                           std::uint32_t* lastLow, std::uint32_t* sectorBytes);

}  // namespace disklens
