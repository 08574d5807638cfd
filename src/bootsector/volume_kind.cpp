#include "bootsector/volume_kind.h"

#include "layout/bitlocker.h"
#include "layout/exfat.h"
#include "layout/refs.h"

namespace disklens {

VolumeKind VolumeKindOf(ByteView sector) {
  if (sector.Matches(exfat::kFileSystemName, "EXFAT   ", 8)) return VolumeKind::kExfat;
  if (sector.Matches(bitlocker::kSignature, "-FVE-FS-", 8)) return VolumeKind::kBitLocker;
  if (sector.Matches(refs::kFileSystemName, "ReFS\0\0\0\0", 8)) return VolumeKind::kRefs;
  // To Go keeps a real FAT32 boot sector; only the identifier behind its boot code tells it.
  if (sector.Matches(bitlocker::kToGoIdentifier, bitlocker::kIdentifierBytes, 16)) {
    return VolumeKind::kBitLockerToGo;
  }
  return VolumeKind::kNone;
}

const char* VolumeKindName(VolumeKind kind) {
  switch (kind) {
    case VolumeKind::kExfat:
      return "exFAT";
    case VolumeKind::kBitLocker:
      return "BitLocker";
    case VolumeKind::kBitLockerToGo:
      return "BitLocker To Go";
    case VolumeKind::kRefs:
      return "ReFS";
    case VolumeKind::kNone:
      break;
  }
  return "";
}

}  // namespace disklens
