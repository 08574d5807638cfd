// The checks of a boot row whose volume the text's decoders do not know:
// exFAT (its boot regions, their backup, its partition offset), BitLocker and
// ReFS, each against its partition; and the note that names such a volume.
#pragma once

#include "bootsector/boot_row.h"
#include "check/finding.h"

namespace disklens {

// fs.kind, fs.size, exfat.checksum, exfat.backup and exfat.offset findings,
// appended to `out`. Reads nothing: the exFAT boot regions are in `row`,
// read by the pass of a --check run.
void CheckVolumeRow(const BootRowRecord& row, const DiskFacts& facts, Findings& out);

}  // namespace disklens
