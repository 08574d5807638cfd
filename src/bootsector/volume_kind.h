// Which volume a boot sector starts, told by its marks alone: the volumes
// that the text's decoders do not know (exFAT, BitLocker, ReFS) and the
// FAT32 discovery volume of BitLocker To Go.
#pragma once

#include "bytes/bytes.h"

namespace disklens {

enum class VolumeKind { kNone, kExfat, kBitLocker, kBitLockerToGo, kRefs };

// kNone for every other sector (FAT, NTFS, ...), and for one too short to tell.
VolumeKind VolumeKindOf(ByteView sector);

// "exFAT", "BitLocker", "BitLocker To Go", "ReFS"; "" for kNone.
const char* VolumeKindName(VolumeKind kind);

}  // namespace disklens
