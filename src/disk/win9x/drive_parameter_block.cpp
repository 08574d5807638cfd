#include "disk/win9x/drive_parameter_block.h"

#include <cstring>

#include "bytes/bytes.h"
#include "disk/geometry.h"

namespace disklens {

void PrepareDriveParameterBlock(std::uint8_t block[kDriveParameterBlockSize]) {
  std::memset(block, 0, kDriveParameterBlockSize);
  PutU16(block, static_cast<std::uint16_t>(kDriveParameterBlockSize));
}

void DecodeDriveParameterBlock(const std::uint8_t block[kDriveParameterBlockSize],
                               DriveGeometry& geometry) {
  const ByteView b{block, kDriveParameterBlockSize};
  const std::uint32_t cylinders = b.U32(4);
  const std::uint32_t heads = b.U32(8);
  const std::uint32_t sectors = b.U32(12);
  const std::uint32_t cx = sectors >> 16;
  if (cx != 0) {
    const std::uint32_t cl = cx & 0xFF;
    const std::uint32_t ch = cx >> 8;
    geometry.sectorsPerTrack = cl & 0x3F;
    geometry.cylinders = ch + ((cl & 0xC0) * 4) + 1;
    geometry.heads = (heads >> 24) + 1;
  } else {
    geometry.cylinders = cylinders;
    geometry.heads = heads;
    geometry.sectorsPerTrack = sectors;
  }
  const std::uint16_t bytesPerSector = b.U16(24);
  geometry.bytesPerSector = bytesPerSector != 0 ? bytesPerSector : 512;
  geometry.totalSectors = b.U64(16);
  geometry.mediaType = kFixedMedia;
}

void EncodeDriveParameterBlock(std::uint32_t cylinders, std::uint32_t heads,
                               std::uint32_t sectorsPerTrack, std::uint64_t totalSectors,
                               std::uint16_t bytesPerSector,
                               std::uint8_t block[kDriveParameterBlockSize]) {
  PutU32(block + 4, cylinders);
  PutU32(block + 8, heads);
  PutU32(block + 12, sectorsPerTrack);
  PutU64(block + 16, totalSectors);
  PutU16(block + 24, bytesPerSector);
}

}  // namespace disklens
