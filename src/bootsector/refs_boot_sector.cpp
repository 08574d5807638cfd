#include "bootsector/refs_boot_sector.h"

#include "layout/refs.h"

namespace disklens {

RefsBootSector DecodeRefsBootSector(ByteView s) {
  RefsBootSector b;
  b.sectorCount = s.U64(refs::kSectorCount);
  b.bytesPerSector = s.U32(refs::kBytesPerSector);
  b.sectorsPerCluster = s.U32(refs::kSectorsPerCluster);
  b.majorVersion = s.U8(refs::kMajorVersion);
  b.minorVersion = s.U8(refs::kMinorVersion);
  b.volumeSerialNumber = s.U64(refs::kVolumeSerialNumber);
  return b;
}

}  // namespace disklens
