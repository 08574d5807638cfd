// The checks of a FAT volume's boot sector: the BPB as fsck.fat reads it and
// the dirty flag.
#pragma once

#include "bootsector/boot_row.h"
#include "check/boot_volume.h"
#include "check/finding.h"

namespace disklens {

// fat.bpb errors: the conditions under which fsck.fat refuses the volume.
// False when the sector size or cluster size is unusable, so that nothing
// counted in them is checked after.
bool CheckFatBpb(const BootRowRecord& row, const BootVolume& volume, Findings& out);

// fat.dirty: the volume was not cleanly unmounted.
void CheckFatDirty(const BootRowRecord& row, const BootVolume& volume, Findings& out);

}  // namespace disklens
