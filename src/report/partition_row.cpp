#include "report/partition_row.h"

#include <cinttypes>

#include "text/output.h"

namespace disklens {

MbrPartitionEntry ReadPartitionEntry(ByteView sector, int index) {
  const ByteView e =
      sector.From(kPartitionTableOffset + kPartitionEntrySize * static_cast<std::size_t>(index));
  MbrPartitionEntry entry;
  entry.status = e.U8(0);
  entry.startHead = e.U8(1);
  entry.startSectorByte = e.U8(2);
  entry.startCylinderByte = e.U8(3);
  entry.type = e.U8(4);
  entry.endHead = e.U8(5);
  entry.endSectorByte = e.U8(6);
  entry.endCylinderByte = e.U8(7);
  entry.startLba = e.U32(8);
  entry.sectorCount = e.U32(12);
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
