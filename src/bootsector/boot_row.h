// One row of BOOT SECTOR INFORMATION: what was read for it and which decoder
// its sectors go to, for every way the report is written.
#pragma once

#include "bootsector/boot_fields.h"
#include "bootsector/exfat_boot_region.h"
#include "bootsector/volume_kind.h"
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
  // What the boot sector's marks say the volume is, whatever `decoder` the
  // text gives it (an exFAT, BitLocker or ReFS volume under ID 0x07 gets the
  // FAT12/16 decoder there); kNone for a type 0xDA row.
  VolumeKind volume = VolumeKind::kNone;
  // exFAT, in --json and --check runs only: both boot regions, judged. A
  // value of its own, not a view: it outlives the next read.
  ExfatBootRegion exfatRegion;
};

// Reads the row's boot sector, and what its decoder needs besides: a FAT32
// backup, or the last sector of a type 0xDA partition in its place; with
// `state.readVolumeRegions`, an exFAT volume's boot regions too.
BootRowRecord ReadBootRow(ReportState& state, const BootTarget& row);

// The table of the decoder's fields; empty for kNone.
BootFieldTable BootDecoderFields(BootDecoder decoder);

}  // namespace disklens
