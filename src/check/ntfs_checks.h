// The check of an NTFS volume's backup boot sector, in the sector after the
// volume's last (the partition's last, as mkntfs leaves it).
#pragma once

#include "bootsector/boot_row.h"
#include "check/boot_volume.h"
#include "check/finding.h"
#include "state/report_state.h"

namespace disklens {

// ntfs.backup errors, at the backup's LBA: reads it, once, into a buffer of
// its own. Nothing when the volume reaches past its partition (fs.size says
// so) or its sector size is unusable.
void CheckNtfsBackup(ReportState& state, const BootRowRecord& row, const BootVolume& volume,
                     const DiskFacts& facts, Findings& out);

}  // namespace disklens
