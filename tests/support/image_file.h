// Disk image files in a temporary directory, read through the system's own
// back end (the POSIX one on Linux, the Win32 one on Windows).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#if defined(_WIN32)
#include "platform/win32_platform.h"
#else
#include "platform/posix_platform.h"
#endif
#include "support/sparse_file.h"
#include "support/temp_dir.h"

namespace disklens::test {

// A sparse file of `bytes` bytes; true on success.
inline bool MakeSparseFile(const std::string& path, std::uint64_t bytes) {
  return MakeSizedFile(path, bytes);
}

// Writes `data` at byte `offset` of an existing file; true on success.
inline bool WriteAt(const std::string& path, std::uint64_t offset,
                    const std::vector<std::uint8_t>& data) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  file.close();
  return !file.fail();
}

// The system's back end over image files, installed for the lifetime of this object.
class InstalledImagePlatform {
 public:
#if defined(_WIN32)
  explicit InstalledImagePlatform(std::vector<DiskSource> disks) : platform_(std::move(disks)) {
    SetPlatform(&platform_);
  }
#else
  explicit InstalledImagePlatform(std::vector<DiskSource> disks)
      : platform_(std::move(disks), false) {
    SetPlatform(&platform_);
  }
#endif
  ~InstalledImagePlatform() { SetPlatform(nullptr); }
  InstalledImagePlatform(const InstalledImagePlatform&) = delete;
  InstalledImagePlatform& operator=(const InstalledImagePlatform&) = delete;

 private:
#if defined(_WIN32)
  Win32Platform platform_;
#else
  PosixPlatform platform_;
#endif
};

}  // namespace disklens::test
