// Sector transfer: the chunking loop and the locked move of one request.
#pragma once

#include <cstdint>

#include "disk/device.h"

namespace disklens {

inline constexpr std::uint32_t kDirectionRead = 1;
inline constexpr std::uint32_t kDirectionWrite = 2;

// Nonzero when every sector was read into `buffer`.
std::int32_t ReadSectors(std::uint32_t lbaLow, std::uint32_t lbaHigh, void* buffer,
                         std::uint32_t sectorCount, DiskDevice* device);

// ReadSectors at a 64-bit LBA: true when every sector was read.
inline bool ReadSectorsAt(DiskDevice* device, std::uint64_t lba, void* buffer,
                          std::uint32_t sectorCount) {
  return ReadSectors(static_cast<std::uint32_t>(lba), static_cast<std::uint32_t>(lba >> 32), buffer,
                     sectorCount, device) != 0;
}

// Cuts a request into calls of the device's `operation`, none larger than its
// transfer limit; the result of the last call, or 1 for no sectors.
std::int32_t TransferSectors(std::uint32_t requestCode, std::uint32_t lbaLow, std::uint32_t lbaHigh,
                             void* buffer, std::uint32_t sectorCount, DiskDevice* device);

struct TransferChoice {
  std::uint8_t* pointer = nullptr;
  std::uint32_t capacity = 0;
  bool bounced = false;
};

// Takes the caller's buffer when it is sector-aligned, otherwise the session's
// TransferBuffer, whose lock it then holds.
TransferChoice SelectTransferBuffer(const DiskDevice* device, void* buffer);

// 1 when all sectors were moved in `direction`, else 0.
std::int32_t MoveSectors(std::uint32_t lbaLow, std::uint32_t lbaHigh, void* buffer,
                         std::uint32_t sectorCount, DiskDevice* device, std::uint32_t direction);

}  // namespace disklens
