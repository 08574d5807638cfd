// The checks of the sectors a FAT32 volume keeps beside its boot sector: the
// backup boot sector and the FSInfo sector.
#pragma once

#include "bootsector/boot_row.h"
#include "check/boot_volume.h"
#include "check/finding.h"
#include "state/report_state.h"

namespace disklens {

// fat32.backup: the report's backup copy (`row.backup`) against the primary.
void CheckFat32Backup(const BootRowRecord& row, Findings& out);

// fat32.fsinfo: reads the FSInfo sector, once, into a buffer of its own.
void CheckFat32FsInfo(ReportState& state, const BootRowRecord& row, const BootVolume& volume,
                      const DiskFacts& facts, Findings& out);

}  // namespace disklens
