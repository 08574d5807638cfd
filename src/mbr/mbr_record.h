// What sector 0 and the geometry queries of a disk give, read once for every
// way the report is written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "disk/geometry.h"
#include "mbr/partition_row.h"
#include "state/report_state.h"

namespace disklens {

struct MbrRecord {
  // A query that fails leaves its numbers at zero, and zeros are shown.
  BiosGeometry bios;
  DriveGeometry drive;
  std::size_t bytesRead = 0;  // of sector 0, into the WorkBuffer; 0 when the read failed
  std::uint32_t diskSignature = 0;
  std::uint16_t bootSignature = 0;  // the u16 at offset 510: 0xAA55 where 0x55 0xAA is stored
  std::array<MbrPartitionEntry, 4> entries{};
};

// Queries both geometries and reads sector 0 into the WorkBuffer.
MbrRecord ReadMbr(ReportState& state);

}  // namespace disklens
