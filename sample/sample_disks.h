// The two sample disks that show every section of the report.
#pragma once

#include "support/disk_image.h"

namespace disklens::sample {

// MBR with an active FAT16 primary, an extended chain of a FAT12 and an NTFS
// logical partition, and a type 0xDA image partition with its trailer; an
// EMBR with MPT, MBFT and MDT behind sector 0.
test::DiskImage MakeDisk0();

// GPT behind a protective MBR: FAT32 (EFI system), NTFS, ext4 and swap.
test::DiskImage MakeDisk1();

}  // namespace disklens::sample
