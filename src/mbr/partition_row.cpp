#include "mbr/partition_row.h"

#include <cinttypes>

#include "text/output.h"

namespace disklens {

MbrPartitionEntry ReadPartitionEntry(ByteView sector, int index) {
  const ByteView e =
      sector.From(kPartitionTableOffset + kPartitionEntrySize * static_cast<std::size_t>(index));
  MbrPartitionEntry entry;
  entry.status = e.U8(mbr_entry::kStatus);
  entry.startHead = e.U8(mbr_entry::kStartHead);
  entry.startSectorByte = e.U8(mbr_entry::kStartSector);
  entry.startCylinderByte = e.U8(mbr_entry::kStartCylinder);
  entry.type = e.U8(mbr_entry::kType);
  entry.endHead = e.U8(mbr_entry::kEndHead);
  entry.endSectorByte = e.U8(mbr_entry::kEndSector);
  entry.endCylinderByte = e.U8(mbr_entry::kEndCylinder);
  entry.startLba = e.U32(mbr_entry::kStartLba);
  entry.sectorCount = e.U32(mbr_entry::kSectorCount);
  return entry;
}

void PrintPartitionRow(const MbrPartitionEntry& entry, int index) {
  Print("| %i: | %2x | %4i %3i %2i | %2x | %4i %3i %2i | %10" PRIu32 " | %10" PRIu32 " |", index,
        static_cast<unsigned>(entry.status),
        UnpackCylinder(entry.startSectorByte, entry.startCylinderByte),
        static_cast<int>(entry.startHead), UnpackSector(entry.startSectorByte),
        static_cast<unsigned>(entry.type),
        UnpackCylinder(entry.endSectorByte, entry.endCylinderByte),
        static_cast<int>(entry.endHead), UnpackSector(entry.endSectorByte), entry.startLba,
        entry.sectorCount);
}

}  // namespace disklens
