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
  // The entry as the user wrote it in DISKLENS_DISKS, for messages; empty for
  // the system's own disks.
  std::string entry{};
  // Why the entry can't be used at all (a sector size we don't know); empty when it can.
  std::string error{};
  // The entry named its sector size ("@4096"); a container that records
  // another one is then said to overrule it.
  bool sectorSizeGiven = false;
};

// The system's path-list separator: Windows paths hold ':' after the drive letter.
#if defined(_WIN32)
inline constexpr char kDiskListSeparator = ';';
#else
inline constexpr char kDiskListSeparator = ':';
#endif

// DISKLENS_DISKS: paths separated by `separator`, entry N is disk N, an empty
// entry leaves that disk absent, and "@512", "@1024", "@2048" or "@4096" at the
// end of an entry gives an image's sector size; any other "@" and digits there
// is an error of the entry (a file whose name ends so is written
// "./name@513@512"). An empty list is no disk at all.
std::vector<DiskSource> ParseDiskList(const std::string& list,
                                      char separator = kDiskListSeparator);

// "\\.\PhysicalDriveN" to N; none for any other path.
std::optional<std::uint32_t> PhysicalDriveIndex(const char* path);

}  // namespace disklens
