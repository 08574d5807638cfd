// The diagnosis of one disk (--check): the report's records checked as they
// pass, then what only the check reads (the backup GPT, FSInfo, the NTFS
// backup boot sector), each once.
#pragma once

#include "check/finding.h"
#include "gpt/gpt_record.h"
#include "pass/disk_records.h"
#include "state/report_state.h"

namespace disklens {

struct DiskCheck {
  Findings findings;
  // The backup GPT as read and checked; found only when that copy is intact.
  GptRecord backup;
  // The primary failed and the backup is intact: the CHECKS section lists its
  // entries, as the GPT section would have.
  bool listBackup = false;
};

// Reads the disk open in `state` as ReadDiskRecords does, handing every record
// to `report` unchanged and in the same order, and checks it.
DiskCheck CheckDisk(ReportState& state, DiskRecordSink& report);

}  // namespace disklens
