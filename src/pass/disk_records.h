// One disk's pass as records, handed over in the order of the pass: the one
// place that order is written. The text report and the JSON document each
// take the records as they come and read no byte of the disk themselves.
#pragma once

#include <cstdint>

#include "bootsector/boot_row.h"
#include "gpt/gpt_record.h"
#include "mbr/embr_record.h"
#include "mbr/mbr_record.h"
#include "mbr/mbr_table.h"
#include "state/report_state.h"

namespace disklens {

// What a way of writing the report does with each record. The MBR, EMBR and
// GPT records are values; a boot row's views point into the WorkBuffer and
// are good only until BootRow returns, since the next row is read there.
class DiskRecordSink {
 public:
  virtual ~DiskRecordSink() = default;
  virtual void Mbr(const MbrRecord& mbr, const MbrChains& chains) = 0;
  virtual void Embr(const EmbrRecord& embr) = 0;
  virtual void Gpt(const GptRecord& gpt) = 0;
  // `count` rows follow, those of the BootTargetList the sections built.
  virtual void BeginBootRows(std::uint32_t count) = 0;
  virtual void BootRow(const BootRowRecord& row) = 0;
  virtual void EndBootRows() = 0;
};

// Reads the disk open in `state` section by section, each record handed to
// `sink` as soon as it is whole: the MBR with its chains, the EMBR, the GPT,
// then the boot sector of every row of the BootTargetList.
void ReadDiskRecords(ReportState& state, DiskRecordSink& sink);

}  // namespace disklens
