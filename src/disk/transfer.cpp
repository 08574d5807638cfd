#include "disk/transfer.h"

#include <cstdint>
#include <cstring>

#include "disk/device.h"
#include "disk/session.h"

namespace disklens {

namespace {

constexpr int kDkAttempts = 3;
constexpr std::uint32_t kDkRefused = 0xFF;

void AddToLba(std::uint32_t& low, std::uint32_t& high, std::uint32_t n) {
  const std::uint32_t before = low;
  low += n;
  if (low < before) ++high;
}

// One chunk through the raw device (NT classes). True when all of it moved.
bool MoveChunkNt(Platform& os, DiskDevice& device, std::uint64_t lba, std::uint8_t* transfer,
                 std::uint8_t* caller, bool bounced, std::uint32_t chunk,
                 std::uint32_t direction) {
  // A byte offset that does not fit a signed 64-bit position would wrap to
  // another sector: no disk has it, so the transfer fails.
  if (lba > static_cast<std::uint64_t>(INT64_MAX) / device.sectorSize) {
    device.lastError = kErrorSectorNotFound;
    return false;
  }
  const std::uint64_t offset = lba * device.sectorSize;
  std::int32_t high = static_cast<std::int32_t>(offset >> 32);
  const std::uint32_t low = static_cast<std::uint32_t>(offset);
  if (os.SetFilePointer(device.handle, static_cast<std::int32_t>(low), &high, kFileBegin) ==
      kInvalidSetFilePointer) {
    const std::uint32_t error = os.GetLastError();
    if (error != 0) {
      device.lastError = error;
      return false;
    }
  }
  std::uint32_t done = 0;
  if (direction == kDirectionRead) {
    if (!os.ReadFile(device.handle, transfer, chunk, &done)) device.lastError = os.GetLastError();
    if (done > chunk) done = chunk;
    // What arrived is handed on even when the read failed part-way.
    if (bounced && done != 0) std::memcpy(caller, transfer, done);
  } else {
    if (bounced) std::memcpy(transfer, caller, chunk);
    if (!os.WriteFile(device.handle, transfer, chunk, &done)) device.lastError = os.GetLastError();
  }
  return done == chunk;
}

// One chunk through DKHLP32 (Windows 9x), with up to three attempts.
bool MoveChunkDk(const DiskAccessSession& s, DiskDevice& device, std::uint32_t lbaLow,
                 std::uint32_t lbaHigh, std::uint8_t* transfer, std::uint8_t* caller, bool bounced,
                 std::uint32_t chunk, std::uint32_t direction) {
  // DKHLP32 takes only the low half of the LBA: a sector above 2^32 can't be
  // reached, and moving the low half's sector instead would give wrong data.
  if (lbaHigh != 0) {
    device.lastError = kDkRefused;
    return false;
  }
  const DkTransferFn fn = direction == kDirectionRead ? s.dkReadSectors : s.dkWriteSectors;
  if (direction == kDirectionWrite && bounced) std::memcpy(transfer, caller, chunk);
  const std::uint32_t chunkSectors = chunk / device.sectorSize;
  bool ok = false;
  for (int attempt = 0; attempt < kDkAttempts && !ok && fn != nullptr; ++attempt) {
    ok = fn(lbaLow, transfer, chunkSectors, BiosNumber(device)) != 0;
  }
  if (direction == kDirectionRead && bounced) std::memcpy(caller, transfer, chunk);
  if (!ok) device.lastError = kDkRefused;
  return ok;
}

}  // namespace

std::int32_t ReadSectors(std::uint32_t lbaLow, std::uint32_t lbaHigh, void* buffer,
                         std::uint32_t sectorCount, DiskDevice* device) {
  // A run that our own request routine moves in one piece, as nearly every
  // read is, goes to it without the request's round trip: the same move.
  if (device != nullptr && device->operation == &ServeDiskRequest && device->sectorSize != 0 &&
      sectorCount != 0 &&
      static_cast<std::uint64_t>(sectorCount) * device->sectorSize <= device->maxTransferBytes) {
    return MoveSectors(lbaLow, lbaHigh, buffer, sectorCount, device, kDirectionRead);
  }
  return TransferSectors(kRequestRead, lbaLow, lbaHigh, buffer, sectorCount, device);
}

std::int32_t TransferSectors(std::uint32_t requestCode, std::uint32_t lbaLow, std::uint32_t lbaHigh,
                             void* buffer, std::uint32_t sectorCount, DiskDevice* device) {
  if (device == nullptr || device->operation == nullptr || device->sectorSize == 0) return 0;
  std::uint32_t lba[2] = {lbaLow, lbaHigh};
  auto* position = static_cast<std::uint8_t*>(buffer);
  std::int32_t result = 1;
  while (sectorCount != 0) {
    std::uint32_t n = sectorCount;
    std::uint64_t bytes = static_cast<std::uint64_t>(n) * device->sectorSize;
    if (bytes > device->maxTransferBytes) {
      n = device->maxTransferBytes / device->sectorSize;
      bytes = static_cast<std::uint64_t>(n) * device->sectorSize;
    }
    // A limit below one sector could never move anything.
    if (n == 0) return 0;
    result = device->operation(device, requestCode, lba, 8, position, n);
    sectorCount -= n;
    AddToLba(lba[0], lba[1], n);
    position += bytes;
    if (result == 0) break;
  }
  return result;
}

namespace {

TransferChoice SelectTransferBuffer(const DiskAccessSession& s, Platform& os,
                                    const DiskDevice* device, void* buffer) {
  TransferChoice choice;
  if ((reinterpret_cast<std::uintptr_t>(buffer) & device->sectorMask) == 0) {
    choice.pointer = static_cast<std::uint8_t*>(buffer);
    choice.capacity = 0xFFFFFFFFu;
    return choice;
  }
  if (s.transferLock != 0) os.WaitForSingleObject(s.transferLock, kInfinite);
  choice.pointer = static_cast<std::uint8_t*>(s.transferBuffer);
  choice.capacity = s.transferBufferSize;
  choice.bounced = true;
  return choice;
}

}  // namespace

TransferChoice SelectTransferBuffer(const DiskDevice* device, void* buffer) {
  return SelectTransferBuffer(Session(), CurrentPlatform(), device, buffer);
}

std::int32_t MoveSectors(std::uint32_t lbaLow, std::uint32_t lbaHigh, void* buffer,
                         std::uint32_t sectorCount, DiskDevice* device, std::uint32_t direction) {
  if (device == nullptr || device->sectorSize == 0) return 0;
  const DiskAccessSession& s = Session();
  Platform& os = CurrentPlatform();
  const TransferChoice choice = SelectTransferBuffer(s, os, device, buffer);
  const std::uint32_t sectorSize = device->sectorSize;
  std::uint32_t remaining = sectorCount * sectorSize;
  std::uint32_t chunkMax = choice.capacity - choice.capacity % sectorSize;
  if (s.osClass == kOsWin9x && chunkMax > 127 * sectorSize) chunkMax = 127 * sectorSize;

  os.WaitForSingleObject(device->deviceLock, kInfinite);
  std::int32_t ok = 0;
  if (chunkMax != 0 && choice.pointer != nullptr) {
    std::uint8_t* caller = static_cast<std::uint8_t*>(buffer);
    std::uint8_t* transfer = choice.pointer;
    while (true) {
      const std::uint32_t chunk = remaining < chunkMax ? remaining : chunkMax;
      const std::uint32_t chunkSectors = chunk / sectorSize;
      const bool moved =
          IsNtClass(s.osClass)
              ? MoveChunkNt(os, *device, (static_cast<std::uint64_t>(lbaHigh) << 32) | lbaLow,
                            transfer, caller, choice.bounced, chunk, direction)
              : MoveChunkDk(s, *device, lbaLow, lbaHigh, transfer, caller, choice.bounced, chunk,
                            direction);
      ok = moved ? 1 : 0;
      AddToLba(lbaLow, lbaHigh, chunkSectors);
      if (choice.bounced) {
        caller += chunk;
      } else {
        transfer += chunk;
      }
      remaining -= chunk;
      if (remaining == 0 || ok == 0) break;
    }
  }
  os.ReleaseMutex(device->deviceLock);
  if (choice.bounced && s.transferLock != 0) os.ReleaseMutex(s.transferLock);
  return ok;
}

}  // namespace disklens
