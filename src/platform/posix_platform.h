// The Linux stand-ins for the Windows calls: \\.\PhysicalDriveN is the N-th disk
// of ConfiguredDisks() (or of the operands given to UseDisks), opened read-only
// unless write access is asked for; positioned reads take the place of
// SetFilePointer and ReadFile.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/disk_messages.h"
#include "platform/image_source.h"
#include "platform/platform.h"
#include "platform/posix_disks.h"

namespace disklens {

class PosixPlatform : public Platform {
 public:
  // With `asWin9x` the platform says it is Windows 9x, so that the disks are
  // reached through our DKHLP32 instead of the raw devices.
  explicit PosixPlatform(bool asWin9x = false);
  // Uses `disks` instead of ConfiguredDisks().
  PosixPlatform(std::vector<DiskSource> disks, bool asWin9x);
  ~PosixPlatform() override;

  void SetVerbose(bool verbose) override { verbose_ = verbose; }
  void EnterConfinement() override;
  // Lets EnterConfinement confine the process: the program's own platform
  // only, since the tests that make others go on writing files afterwards.
  void AllowConfinement() { confinable_ = true; }
  std::string DiskSourceName(std::uint32_t index) override;
  void ExplainUnopenedDisks() override;
  void UseDisks(std::vector<DiskSource> disks) override;
  std::vector<std::string> DisksLeftOut() override { return DisksPastTheNumbers(Disks()); }
  bool OperandNotOpened() const override { return messages_.OperandNotOpened(); }
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
    int fd = -1;
    bool blockDevice = false;
    std::uint32_t sectorSize = 512;
    std::uint64_t position = 0;
    // A container file's virtual disk; reads go through it instead of `fd`.
    std::shared_ptr<ImageSource> image{};
    ImageKind kind = ImageKind::kRaw;
    // The size of the disk a container holds (kind not kRaw), which may end
    // before the file does.
    std::uint64_t dataSize = 0;
    std::string description{};          // "a qcow2 image", for --verbose
    std::uint32_t index = 0;  // the disk number it stands behind
  };
  struct Mutex {
    std::recursive_mutex mutex;
  };

  const std::vector<DiskSource>& Disks();
  Handle NewHandle();
  // The open file or mutex of `handle`, or null. Each read asks for both
  // several times: the last one found is kept (map nodes do not move).
  File* FindFile(Handle handle);
  Mutex* FindMutex(Handle handle);
  // Names an entry that did not open with the system's reason for `error`.
  void SayNotOpened(std::uint32_t index, const DiskSource& source, int error);
  bool OpenContainer(std::uint32_t index, const DiskSource& source, int fd, std::uint64_t fileSize,
                     File& file);
  void SayFormats();
  bool OpenOldFooterVhd(std::uint32_t index, const DiskSource& source, int fd,
                        std::uint64_t fileSize, File& file);
  bool OpenSplitSet(std::uint32_t index, const DiskSource& source, File& file);
  bool ReadImage(File& file, void* buffer, std::uint32_t bytes, std::uint32_t* done);

  bool asWin9x_;
  bool disksKnown_ = false;
  std::vector<DiskSource> disks_;
  std::uint32_t errorMode_ = 0;
  bool libraryLoaded_ = false;
  Handle nextHandle_ = 0x100;
  std::map<Handle, File> files_;
  bool verbose_ = false;
  bool formatsSaid_ = false;  // the --verbose line of the formats, once a run
  bool confinable_ = false;
  DiskMessages messages_;
  std::set<std::uint32_t> sectorSizeSaid_;
  std::set<std::uint32_t> readErrorSaid_;
  std::map<Handle, std::unique_ptr<Mutex>> mutexes_;
  std::map<void*, std::size_t> pages_;  // VirtualAlloc's, with their sizes
  Handle lastFileHandle_ = 0;
  File* lastFile_ = nullptr;
  Handle lastMutexHandle_ = 0;
  Mutex* lastMutex_ = nullptr;
};

}  // namespace disklens
