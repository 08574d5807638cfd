// Which file stands behind \\.\PhysicalDriveN when DISKLENS_DISKS names image
// files: the part that every back end (and the test fake) reads the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disklens {

struct DiskSource {
  std::string path;                 // empty: no disk at this index
  std::uint32_t imageSectorSize = 512;  // for image files; block devices report their own
};

// The system's path-list separator: Windows paths hold ':' after the drive letter.
#if defined(_WIN32)
inline constexpr char kDiskListSeparator = ';';
#else
inline constexpr char kDiskListSeparator = ':';
#endif

// DISKLENS_DISKS: paths separated by `separator`, entry N is disk N, an empty
// entry leaves that disk absent, and "@512", "@1024", "@2048" or "@4096" at the
// end of an entry gives an image's sector size. An empty list is no disk at all.
std::vector<DiskSource> ParseDiskList(const std::string& list,
                                      char separator = kDiskListSeparator);

// "\\.\PhysicalDriveN" to N; none for any other path.
std::optional<std::uint32_t> PhysicalDriveIndex(const char* path);

}  // namespace disklens
