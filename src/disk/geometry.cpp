#include "disk/geometry.h"

#include <cstring>

#include "bytes/bytes.h"
#include "disk/session.h"
#include "disk/win9x/drive_parameter_block.h"
#include "layout/disk_geometry.h"

namespace disklens {

namespace {

namespace dg = disk_geometry;
namespace dgx = disk_geometry_ex;
namespace dpi = disk_partition_info;
namespace ddi = disk_detection_info;

// The room asked for the extended reply.
constexpr std::uint32_t kGeometryExBufferSize = 119;
constexpr std::uint32_t kGeometrySize = dg::kSize;

// DISK_GEOMETRY at the start of both replies.
void TakeDiskGeometry(const ByteView reply, DriveGeometry& g) {
  g.cylinders = reply.U32(dg::kCylinders);  // low 32 bits of the 64-bit count
  g.mediaType = reply.U32(dg::kMediaType);
  g.heads = reply.U32(dg::kTracksPerCylinder);
  g.sectorsPerTrack = reply.U32(dg::kSectorsPerTrack);
  g.bytesPerSector = static_cast<std::uint16_t>(reply.U32(dg::kBytesPerSector));
}

bool AskExtended(Platform& os, Handle handle, DriveGeometry& g) {
  std::uint8_t reply[kGeometryExBufferSize] = {};
  std::uint32_t returned = 0;
  if (!os.DeviceIoControl(handle, kIoctlDiskGetDriveGeometryEx, nullptr, 0, reply, sizeof reply,
                          &returned) ||
      returned < dgx::kPartitionInfo) {
    return false;
  }
  // Only the bytes the reply holds are looked at.
  const ByteView r{reply, returned < sizeof reply ? returned : sizeof reply};
  TakeDiskGeometry(r, g);
  const std::uint64_t diskSize = r.U64(dgx::kDiskSize);
  // A reply without a sector size gives no count rather than a division by zero.
  g.totalSectors = g.bytesPerSector != 0 ? diskSize / g.bytesPerSector : 0;
  const ByteView partition = r.From(dgx::kPartitionInfo);
  if (partition.Has(dpi::kPartitionStyle, 4 + sizeof g.partitionId)) {
    g.partitionStyle = partition.U32(dpi::kPartitionStyle);
    std::memcpy(g.partitionId, partition.data + dpi::kPartitionId, sizeof g.partitionId);
  }
  const std::uint32_t sizeOfPartitionInfo = partition.U32(dpi::kSizeOfPartitionInfo);
  if (sizeOfPartitionInfo <= r.size) {
    const ByteView detection = r.From(dgx::kPartitionInfo + sizeOfPartitionInfo);
    g.detectionType = detection.U32(ddi::kDetectionType);
    if (detection.Has(ddi::kInt13, sizeof g.int13)) {
      std::memcpy(g.int13, detection.data + ddi::kInt13, sizeof g.int13);
    }
    if (detection.Has(ddi::kExInt13, sizeof g.exInt13)) {
      std::memcpy(g.exInt13, detection.data + ddi::kExInt13, sizeof g.exInt13);
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
  g.totalSectors = r.U64(dg::kCylinders) * g.heads * g.sectorsPerTrack;
  return true;
}

}  // namespace

std::uint32_t Int13MaxCylinders(const DriveGeometry& g) {
  return ByteView{g.int13, sizeof g.int13}.U32(disk_int13_info::kMaxCylinders);
}
std::uint16_t Int13SectorsPerTrack(const DriveGeometry& g) {
  return ByteView{g.int13, sizeof g.int13}.U16(disk_int13_info::kSectorsPerTrack);
}
std::uint16_t Int13MaxHeads(const DriveGeometry& g) {
  return ByteView{g.int13, sizeof g.int13}.U16(disk_int13_info::kMaxHeads);
}

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
  const DriveParameters p = DecodeDriveParameterBlock(block);
  geometry.cylinders = p.cylinders;
  geometry.heads = p.heads;
  geometry.sectorsPerTrack = p.sectorsPerTrack;
  geometry.bytesPerSector = p.bytesPerSector;
  geometry.totalSectors = p.totalSectors;
  geometry.mediaType = kFixedMedia;
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
