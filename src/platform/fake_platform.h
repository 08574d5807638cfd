// An in-memory platform for tests: disks held in memory, every call counted
// and logged, failures injectable per call or per LBA. Constructing one puts
// it behind the disk layer; destroying it restores the real platform.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace disklens {

struct FakeDisk {
  std::vector<std::uint8_t> bytes;
  std::uint32_t sectorSize = 512;
  std::uint32_t heads = 255;
  std::uint32_t sectorsPerTrack = 63;
  std::set<std::uint64_t> failingLbas;  // a read that touches one of these fails there
  bool refuseGeometryEx = false;
  bool refuseGeometry = false;
  // When set, the reply of the extended geometry request, as it stands.
  std::vector<std::uint8_t> geometryExReply;
  // When set, the reply of the plain geometry request, as it stands.
  std::vector<std::uint8_t> geometryReply;
  std::uint32_t physicalSectorSize = 0;  // what PhysicalSectorSize answers; 0: unknown
};

struct FakeCall {
  std::string op;
  Handle handle = 0;
  std::uint64_t position = 0;  // file position of a read or write
  std::uint64_t size = 0;      // bytes asked
  std::string detail;          // path, access mask, ...
};

class FakePlatform : public Platform {
 public:
  FakePlatform();
  ~FakePlatform() override;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // Disk N is \\.\PhysicalDriveN; a missing entry is an absent disk.
  std::map<std::uint32_t, FakeDisk> disks;
  FakeDisk& AddDisk(std::uint32_t index, std::uint64_t bytes, std::uint32_t sectorSize = 512);

  // What GetVersionExA reports.
  std::uint32_t platformId = kVerPlatformWin32Nt;
  std::uint32_t majorVersion = 6;

  // DKHLP32: our own library over these disks, with ordinals taken away or replaced.
  bool dkhlp32Present = true;
  std::set<std::uint16_t> dkMissingOrdinals;
  std::map<std::uint16_t, ProcAddress> dkReplacements;

  // Call k (1-based) of `op` fails; e.g. failOnCall["VirtualAlloc"] = {1}.
  std::map<std::string, std::set<std::uint32_t>> failOnCall;
  // ReadFile delivers at most this many bytes per call (a short read), when set.
  std::uint32_t shortReadLimit = 0;

  // Counts and the log of every call.
  std::map<std::string, std::uint32_t> counts;
  std::vector<FakeCall> log;
  std::uint32_t Count(const std::string& op) const;
  std::vector<FakeCall> Calls(const std::string& op) const;
  // "wait H" and "release H" in call order, for the mutex handles.
  std::vector<std::string> lockLog;
  // Handles still open (files and mutexes) and memory not yet freed.
  std::size_t OpenHandles() const { return files_.size() + mutexes_.size(); }
  std::size_t LiveAllocations() const { return allocations_.size(); }
  void ClearLog();

  bool GetVersionExA(OsVersionInfo& info) override;
  std::uint32_t SetErrorMode(std::uint32_t mode) override;
  LibraryHandle LoadLibraryA(const char* name) override;
  ProcAddress GetProcAddress(LibraryHandle library, std::uint16_t ordinal) override;
  bool FreeLibrary(LibraryHandle library) override;
  Handle CreateMutexA() override;
  std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) override;
  bool ReleaseMutex(Handle handle) override;
  bool CloseHandle(Handle handle) override;
  void* VirtualAlloc(std::size_t size) override;
  bool VirtualFree(void* address) override;
  Handle CreateFileA(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                     std::uint32_t creationDisposition, std::uint32_t flags) override;
  std::uint32_t SetFilePointer(Handle handle, std::int32_t distanceLow, std::int32_t* distanceHigh,
                               std::uint32_t moveMethod) override;
  bool ReadFile(Handle handle, void* buffer, std::uint32_t bytes, std::uint32_t* done) override;
  bool WriteFile(Handle handle, const void* buffer, std::uint32_t bytes,
                 std::uint32_t* done) override;
  std::uint32_t GetLastError() override;
  std::uint32_t PhysicalSectorSize(Handle handle) override;
  bool DeviceIoControl(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize,
                       void* out, std::uint32_t outSize, std::uint32_t* returned) override;
  std::int32_t WideCharToMultiByte(std::uint32_t codePage, const std::uint16_t* src,
                                   std::int32_t srcUnits, char* dst, std::int32_t dstSize) override;

 private:
  struct File {
    std::uint32_t index = 0;
    std::uint32_t access = 0;
    std::uint64_t position = 0;
  };
  bool Fails(const std::string& op);
  void Record(const std::string& op, Handle handle = 0, std::uint64_t position = 0,
              std::uint64_t size = 0, std::string detail = {});

  Handle nextHandle_ = 0x100;
  std::map<Handle, File> files_;
  std::map<Handle, int> mutexes_;  // owner count
  std::set<void*> allocations_;
  std::uint32_t lastError_ = 0;
  std::uint32_t errorMode_ = 0;
  bool libraryLoaded_ = false;
};

}  // namespace disklens
