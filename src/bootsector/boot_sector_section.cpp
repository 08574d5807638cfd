#include "bootsector/boot_sector_section.h"

#include <cinttypes>
#include <cstdint>

#include "bootsector/fat32_backup.h"
#include "bootsector/fat32_boot_sector.h"
#include "bootsector/fat_boot_sector.h"
#include "bootsector/image_trailer.h"
#include "bootsector/ntfs_boot_sector.h"
#include "report/output.h"

namespace disklens {

namespace {

void PrintRule() {
  Print("%s", kSingleRule);
}

// A type 0xDA partition keeps its image trailer in its last sector, which
// replaces the boot sector in the WorkBuffer.
void PrintTrailerOf(ReportState& state, const BootTarget& row) {
  if (row.totalSectors == 0) return;  // no last sector
  // A last sector beyond what 64 bits hold would wrap to the disk's start.
  if (row.totalSectors - 1 > UINT64_MAX - row.lba) return;
  const std::uint64_t last = row.lba + row.totalSectors - 1;
  const std::size_t read = ReadIntoWorkBuffer(state, last, 1, 0);
  if (read != 0) PrintImageTrailer(ByteView{state.workBuffer, read});
}

void Decode(ReportState& state, const BootTarget& row, ByteView sector) {
  switch (row.fileSystemId) {
    case 0x01: case 0x04: case 0x06: case 0x0E:
    case 0x11: case 0x14: case 0x16: case 0x1E: case 0xDF:
      PrintFatBootSector(sector);
      break;
    case 0x07: case 0x17:
      // Only the mark decides: exFAT, HPFS and others share these IDs.
      if (sector.Matches(3, "NTFS", 4)) {
        PrintNtfsBootSector(sector);
      } else {
        PrintFatBootSector(sector);
      }
      break;
    case 0x0B: case 0x0C: case 0x1B: case 0x1C:
      PrintFat32BootSector(sector, PlaceFat32Backup(state, row, sector));
      break;
    case 0xDA:
      PrintTrailerOf(state, row);
      break;
    default:
      break;
  }
}

void PrintRow(ReportState& state, const BootTarget& row) {
  const std::size_t read = ReadIntoWorkBuffer(state, row.lba, 1, 0);
  if (read == 0) {
    Print("\nError reading LBA %llu", static_cast<unsigned long long>(row.lba));
    return;
  }
  // The true values, also past 2^32: below it the text is the same.
  Print("\nFile System ID: 0x%X   LBA: %llu  Total Sectors: %llu",
        static_cast<unsigned>(row.fileSystemId), static_cast<unsigned long long>(row.lba),
        static_cast<unsigned long long>(row.totalSectors));
  if (row.id != 0) Print("   ID: 0x%X", static_cast<unsigned>(row.id));
  Decode(state, row, ByteView{state.workBuffer, read});
}

}  // namespace

void PrintBootSectorInformation(ReportState& state) {
  const BootTargetList& list = state.bootTargets;
  if (list.count == 0) return;
  Print("\n                           BOOT SECTOR INFORMATION");
  PrintRule();
  const std::uint32_t count = list.count < BootTargetCapacity ? list.count : BootTargetCapacity;
  for (std::uint32_t i = 0; i < count; ++i) {
    PrintRow(state, list.rows[i]);
    PrintRule();
  }
}

}  // namespace disklens
