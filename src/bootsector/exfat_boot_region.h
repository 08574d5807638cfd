// The exFAT boot regions (sectors 0 to 11 of the volume, and their backup,
// sectors 12 to 23): read once for --json and --check, and judged there into
// a record, so that neither the JSON nor the check reads them again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bootsector/exfat_boot_sector.h"
#include "bytes/bytes.h"
#include "state/boot_targets.h"
#include "state/report_state.h"

namespace disklens {

struct ExfatChecksum {
  std::uint32_t computed = 0;  // over sectors 0 to 10 of the region
  std::uint32_t stored = 0;    // the first word of its sector 11 unlike `computed`, else its first
  bool holds = false;          // every word of sector 11 equals `computed`
};

struct ExfatBootRegion {
  bool read = false;             // false: not read (text run, bad shift, unreadable, too short)
  std::uint32_t sectorSize = 0;  // the volume's own, from its shift
  ExfatChecksum main;
  ExfatChecksum backup;
  ExfatBootSector backupSector;
  // The fields of the backup boot sector that differ from the main one's.
  std::vector<std::string> differingFields;
};

// Judges both regions in `bytes` (24 sectors of `sectorSize` bytes from the
// volume's start); `read` stays false when `bytes` is shorter.
ExfatBootRegion JudgeExfatBootRegion(ByteView bytes, std::uint32_t sectorSize);

// The row's first sectors, as many as the smallest boot regions exFAT allows
// fill (24 of 512 bytes), read in one request into the WorkBuffer's upper
// half: for a row the probe found to be exFAT, whose regions a --json or
// --check run reads anyway. Empty when they could not be read.
ByteView ReadExfatRowAhead(ReportState& state, const BootTarget& row);

// Reads both regions of the exFAT volume whose boot sector starts `known`
// (the disk's sectors from `row.lba` already read: the boot sector alone, or
// what ReadExfatRowAhead gave) into the WorkBuffer's upper half, reading only
// what `known` lacks, and judges them. Only when the regions lie inside the
// row's partition and the volume's sector size is one exFAT allows.
ExfatBootRegion ReadExfatBootRegion(ReportState& state, const BootTarget& row, ByteView known);

}  // namespace disklens
