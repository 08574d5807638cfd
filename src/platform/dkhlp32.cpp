#include "platform/dkhlp32.h"

#include <cstdio>
#include <cstring>

#include "bytes/bytes.h"
#include "layout/disk_geometry.h"

namespace disklens {

namespace {

constexpr std::uint32_t kFirstBios = 0x80;
constexpr std::uint32_t kDisks = 32;

// A disk the library has opened, kept until it is unloaded.
struct OpenDisk {
  Handle read = 0;   // 0: not tried yet
  Handle write = 0;  // opened only when something is written
  std::uint32_t sectorSize = 0;
  std::uint64_t totalSectors = 0;
  std::uint32_t cylinders = 0;
  std::uint32_t heads = 0;
  std::uint32_t sectorsPerTrack = 0;
};

OpenDisk g_disks[kDisks];

Handle OpenRaw(std::uint32_t index, std::uint32_t access) {
  char path[32];
  std::snprintf(path, sizeof path, "\\\\.\\PhysicalDrive%u", index);
  return CurrentPlatform().CreateFileA(path, access, kFileShareRead | kFileShareWrite,
                                       kOpenExisting, 0);
}

// The disk behind a BIOS number, opened for reading with its geometry; null
// when no disk answers there.
OpenDisk* DiskFor(std::uint32_t biosNumber) {
  if (biosNumber < kFirstBios || biosNumber >= kFirstBios + kDisks) return nullptr;
  OpenDisk& d = g_disks[biosNumber - kFirstBios];
  if (d.read == 0) {
    d.read = OpenRaw(biosNumber - kFirstBios, kGenericRead);
    if (d.read == kInvalidHandle) return nullptr;
    std::uint8_t reply[119] = {};
    std::uint32_t returned = 0;
    if (CurrentPlatform().DeviceIoControl(d.read, kIoctlDiskGetDriveGeometryEx, nullptr, 0, reply,
                                          sizeof reply, &returned) &&
        returned >= disk_geometry_ex::kPartitionInfo) {
      namespace dg = disk_geometry;
      const ByteView r{reply, returned};
      d.cylinders = r.U32(dg::kCylinders);
      d.heads = r.U32(dg::kTracksPerCylinder);
      d.sectorsPerTrack = r.U32(dg::kSectorsPerTrack);
      d.sectorSize = r.U32(dg::kBytesPerSector);
      d.totalSectors = d.sectorSize != 0 ? r.U64(disk_geometry_ex::kDiskSize) / d.sectorSize : 0;
    }
    if (d.sectorSize == 0) d.sectorSize = 512;
  }
  return d.read == kInvalidHandle ? nullptr : &d;
}

std::int32_t Move(std::uint32_t lbaLow, void* buffer, std::uint32_t sectorCount,
                  std::uint32_t biosNumber, bool write) {
  OpenDisk* d = DiskFor(biosNumber);
  if (d == nullptr || buffer == nullptr) return 0;
  Platform& os = CurrentPlatform();
  Handle h = d->read;
  if (write) {
    if (d->write == 0) d->write = OpenRaw(biosNumber - kFirstBios, kGenericRead | kGenericWrite);
    if (d->write == kInvalidHandle) return 0;
    h = d->write;
  }
  const std::uint64_t offset = static_cast<std::uint64_t>(lbaLow) * d->sectorSize;
  const std::uint64_t bytes = static_cast<std::uint64_t>(sectorCount) * d->sectorSize;
  if (bytes > 0xFFFFFFFFu) return 0;
  std::int32_t high = static_cast<std::int32_t>(offset >> 32);
  if (os.SetFilePointer(h, static_cast<std::int32_t>(static_cast<std::uint32_t>(offset)), &high,
                        kFileBegin) == kInvalidSetFilePointer &&
      os.GetLastError() != 0) {
    return 0;
  }
  std::uint32_t done = 0;
  const auto n = static_cast<std::uint32_t>(bytes);
  const bool ok = write ? os.WriteFile(h, buffer, n, &done) : os.ReadFile(h, buffer, n, &done);
  return ok && done == n ? 1 : 0;
}

}  // namespace

void EncodeDriveParameterBlock(std::uint32_t cylinders, std::uint32_t heads,
                               std::uint32_t sectorsPerTrack, std::uint64_t totalSectors,
                               std::uint16_t bytesPerSector,
                               std::uint8_t block[kDriveParameterBlockSize]) {
  namespace dpb = drive_parameter_block;
  PutU32(block + dpb::kCylinders, cylinders);
  PutU32(block + dpb::kHeads, heads);
  PutU32(block + dpb::kSectorsPerTrack, sectorsPerTrack);
  PutU64(block + dpb::kTotalSectors, totalSectors);
  PutU16(block + dpb::kBytesPerSector, bytesPerSector);
}

std::int32_t DK_WINAPI DkDriveParameters(std::uint32_t biosNumber, void* block,
                                         std::uint32_t length) {
  if (block == nullptr || length < kDriveParameterBlockSize) return 0;
  OpenDisk* d = DiskFor(biosNumber);
  if (d == nullptr) return 0;
  EncodeDriveParameterBlock(d->cylinders, d->heads, d->sectorsPerTrack, d->totalSectors,
                            static_cast<std::uint16_t>(d->sectorSize),
                            static_cast<std::uint8_t*>(block));
  return 1;
}

std::int32_t DK_WINAPI DkReadSectors(std::uint32_t lbaLow, void* buffer, std::uint32_t sectorCount,
                                     std::uint32_t biosNumber) {
  return Move(lbaLow, buffer, sectorCount, biosNumber, false);
}

std::int32_t DK_WINAPI DkWriteSectors(std::uint32_t lbaLow, void* buffer,
                                      std::uint32_t sectorCount, std::uint32_t biosNumber) {
  return Move(lbaLow, buffer, sectorCount, biosNumber, true);
}

ProcAddress Dkhlp32Export(std::uint16_t ordinal) {
  switch (ordinal) {
    case 1: return reinterpret_cast<ProcAddress>(&DkDriveParameters);
    case 2: return reinterpret_cast<ProcAddress>(&DkReadSectors);
    case 3: return reinterpret_cast<ProcAddress>(&DkWriteSectors);
    default: return nullptr;
  }
}

void Dkhlp32Unload() {
  Platform& os = CurrentPlatform();
  for (OpenDisk& d : g_disks) {
    if (d.read != 0 && d.read != kInvalidHandle) os.CloseHandle(d.read);
    if (d.write != 0 && d.write != kInvalidHandle) os.CloseHandle(d.write);
    d = OpenDisk{};
  }
}

}  // namespace disklens
