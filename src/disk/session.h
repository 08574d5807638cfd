// The process-wide disk access session: the platform class, DKHLP32 on
// Windows 9x, and the TransferBuffer with its lock for unaligned transfers.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace disklens {

// The platform class of the session.
inline constexpr std::uint8_t kOsWin9x = 0;
inline constexpr std::uint8_t kOsNt5 = 1;
inline constexpr std::uint8_t kOsNt4 = 4;
inline constexpr std::uint8_t kOsNt6 = 6;

inline constexpr std::uint32_t kTransferBufferSize = 0x10000;

struct DiskAccessSession {
  std::int32_t refCount = 0;
  bool ready = false;
  std::uint8_t osClass = 0;
  LibraryHandle library = 0;
  DkTransferFn dkReadSectors = nullptr;
  DkTransferFn dkWriteSectors = nullptr;
  DkDriveParametersFn dkDriveParameters = nullptr;
  std::uint32_t transferBufferSize = 0;
  void* transferBuffer = nullptr;
  Handle transferLock = 0;
};

DiskAccessSession& Session();

// Nonzero `setUpTransferBuffer` asks for the TransferBuffer and its lock.
void StartDiskAccess(std::uint32_t setUpTransferBuffer);
void EndDiskAccess();

inline bool IsNtClass(std::uint8_t osClass) {
  return osClass == kOsNt5 || osClass == kOsNt4 || osClass == kOsNt6;
}

}  // namespace disklens
