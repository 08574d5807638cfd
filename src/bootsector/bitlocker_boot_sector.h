// A BitLocker volume header decoded into its fields: which layout it has, the
// BIOS parameter block it keeps, its identifier and where its FVE metadata
// blocks lie. Nothing is decrypted; only the unencrypted header is read.
#pragma once

#include <cstdint>

#include "bytes/bytes.h"

namespace disklens {

enum class BitLockerVersion {
  kVista,     // "-FVE-FS-", NTFS-shaped: one FVE metadata block, by cluster
  kWindows7,  // "-FVE-FS-" and the BitLocker identifier at 160: three offsets
  kToGo,      // a FAT32 discovery volume, the identifier at 424: three offsets
};

struct BitLockerBootSector {
  BitLockerVersion version = BitLockerVersion::kVista;
  std::uint16_t bytesPerSector = 0;
  std::uint8_t sectorsPerCluster = 0;
  std::uint16_t reservedSectors = 0;
  std::uint16_t totalSectors16 = 0;
  std::uint8_t media = 0;
  std::uint16_t sectorsPerTrack = 0;
  std::uint16_t heads = 0;
  std::uint32_t hiddenSectors = 0;
  std::uint32_t totalSectors32 = 0;
  std::uint64_t totalSectors64 = 0;      // Vista only
  std::uint64_t volumeSerialNumber = 0;  // Vista: 64 bits; the others: the FAT32 32 bits
  std::uint8_t identifier[16] = {};      // zeros for Vista, which keeps none
  // Vista: the cluster of its one metadata block in [0], and its byte offset
  // (cluster x sectors per cluster x bytes per sector) in metadataOffsets[0].
  std::uint64_t metadataCluster = 0;
  std::uint64_t metadataOffsets[3] = {};  // bytes from the volume's start
  std::uint32_t metadataOffsetCount = 0;  // 1 for Vista, 3 otherwise
};

// Decodes a sector that VolumeKindOf tells as kBitLocker or kBitLockerToGo.
BitLockerBootSector DecodeBitLockerBootSector(ByteView sector, bool toGo);

// "vista", "windows_7", "to_go": the JSON's values.
const char* BitLockerVersionName(BitLockerVersion version);

// The volume's size in sectors as the header gives it (the largest count
// of the layout that is not 0); 0 when it gives none.
std::uint64_t BitLockerSectorCount(const BitLockerBootSector& b);

}  // namespace disklens
