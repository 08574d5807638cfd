#include "bootsector/bitlocker_boot_sector.h"

#include <cstring>

#include "layout/bitlocker.h"

namespace disklens {

namespace {

// a x b x c, or 0 when it does not fit in 64 bits.
std::uint64_t Product(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  if (a == 0 || b == 0 || c == 0) return 0;
  if (a > UINT64_MAX / b) return 0;
  const std::uint64_t ab = a * b;
  return ab > UINT64_MAX / c ? 0 : ab * c;
}

}  // namespace

BitLockerBootSector DecodeBitLockerBootSector(ByteView s, bool toGo) {
  namespace bl = bitlocker;
  BitLockerBootSector b;
  b.bytesPerSector = s.U16(bl::kBytesPerSector);
  b.sectorsPerCluster = s.U8(bl::kSectorsPerCluster);
  b.reservedSectors = s.U16(bl::kReservedSectors);
  b.totalSectors16 = s.U16(bl::kTotalSectors16);
  b.media = s.U8(bl::kMedia);
  b.sectorsPerTrack = s.U16(bl::kSectorsPerTrack);
  b.heads = s.U16(bl::kHeads);
  b.hiddenSectors = s.U32(bl::kHiddenSectors);
  b.totalSectors32 = s.U32(bl::kTotalSectors32);
  // Windows 7 and later keep the BitLocker identifier behind a FAT32 BPB;
  // Vista's NTFS-shaped header has none, as libbde tells them apart.
  std::size_t identifierAt = 0;
  std::size_t offsetsAt = 0;
  if (toGo) {
    b.version = BitLockerVersion::kToGo;
    identifierAt = bl::kToGoIdentifier;
    offsetsAt = bl::kToGoMetadataOffsets;
  } else if (s.Matches(bl::kIdentifier, bl::kIdentifierBytes, 16)) {
    b.version = BitLockerVersion::kWindows7;
    identifierAt = bl::kIdentifier;
    offsetsAt = bl::kMetadataOffsets;
  }
  if (b.version == BitLockerVersion::kVista) {
    b.totalSectors64 = s.U64(bl::kVistaTotalSectors64);
    b.volumeSerialNumber = s.U64(bl::kVistaVolumeSerialNumber);
    b.metadataCluster = s.U64(bl::kVistaMetadataCluster);
    b.metadataOffsets[0] = Product(b.metadataCluster, b.sectorsPerCluster, b.bytesPerSector);
    b.metadataOffsetCount = 1;
    return b;
  }
  b.volumeSerialNumber = s.U32(bl::kFat32VolumeSerialNumber);
  if (s.Has(identifierAt, 16)) std::memcpy(b.identifier, s.data + identifierAt, 16);
  for (std::size_t i = 0; i < bl::kMetadataOffsetCount; ++i) {
    b.metadataOffsets[i] = s.U64(offsetsAt + 8 * i);
  }
  b.metadataOffsetCount = bl::kMetadataOffsetCount;
  return b;
}

const char* BitLockerVersionName(BitLockerVersion version) {
  switch (version) {
    case BitLockerVersion::kVista:
      return "vista";
    case BitLockerVersion::kWindows7:
      return "windows_7";
    case BitLockerVersion::kToGo:
      return "to_go";
  }
  return "";
}

std::uint64_t BitLockerSectorCount(const BitLockerBootSector& b) {
  if (b.totalSectors64 != 0) return b.totalSectors64;
  if (b.totalSectors32 != 0) return b.totalSectors32;
  return b.totalSectors16;
}

}  // namespace disklens
