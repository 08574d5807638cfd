// One open BIOS hard disk and the routine that serves its requests.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace disklens {

struct DiskDevice;

// Serves one request on a device. `lbaPair` holds the first LBA as two 32-bit
// words, low half first; `count` is a sector count for transfers.
using DiskOperation = std::int32_t (*)(DiskDevice* device, std::uint32_t request,
                                       std::uint32_t* lbaPair, std::uint32_t size, void* buffer,
                                       std::uint32_t count);

// Request codes of DiskOperation.
inline constexpr std::uint32_t kRequestRead = 1;
inline constexpr std::uint32_t kRequestWrite = 2;
inline constexpr std::uint32_t kRequestLastSector = 4;
inline constexpr std::uint32_t kRequestBiosGeometry = 5;
inline constexpr std::uint32_t kRequestReadAlias = 9;
inline constexpr std::uint32_t kRequestWriteAlias = 10;

inline constexpr std::uint8_t kKindHardDisk = 0;
inline constexpr std::uint8_t kKindCdRom = 5;
inline constexpr std::uint8_t kKindVolume = 32;

struct DiskDevice {
  std::uint8_t kind = 0;
  std::uint16_t sectorSize = 0;
  std::uint16_t sectorMask = 0;
  std::uint32_t maxTransferBytes = 0;
  DiskOperation operation = nullptr;
  Handle handle = 0;
  std::uint32_t diskIndex = 0;
  std::uint32_t lastError = 0;
  Handle deviceLock = 0;
};

// Null when the disk is absent, can't be opened or the session is not ready.
DiskDevice* OpenDiskDevice(std::uint32_t diskIndex, std::uint8_t kind, std::uint32_t desiredAccess);
// Nonzero on success; null is accepted.
std::int32_t CloseDiskDevice(DiskDevice* device);

// The `operation` of every device that OpenDiskDevice makes.
std::int32_t ServeDiskRequest(DiskDevice* device, std::uint32_t request, std::uint32_t* lbaPair,
                              std::uint32_t size, void* buffer, std::uint32_t count);

// The physical sector size the platform reports for the device; 0 when it
// does not say (image files, Windows) or for a null device.
std::uint32_t PhysicalSectorSize(const DiskDevice* device);

// The BIOS number of a device: 0x80 + its index, modulo 256.
inline std::uint32_t BiosNumber(const DiskDevice& device) {
  return (0x80u + device.diskIndex) & 0xFFu;
}

}  // namespace disklens
