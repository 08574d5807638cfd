// Which file stands behind \\.\PhysicalDriveN on Linux.
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

// DISKLENS_DISKS: colon-separated paths, entry N is disk N, an empty entry
// leaves that disk absent, and "@512", "@1024", "@2048" or "@4096" at the end of
// an entry gives an image's sector size.
std::vector<DiskSource> ParseDiskList(const std::string& list);

// Orders block device names naturally: digit runs by value, drive letters as
// numbers, everything else alphabetically
// (sda, sdb, sdaa; nvme0n1, nvme1n1, nvme10n1).
bool NaturalNameLess(const std::string& a, const std::string& b);

// The whole disks under `sysBlock` (normally /sys/block), as /dev/NAME paths in
// natural order, without ram, zram, optical drives and loop devices that have
// no backing file.
std::vector<DiskSource> ListSystemDisks(const std::string& sysBlock);

// The disks of this run: DISKLENS_DISKS when it is set, otherwise the system's.
std::vector<DiskSource> ConfiguredDisks();

// "\\.\PhysicalDriveN" to N; none for any other path.
std::optional<std::uint32_t> PhysicalDriveIndex(const char* path);

}  // namespace disklens
