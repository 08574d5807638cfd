#include "disk/geometry.h"

#include <cstring>

#include "bytes/bytes.h"
#include "disk/session.h"
#include "disk/win9x/drive_parameter_block.h"

namespace disklens {

namespace {

// Layout of the replies of the two geometry requests.
constexpr std::uint32_t kGeometryExBufferSize = 119;
constexpr std::uint32_t kGeometrySize = 24;
constexpr std::uint32_t kPartitionInfoOffset = 32;

// DISK_GEOMETRY at the start of both replies.
void TakeDiskGeometry(const ByteView reply, DriveGeometry& g) {
  g.cylinders = reply.U32(0);  // low 32 bits of the 64-bit count
  g.mediaType = reply.U32(8);
  g.heads = reply.U32(12);
  g.sectorsPerTrack = reply.U32(16);
  g.bytesPerSector = static_cast<std::uint16_t>(reply.U32(20));
}

bool AskExtended(Platform& os, Handle handle, DriveGeometry& g) {
  std::uint8_t reply[kGeometryExBufferSize] = {};
  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, kIoctlDiskGetDriveGeometryEx, nullptr, 0, reply, sizeof reply,
                          &returned) ||
      returned < 32) {
    return false;
  }
  // Only the bytes the reply holds are looked at.
  const ByteView r{reply, returned < sizeof reply ? returned : sizeof reply};
  TakeDiskGeometry(r, g);
  const std::uint64_t diskSize = r.U64(24);
  // A reply without a sector size gives no count rather than a division by zero.
  g.totalSectors = g.bytesPerSector != 0 ? diskSize / g.bytesPerSector : 0;
  if (r.Has(36, 20)) {
    g.partitionStyle = r.U32(36);
    std::memcpy(g.partitionId, r.data + 40, sizeof g.partitionId);
  }
  const std::uint32_t sizeOfPartitionInfo = r.U32(kPartitionInfoOffset);
  if (sizeOfPartitionInfo <= r.size) {
    const ByteView detection = r.From(kPartitionInfoOffset + sizeOfPartitionInfo);
    g.detectionType = detection.U32(4);
    if (detection.Has(8, sizeof g.int13)) std::memcpy(g.int13, detection.data + 8, sizeof g.int13);
    if (detection.Has(24, sizeof g.exInt13)) {
      std::memcpy(g.exInt13, detection.data + 24, sizeof g.exInt13);
    }
  }
  return true;
}

bool AskPlain(Platform& os, Handle handle, DriveGeometry& g) {
  std::uint8_t reply[kGeometrySize] = {};
  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, kIoctlDiskGetDriveGeometry, nullptr, 0, reply, sizeof reply,
                          &returned) ||
      returned != kGeometrySize) {
    return false;
  }
  const ByteView r{reply, sizeof reply};
  TakeDiskGeometry(r, g);
  g.totalSectors = r.U64(0) * g.heads * g.sectorsPerTrack;
  return true;
}

}  // namespace

std::uint32_t Int13MaxCylinders(const DriveGeometry& g) { return ByteView{g.int13, 16}.U32(4); }
std::uint16_t Int13SectorsPerTrack(const DriveGeometry& g) { return ByteView{g.int13, 16}.U16(8); }
std::uint16_t Int13MaxHeads(const DriveGeometry& g) { return ByteView{g.int13, 16}.U16(10); }

std::int32_t GetDriveGeometry(const DiskDevice* device, DriveGeometry& geometry) {
  if (device == nullptr || device->kind != kKindHardDisk) return 0;
  geometry = DriveGeometry{};
  const DiskAccessSession& s = Session();
  Platform& os = CurrentPlatform();
  if (IsNtClass(s.osClass)) {
    if (device->handle == kInvalidHandle) return 0;
    if (AskExtended(os, device->handle, geometry)) return 1;
    geometry = DriveGeometry{};
    if (AskPlain(os, device->handle, geometry)) return 1;
    geometry = DriveGeometry{};
    return 0;
  }
  if (s.dkDriveParameters == nullptr) return 0;
  std::uint8_t block[kDriveParameterBlockSize];
  PrepareDriveParameterBlock(block);
  if (s.dkDriveParameters(BiosNumber(*device), block, kDriveParameterBlockSize) == 0) return 0;
  DecodeDriveParameterBlock(block, geometry);
  return 1;
}

std::int32_t GetBiosGeometry(const DiskDevice* device, BiosGeometry& bios) {
  DriveGeometry g;
  if (GetDriveGeometry(device, g) == 0) return 0;
  std::uint32_t maxCylinder;
  std::uint32_t maxHead;
  std::uint32_t sectors;
  if (g.detectionType == kDetectionInt13) {
    maxCylinder = Int13MaxCylinders(g);
    maxHead = Int13MaxHeads(g);
    sectors = Int13SectorsPerTrack(g);
  } else {
    maxCylinder = g.cylinders - 1;
    maxHead = g.heads - 1;
    sectors = g.sectorsPerTrack;
  }
  bios.highestCylinder =
      static_cast<std::uint16_t>(maxCylinder >= 1 && maxCylinder <= 1023 ? maxCylinder : 1023);
  bios.highestHead = static_cast<std::uint8_t>(maxHead >= 1 && maxHead <= 255 ? maxHead : 255);
  bios.sectorsPerTrack = static_cast<std::uint8_t>(sectors >= 1 && sectors <= 63 ? sectors : 63);
  return 1;
}

std::int32_t GetLastSector(const DiskDevice* device, std::uint32_t* lastHigh,
                           std::uint32_t* lastLow, std::uint32_t* sectorBytes) {
  DriveGeometry g;
  if (GetDriveGeometry(device, g) == 0) return 0;
  const std::uint64_t last = g.totalSectors - 1;
  if (sectorBytes != nullptr) *sectorBytes = g.bytesPerSector;
  if (lastLow != nullptr) *lastLow = static_cast<std::uint32_t>(last);
  if (lastHigh != nullptr) *lastHigh = static_cast<std::uint32_t>(last >> 32);
  return 1;
}

}  // namespace disklens
