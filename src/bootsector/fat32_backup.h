// Where the backup copy of a FAT32 boot sector is put beside the primary.
#pragma once

#include <cstddef>

#include "state/boot_targets.h"
#include "bytes/bytes.h"
#include "state/report_state.h"

namespace disklens {

// The BackupArea of the WorkBuffer: room for one sector of up to 4,096 bytes.
inline constexpr std::size_t kBackupAreaOffset = 4096;
inline constexpr std::size_t kBackupAreaSize = 4096;

// Fills the BackupArea for the FAT32 row `row`, whose boot sector `primary`
// lies at offset 0 of the WorkBuffer, and returns what it holds:
// - "FS Bkup Sec" 0xFFFF: a copy of the primary (no read);
// - otherwise the sector that field names (6 when it is 0), relative to the
//   partition; a failed read leaves zeros and prints nothing.
// A sector larger than the BackupArea would overlap the primary there, so the
// backup then goes right behind the primary instead; the primary stays whole.
ByteView PlaceFat32Backup(ReportState& state, const BootTarget& row, ByteView primary);

}  // namespace disklens
