// Which file stands behind \\.\PhysicalDriveN on Linux.
#pragma once

#include <string>
#include <vector>

#include "platform/disk_list.h"

namespace disklens {

// Orders block device names naturally: digit runs by value, drive letters as
// numbers, everything else alphabetically
// (sda, sdb, sdaa; nvme0n1, nvme1n1, nvme10n1).
bool NaturalNameLess(const std::string& a, const std::string& b);

// The whole disks under `sysBlock` (normally /sys/block), as `devDir`/NAME
// paths in natural order, without ram, zram, optical drives and loop devices
// that have no backing file.
std::vector<DiskSource> ListSystemDisks(const std::string& sysBlock,
                                        const std::string& devDir = "/dev");

// The disks of this run, known before any is opened: the operands when there
// are any, else DISKLENS_DISKS when it is set, else the system's.
std::vector<DiskSource> ConfiguredDisks(const std::vector<std::string>& operands = {});

}  // namespace disklens
