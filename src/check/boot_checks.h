// The checks of one row of BOOT SECTOR INFORMATION against its partition, and
// of the sectors its file system keeps besides (the FAT32 backup and FSInfo,
// the NTFS backup boot sector).
#pragma once

#include "bootsector/boot_row.h"
#include "check/finding.h"
#include "check/partition_origin.h"
#include "state/report_state.h"

namespace disklens {

// fs.*, fat.*, fat32.* and ntfs.* findings, appended to `out`. `row`'s views
// point into the WorkBuffer, so nothing is read there: the sectors the check
// needs besides go into a buffer of its own.
void CheckBootRow(ReportState& state, const BootRowRecord& row, const PartitionOrigin& origin,
                  const DiskFacts& facts, Findings& out);

}  // namespace disklens
