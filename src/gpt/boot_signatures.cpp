#include "gpt/boot_signatures.h"

#include <cstring>

#include "layout/boot_sector.h"
#include "layout/mbr.h"
#include "text/ascii.h"

namespace disklens {

namespace {

namespace bs = boot_sector;

// The first `length` bytes of a view (all of it when shorter).
ByteView Prefix(ByteView view, std::size_t length) {
  return ByteView{view.data, view.size < length ? view.size : length};
}

}  // namespace

bool ContainsBytes(ByteView area, const void* pattern, std::size_t length) {
  if (length > area.size) return false;
  if (length == 0) return true;
  const auto* const first = static_cast<const std::uint8_t*>(pattern);
  const std::uint8_t* at = area.data;
  const std::uint8_t* const last = area.data + (area.size - length);
  // memchr finds each candidate for the first byte; most sectors have few.
  while (at <= last) {
    const auto* const hit = static_cast<const std::uint8_t*>(
        std::memchr(at, *first, static_cast<std::size_t>(last - at) + 1));
    if (hit == nullptr) return false;
    if (std::memcmp(hit + 1, first + 1, length - 1) == 0) return true;
    at = hit + 1;
  }
  return false;
}

bool MatchesAnyCase(ByteView sector, std::size_t offset, const char* text, std::size_t length) {
  if (!sector.Has(offset, length)) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (AsciiLower(sector.data[offset + i]) != AsciiLower(static_cast<unsigned char>(text[i]))) {
      return false;
    }
  }
  return true;
}

bool HasBootSignature(ByteView sector) {
  return sector.Has(kBootSignatureOffset, 2) && sector.U16(kBootSignatureOffset) == kBootSignature;
}

bool IsMarkedAsMbr(ByteView sector) {
  return sector.Has(bs::kHiddenSectors, 4) && sector.U32(bs::kHiddenSectors) == 0 &&
         ContainsBytes(Prefix(sector.From(bs::kMbrHelpArea), bs::kMbrHelpAreaSize), "MBR-help", 8);
}

bool IsNtfsBootSector(ByteView sector) { return MatchesAnyCase(sector, bs::kOemName, "NTFS", 4); }

bool IsFat32BootSector(ByteView sector) {
  return MatchesAnyCase(sector, bs::kFat32FileSystemType, "FAT", 3) && !IsMarkedAsMbr(sector);
}

bool IsBitLockerBootSector(ByteView sector) { return sector.Matches(bs::kOemName, "-FVE-FS-", 8); }

bool IsFatBootSector(ByteView sector) {
  const bool fatText = MatchesAnyCase(sector, bs::kFat16FileSystemType, "FAT", 3);
  const bool fatShape =
      sector.Has(bs::kMedia, 1) && sector.U8(bs::kFatCount) == 2 && sector.U8(bs::kMedia) >= 0xF0;
  return (fatText || fatShape) && !IsMarkedAsMbr(sector);
}

bool IsGrubBootSector(ByteView sector) {
  // GRUB 2's boot.img jumps by 0x63 and names itself; GRUB Legacy's stage1
  // keeps its version 3.2 at 0x3E.
  const bool grub2 = sector.Has(bs::kJump, 2) && sector.U8(bs::kJump) == 0xEB &&
                     sector.U8(bs::kJump + 1) == 0x63 &&
                     ContainsBytes(Prefix(sector, 511), "GRUB", 4);
  const bool legacy =
      sector.Has(bs::kGrubLegacyVersion, 2) && sector.U16(bs::kGrubLegacyVersion) == 0x0203;
  return grub2 || legacy;
}

bool IsLiloBootSector(ByteView sector) { return sector.Matches(bs::kLiloMark, "LILO", 4); }

bool IsSyslinuxBootSector(ByteView sector) {
  return HasBootSignature(sector) && sector.Matches(bs::kOemName, "SYSLINUX", 8);
}

bool IsRefsBootSector(ByteView sector) { return sector.Matches(bs::kOemName, "ReFS\0\0\0\0", 8); }

bool IsExfatBootSector(ByteView sector) {
  return MatchesAnyCase(sector, bs::kOemName, "EXFAT   ", 8);
}

}  // namespace disklens
