// The Windows calls themselves. \\.\PhysicalDriveN is the raw device unless
// operands or DISKLENS_DISKS (";"-separated) name image files: then it is image N, opened
// with the access asked for, and the geometry requests, which Windows refuses
// on a regular file, are answered from the file's size and sector size as the
// Linux back end does, so that one image gives one report on both systems.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/disk_list.h"
#include "platform/disk_messages.h"
#include "platform/platform.h"

namespace disklens {

class Win32Platform : public Platform {
 public:
  // Raw devices, or the images of DISKLENS_DISKS when it is set (even empty).
  Win32Platform() = default;
  // The images of `disks` in place of the raw devices.
  explicit Win32Platform(std::vector<DiskSource> disks);

  void SetVerbose(bool verbose) override { verbose_ = verbose; }
  void ExplainUnopenedDisks() override { messages_.ExplainNoRawDisk(); }
  void UseDisks(std::vector<DiskSource> disks) override;
  std::vector<std::string> DisksLeftOut() override;
  bool OperandNotOpened() const override { return messages_.OperandNotOpened(); }
  std::string DiskSourceName(std::uint32_t index) override;
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
  bool DeviceIoControl(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize,
                       void* out, std::uint32_t outSize, std::uint32_t* returned) override;
  std::int32_t WideCharToMultiByte(std::uint32_t codePage, const std::uint16_t* src,
                                   std::int32_t srcUnits, char* dst, std::int32_t dstSize) override;

 private:
  // The image list of this run; none when the raw devices are used.
  const std::optional<std::vector<DiskSource>>& Images();
  std::optional<std::uint32_t> ImageSectorSize(Handle handle);
  // A raw disk named as an entry (\\.\PhysicalDrive40, past the 32 numbers):
  // opened as the device it is, so that the system answers its geometry.
  Handle OpenNamedRawDisk(std::uint32_t index, const DiskSource& source,
                          std::uint32_t desiredAccess, std::uint32_t shareMode,
                          std::uint32_t flags);
  // Counts an open of the raw disk `index` and names it under --verbose.
  void NoteRawOpen(std::uint32_t index, const char* path, void* device);

  std::mutex lock_;
  bool imagesKnown_ = false;
  std::optional<std::vector<DiskSource>> images_;
  std::map<Handle, std::uint32_t> imageHandles_;  // open image files and their sector size
  bool verbose_ = false;
  DiskMessages messages_;
};

}  // namespace disklens
