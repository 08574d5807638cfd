#include "state/boot_targets.h"

namespace disklens {

void ResetBootTargets(BootTargetList& list) {
  for (BootTarget& row : list.rows) row = BootTarget{};
  list.count = 0;
}

bool IsBootTargetType(std::uint32_t fileSystemId) {
  switch (fileSystemId & 0xFF) {
    case 0x01: case 0x04: case 0x06: case 0x0E: case 0x11: case 0x14: case 0x16: case 0x1E:
    case 0xDF:  // FAT12/16
    case 0x07: case 0x17:  // NTFS, or FAT12/16 without the NTFS mark
    case 0x0B: case 0x0C: case 0x1B: case 0x1C:  // FAT32
    case 0xDA:  // image trailer
      return true;
    default:
      return false;
  }
}

void AddBootTarget(BootTargetList& list, std::uint8_t fileSystemId, std::uint16_t id,
                   std::uint64_t totalSectors, std::uint64_t lba, bool probedExfat) {
  for (std::uint32_t i = 0; i < list.count; ++i) {
    if (list.rows[i].lba == lba) {
      list.rows[i].id = id;
      list.rows[i].probedExfat = list.rows[i].probedExfat || probedExfat;
      return;
    }
  }
  if (list.count >= BootTargetCapacity) return;
  list.rows[list.count++] = BootTarget{fileSystemId, id, lba, totalSectors, probedExfat};
}

}  // namespace disklens
