// Disk image files in a temporary directory, read through the POSIX platform.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix_platform.h"
#include "support/temp_dir.h"

namespace disklens::test {

// A sparse file of `bytes` bytes; true on success.
inline bool MakeSparseFile(const std::string& path, std::uint64_t bytes) {
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  if (fd < 0) return false;
  const bool ok = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0;
  return ::close(fd) == 0 && ok;
}

// Writes `data` at byte `offset` of an existing file; true on success.
inline bool WriteAt(const std::string& path, std::uint64_t offset,
                    const std::vector<std::uint8_t>& data) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0) return false;
  const ssize_t n = ::pwrite(fd, data.data(), data.size(), static_cast<off_t>(offset));
  return ::close(fd) == 0 && n == static_cast<ssize_t>(data.size());
}

// The POSIX platform over image files, installed for the lifetime of this object.
class InstalledPosixPlatform {
 public:
  explicit InstalledPosixPlatform(std::vector<DiskSource> disks) : platform_(std::move(disks), false) {
    SetPlatform(&platform_);
  }
  ~InstalledPosixPlatform() { SetPlatform(nullptr); }
  InstalledPosixPlatform(const InstalledPosixPlatform&) = delete;
  InstalledPosixPlatform& operator=(const InstalledPosixPlatform&) = delete;

 private:
  PosixPlatform platform_;
};

}  // namespace disklens::test
