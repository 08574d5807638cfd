#include "disk/device.h"

#include <cstdio>
#include <cstring>

#include "disk/geometry.h"
#include "disk/session.h"
#include "disk/transfer.h"
#include "disk/win9x/drive_parameter_block.h"

namespace disklens {

namespace {

std::uint32_t MaxTransferBytesFor(std::uint8_t osClass) {
  if (osClass == kOsWin9x) return 0xFE00;
  if (osClass == kOsNt6) return 0x400000;
  return 0x10000;
}

// NT classes: the raw device of the disk. Windows 9x: no handle, but ordinal 1
// of DKHLP32 must answer for the BIOS number. Null result: the disk is absent.
bool OpenHandle(const DiskAccessSession& s, std::uint32_t diskIndex, std::uint32_t desiredAccess,
                Handle& handle) {
  Platform& os = CurrentPlatform();
  if (IsNtClass(s.osClass)) {
    char path[32];
    std::snprintf(path, sizeof path, "\\\\.\\PhysicalDrive%u", diskIndex);
    handle = os.CreateFileA(path, desiredAccess, kFileShareRead | kFileShareWrite, kOpenExisting, 0);
    return handle != kInvalidHandle;
  }
  if (s.dkReadSectors == nullptr || s.dkWriteSectors == nullptr || s.dkDriveParameters == nullptr) {
    return false;
  }
  std::uint8_t block[kDriveParameterBlockSize];
  PrepareDriveParameterBlock(block);
  if (s.dkDriveParameters((0x80u + diskIndex) & 0xFFu, block, kDriveParameterBlockSize) == 0) {
    return false;
  }
  handle = 0;
  return true;
}

}  // namespace

DiskDevice* OpenDiskDevice(std::uint32_t diskIndex, std::uint8_t kind, std::uint32_t desiredAccess) {
  const DiskAccessSession& s = Session();
  if (!s.ready) return nullptr;
  if (kind != kKindHardDisk && kind != kKindCdRom && kind != kKindVolume) return nullptr;
  // Only hard disks are opened by this program.
  if (kind != kKindHardDisk) return nullptr;

  Handle handle = 0;
  if (!OpenHandle(s, diskIndex, desiredAccess, handle)) return nullptr;

  Platform& os = CurrentPlatform();
  const Handle lock = os.CreateMutexA();
  if (lock == 0) {
    if (IsNtClass(s.osClass)) os.CloseHandle(handle);
    return nullptr;
  }
  auto* device = new DiskDevice{};
  device->kind = kind;
  device->handle = handle;
  device->diskIndex = diskIndex;
  device->deviceLock = lock;
  device->operation = &ServeDiskRequest;
  device->sectorSize = 512;
  device->maxTransferBytes = MaxTransferBytesFor(s.osClass);

  DriveGeometry geometry;
  if (GetDriveGeometry(device, geometry) != 0 && geometry.bytesPerSector != 0) {
    device->sectorSize = geometry.bytesPerSector;
  }
  device->sectorMask = static_cast<std::uint16_t>(device->sectorSize - 1);
  return device;
}

std::uint32_t PhysicalSectorSize(const DiskDevice* device) {
  if (device == nullptr || device->handle == 0 || device->handle == kInvalidHandle) return 0;
  return CurrentPlatform().PhysicalSectorSize(device->handle);
}

std::int32_t CloseDiskDevice(DiskDevice* device) {
  if (device == nullptr) return 1;
  Platform& os = CurrentPlatform();
  std::int32_t result = 1;
  if (IsNtClass(Session().osClass) && device->handle != kInvalidHandle) {
    if (!os.CloseHandle(device->handle)) result = 0;
  }
  // The lock and the record are released even when the handle would not close,
  // so that a failed close leaks nothing.
  os.CloseHandle(device->deviceLock);
  delete device;
  return result;
}

std::int32_t ServeDiskRequest(DiskDevice* device, std::uint32_t request, std::uint32_t* lbaPair,
                              std::uint32_t /*size*/, void* buffer, std::uint32_t count) {
  switch (request) {
    case kRequestRead:
    case kRequestReadAlias:
      if (lbaPair == nullptr) return 0;
      return MoveSectors(lbaPair[0], lbaPair[1], buffer, count, device, kDirectionRead);
    case kRequestWrite:
    case kRequestWriteAlias:
      if (lbaPair == nullptr) return 0;
      return MoveSectors(lbaPair[0], lbaPair[1], buffer, count, device, kDirectionWrite);
    case kRequestLastSector: {
      if (buffer == nullptr) return 0;
      std::uint32_t words[3];
      std::memcpy(words, buffer, sizeof words);
      const std::int32_t ok =
          GetLastSector(device, lbaPair != nullptr ? &words[0] : nullptr, &words[1], &words[2]);
      std::memcpy(buffer, words, sizeof words);
      return ok;
    }
    case kRequestBiosGeometry:
      if (buffer == nullptr) return 0;
      return GetBiosGeometry(device, *static_cast<BiosGeometry*>(buffer));
    default:
      return 0;
  }
}

}  // namespace disklens
