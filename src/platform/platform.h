// The operating-system calls that the disk layer makes, as one interface.
// The disk layer never calls the OS itself: it asks CurrentPlatform(), so that a
// test can put an in-memory disk behind it and a Linux build can answer the
// Windows calls from image files and block devices.
// Callers besides the disk layer, each for one call that is not a disk's:
// app/driver.cpp (the start and end of a run: verbosity, disks, confinement,
// the WorkBuffer), gpt/name_text.cpp (WideCharToMultiByte for a partition's
// name), mbr/extended_chain.cpp (VirtualAlloc and VirtualFree of the chain buffer) and
// json/disk_json.cpp (DiskSourceName for a disk's "source").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/disk_list.h"

#if defined(_WIN32) && !defined(_WIN64)
#define DK_WINAPI __stdcall
#else
#define DK_WINAPI
#endif

namespace disklens {

using Handle = std::uintptr_t;             // a file or mutex handle; 0 is "no handle"
inline constexpr Handle kInvalidHandle = ~Handle{0};  // INVALID_HANDLE_VALUE
using LibraryHandle = std::uintptr_t;      // 0 when no library is loaded
using ProcAddress = void (*)();

inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kFileShareRead = 1;
inline constexpr std::uint32_t kFileShareWrite = 2;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kFileBegin = 0;
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;
inline constexpr std::uint32_t kInvalidSetFilePointer = 0xFFFFFFFFu;
inline constexpr std::uint32_t kSemNoOpenFileErrorBox = 0x8000;
inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;
inline constexpr std::uint32_t kIoctlDiskGetDriveGeometry = 0x00070000u;
inline constexpr std::uint32_t kIoctlDiskGetDriveGeometryEx = 0x000700A0u;
inline constexpr std::uint32_t kCpAcp = 0;

// Windows error codes that the platform layers report through GetLastError.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorWriteProtect = 19;
inline constexpr std::uint32_t kErrorCrc = 23;
inline constexpr std::uint32_t kErrorSectorNotFound = 27;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorHandleEof = 38;
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorNegativeSeek = 131;

// The part of OSVERSIONINFOA that the session reads.
struct OsVersionInfo {
  std::uint32_t osVersionInfoSize = 148;
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;
};

// The three DKHLP32 entry points, found by ordinal.
using DkDriveParametersFn = std::int32_t(DK_WINAPI*)(std::uint32_t biosNumber, void* block,
                                                     std::uint32_t length);
using DkTransferFn = std::int32_t(DK_WINAPI*)(std::uint32_t lbaLow, void* buffer,
                                              std::uint32_t sectorCount, std::uint32_t biosNumber);

class Platform {
 public:
  virtual ~Platform() = default;

  // With `verbose`, a back end that knows which file stands behind each disk
  // number names it on stderr when it opens; the others ignore it.
  virtual void SetVerbose(bool /*verbose*/) {}
  // Called once the command line is read, before any disk is opened: a back
  // end that can confine the process to reading its disks does so for good
  // (and says how under --verbose); the others do nothing.
  virtual void EnterConfinement() {}
  // Called once, after the last disk number: a back end that saw the
  // system's disks refused for lack of rights says so on stderr, in one line.
  virtual void ExplainUnopenedDisks() {}

  // The disks named on the command line, in place of DISKLENS_DISKS or the
  // system's own; given before the first disk is opened.
  virtual void UseDisks(std::vector<DiskSource> /*disks*/) {}
  // The disks found or listed past the 32 disk numbers, which the report
  // leaves out, by the names that reach them.
  virtual std::vector<std::string> DisksLeftOut() { return {}; }
  // True once a disk named on the command line did not open.
  virtual bool OperandNotOpened() const { return false; }

  // The file or device behind disk `index` (0 to 31) as the user named it;
  // empty when this back end can't say.
  virtual std::string DiskSourceName(std::uint32_t /*index*/) { return {}; }

  virtual bool GetVersionExA(OsVersionInfo& info) = 0;
  virtual std::uint32_t SetErrorMode(std::uint32_t mode) = 0;
  virtual LibraryHandle LoadLibraryA(const char* name) = 0;
  virtual ProcAddress GetProcAddress(LibraryHandle library, std::uint16_t ordinal) = 0;
  virtual bool FreeLibrary(LibraryHandle library) = 0;

  // An unnamed mutex, not initially owned; 0 on failure.
  virtual Handle CreateMutexA() = 0;
  virtual std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) = 0;
  virtual bool ReleaseMutex(Handle handle) = 0;
  virtual bool CloseHandle(Handle handle) = 0;

  // Committed read-write memory, page-aligned and zeroed; null on failure.
  virtual void* VirtualAlloc(std::size_t size) = 0;
  virtual bool VirtualFree(void* address) = 0;

  // kInvalidHandle on failure.
  virtual Handle CreateFileA(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                             std::uint32_t creationDisposition, std::uint32_t flags) = 0;
  virtual std::uint32_t SetFilePointer(Handle handle, std::int32_t distanceLow,
                                       std::int32_t* distanceHigh, std::uint32_t moveMethod) = 0;
  virtual bool ReadFile(Handle handle, void* buffer, std::uint32_t bytes, std::uint32_t* done) = 0;
  virtual bool WriteFile(Handle handle, const void* buffer, std::uint32_t bytes,
                         std::uint32_t* done) = 0;
  virtual std::uint32_t GetLastError() = 0;
  virtual bool DeviceIoControl(Handle handle, std::uint32_t code, const void* in,
                               std::uint32_t inSize, void* out, std::uint32_t outSize,
                               std::uint32_t* returned) = 0;
  // The physical sector size of the open disk `handle` in bytes; 0 when this
  // back end or the disk does not say (image files never do).
  virtual std::uint32_t PhysicalSectorSize(Handle /*handle*/) { return 0; }

  // UTF-16 to the console's narrow encoding; the number of bytes written, 0 on failure.
  virtual std::int32_t WideCharToMultiByte(std::uint32_t codePage, const std::uint16_t* src,
                                           std::int32_t srcUnits, char* dst,
                                           std::int32_t dstSize) = 0;
};

// The platform the disk layer talks to: the real one of this build unless a
// test has installed another.
Platform& CurrentPlatform();
// Installs `platform` (not owned) in place of the real one; null restores it.
void SetPlatform(Platform* platform);
// The real platform of this build.
Platform& NativePlatform();

}  // namespace disklens
