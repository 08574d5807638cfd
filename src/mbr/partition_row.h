// One partition entry of sector 0 or of an EBR, and its table row.
#pragma once

#include <cstdint>

#include "bytes/bytes.h"
#include "layout/mbr.h"

namespace disklens {

// The double frame around the MBR table and the single rule between EBRs.
inline constexpr char kMbrTableFrame[] =
    "\n+====+====+=============+====+=============+============+============+";
inline constexpr char kMbrTableRule[] =
    "\n+----+----+-------------+----+-------------+------------+------------+";

struct MbrPartitionEntry {
  std::uint8_t status = 0;
  std::uint8_t startHead = 0;
  std::uint8_t startSectorByte = 0;
  std::uint8_t startCylinderByte = 0;
  std::uint8_t type = 0;
  std::uint8_t endHead = 0;
  std::uint8_t endSectorByte = 0;
  std::uint8_t endCylinderByte = 0;
  std::uint32_t startLba = 0;
  std::uint32_t sectorCount = 0;
};

// Entry `index` (0 to 3) of a sector; bytes the view lacks read as 0.
MbrPartitionEntry ReadPartitionEntry(ByteView sector, int index);

// Cylinder 0 to 1023 from the packed sector byte and the cylinder byte.
inline int UnpackCylinder(std::uint8_t sectorByte, std::uint8_t cylinderByte) {
  return (sectorByte >> 6) * 256 + cylinderByte;
}
inline int UnpackSector(std::uint8_t sectorByte) { return sectorByte & 0x3F; }

// The row, without a line feed before or after it.
void PrintPartitionRow(const MbrPartitionEntry& entry, int index);

}  // namespace disklens
