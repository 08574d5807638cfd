// One row of BOOT SECTOR INFORMATION: what was read for it and which decoder
// its sectors go to, for every way the report is written.
#pragma once

#include "bootsector/boot_fields.h"
#include "state/boot_targets.h"
#include "bytes/bytes.h"
#include "state/report_state.h"

namespace disklens {

enum class BootDecoder { kNone, kFat, kNtfs, kFat32, kImageTrailer };

// The views point into the WorkBuffer: the record is good until the next read into it.
struct BootRowRecord {
  BootTarget row;
  bool read = false;  // false: the boot sector could not be read
  BootDecoder decoder = BootDecoder::kNone;
  ByteView sector;  // the boot sector; for type 0xDA the trailer, empty when it was not read
  ByteView backup;  // FAT32: the backup copy beside the primary
};

// Reads the row's boot sector, and what its decoder needs besides: a FAT32
// backup, or the last sector of a type 0xDA partition in its place.
BootRowRecord ReadBootRow(ReportState& state, const BootTarget& row);

// The table of the decoder's fields; empty for kNone.
BootFieldTable BootDecoderFields(BootDecoder decoder);

}  // namespace disklens
