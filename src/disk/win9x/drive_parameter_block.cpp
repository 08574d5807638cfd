#include "disk/win9x/drive_parameter_block.h"

#include <cstring>

#include "bytes/bytes.h"

namespace disklens {

namespace dpb = drive_parameter_block;

void PrepareDriveParameterBlock(std::uint8_t block[kDriveParameterBlockSize]) {
  std::memset(block, 0, kDriveParameterBlockSize);
  PutU16(block + dpb::kSize, static_cast<std::uint16_t>(kDriveParameterBlockSize));
}

DriveParameters DecodeDriveParameterBlock(const std::uint8_t block[kDriveParameterBlockSize]) {
  const ByteView b{block, kDriveParameterBlockSize};
  DriveParameters p;
  const std::uint32_t cylinders = b.U32(dpb::kCylinders);
  const std::uint32_t heads = b.U32(dpb::kHeads);
  const std::uint32_t sectors = b.U32(dpb::kSectorsPerTrack);
  const std::uint32_t cx = sectors >> 16;
  if (cx != 0) {
    const std::uint32_t cl = cx & 0xFF;
    const std::uint32_t ch = cx >> 8;
    p.sectorsPerTrack = cl & 0x3F;
    p.cylinders = ch + ((cl & 0xC0) * 4) + 1;
    p.heads = (heads >> 24) + 1;
  } else {
    p.cylinders = cylinders;
    p.heads = heads;
    p.sectorsPerTrack = sectors;
  }
  const std::uint16_t bytesPerSector = b.U16(dpb::kBytesPerSector);
  p.bytesPerSector = bytesPerSector != 0 ? bytesPerSector : 512;
  p.totalSectors = b.U64(dpb::kTotalSectors);
  return p;
}

}  // namespace disklens
