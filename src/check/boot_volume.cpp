#include "check/boot_volume.h"

#include <cstdio>

#include "layout/boot_sector.h"
#include "layout/mbr.h"

namespace disklens {

namespace {

namespace bs = boot_sector;

// The IFS types hold NTFS, exFAT and HPFS alike: there only FAT's own marks
// make a FAT volume.
bool IsIfsType(std::uint8_t type) { return (type & 0xEF) == 0x07; }

// The type strings mkfs.fat and every DOS write.
bool HasFatMark(ByteView s) {
  return s.Matches(bs::kFat16FileSystemType, "FAT", 3) ||
         s.Matches(bs::kFat32FileSystemType, "FAT32", 5);
}

// A boot sector's shape as DOS 2 and later leave it: a jump, a media byte of
// a disk, and the 0x55 0xAA signature.
bool HasFatShape(ByteView s) {
  const bool jump = s.U8(bs::kJump) == 0xE9 || (s.U8(bs::kJump) == 0xEB && s.U8(2) == 0x90);
  const std::uint8_t media = s.U8(bs::kMedia);
  return jump && (media == 0xF0 || media >= 0xF8);
}

}  // namespace

BootVolume ReadBootVolume(const BootRowRecord& row) {
  BootVolume v;
  const ByteView s = row.sector;
  if (!row.read || row.decoder == BootDecoder::kImageTrailer || row.decoder == BootDecoder::kNone ||
      !s.Has(0, 512) || s.U16(kBootSignatureOffset) != kBootSignature) {
    return v;
  }
  v.bytesPerSector = s.U16(bs::kBytesPerSector);
  if (s.Matches(bs::kOemName, "NTFS    ", 8)) {
    v.kind = CheckedFsKind::kNtfs;
    v.totalSectors = AddSat(s.U64(bs::kNtfsTotalSectors), 1);
    v.totalSectorsOffset = bs::kNtfsTotalSectors;
    return v;
  }
  // exFAT, BitLocker and ReFS keep FAT-like bytes where FAT keeps its BPB, and
  // are judged as themselves (volume_checks.h); a BitLocker To Go volume's
  // FAT32 is real and judged here.
  if (row.volume == VolumeKind::kExfat || row.volume == VolumeKind::kBitLocker ||
      row.volume == VolumeKind::kRefs || s.Matches(bs::kOemName, "EXFAT   ", 8)) {
    return v;
  }
  if (!HasFatMark(s) && (IsIfsType(row.row.fileSystemId) || !HasFatShape(s))) return v;
  // The type string where one is written (a FAT size lost from a FAT16 BPB
  // leaves its extended fields to read as a FAT32 size); else fsck.fat's
  // rule: FAT32 when the 16-bit FAT size is 0 and the 32-bit one is not.
  bool fat32 = s.U16(bs::kSectorsPerFat16) == 0 && s.U32(bs::kFat32SectorsPerFat) != 0;
  if (s.Matches(bs::kFat32FileSystemType, "FAT32", 5)) fat32 = true;
  if (s.Matches(bs::kFat16FileSystemType, "FAT1", 4)) fat32 = false;
  v.kind = fat32 ? CheckedFsKind::kFat32 : CheckedFsKind::kFat;
  const std::uint16_t small = s.U16(bs::kTotalSectors16);
  v.totalSectors = small != 0 ? small : s.U32(bs::kTotalSectors32);
  v.totalSectorsOffset = small != 0 ? bs::kTotalSectors16 : bs::kTotalSectors32;
  return v;
}

const char* VolumeKindName(CheckedFsKind kind) {
  switch (kind) {
    case CheckedFsKind::kFat:
      return "FAT12/16";
    case CheckedFsKind::kFat32:
      return "FAT32";
    case CheckedFsKind::kNtfs:
      return "NTFS";
    case CheckedFsKind::kNone:
      break;
  }
  return "no";
}

bool IsSectorSize(std::uint64_t value, std::uint64_t low) {
  return value >= low && value <= 4096 && (value & (value - 1)) == 0;
}

std::uint64_t MulSat(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > UINT64_MAX / a) return UINT64_MAX;
  return a * b;
}

std::uint64_t AddSat(std::uint64_t a, std::uint64_t b) {
  return b > UINT64_MAX - a ? UINT64_MAX : a + b;
}

}  // namespace disklens
