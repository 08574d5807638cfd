#include "disk/win9x/drive_parameter_block.h"

#include <cstring>

#include "bytes/bytes.h"
#include "disk/geometry.h"

namespace disklens {

namespace dpb = drive_parameter_block;

void PrepareDriveParameterBlock(std::uint8_t block[kDriveParameterBlockSize]) {
  std::memset(block, 0, kDriveParameterBlockSize);
  PutU16(block + dpb::kSize, static_cast<std::uint16_t>(kDriveParameterBlockSize));
}

void DecodeDriveParameterBlock(const std::uint8_t block[kDriveParameterBlockSize],
                               DriveGeometry& geometry) {
  const ByteView b{block, kDriveParameterBlockSize};
  const std::uint32_t cylinders = b.U32(dpb::kCylinders);
  const std::uint32_t heads = b.U32(dpb::kHeads);
  const std::uint32_t sectors = b.U32(dpb::kSectorsPerTrack);
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
  const std::uint16_t bytesPerSector = b.U16(dpb::kBytesPerSector);
  geometry.bytesPerSector = bytesPerSector != 0 ? bytesPerSector : 512;
  geometry.totalSectors = b.U64(dpb::kTotalSectors);
  geometry.mediaType = kFixedMedia;
}

}  // namespace disklens
