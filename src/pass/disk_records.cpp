#include "pass/disk_records.h"

#include "gpt/gpt_section.h"

namespace disklens {

void ReadDiskRecords(ReportState& state, DiskRecordSink& sink) {
  {
    const MbrRecord mbr = ReadMbr(state);
    // No chain is walked behind a sector 0 that could not be read.
    const MbrChains chains = mbr.bytesRead != 0 ? WalkMbrTable(state, mbr) : MbrChains{};
    sink.Mbr(mbr, chains);
  }
  sink.Embr(ReadEmbr(state));
  sink.Gpt(ReadGpt(state));
  const BootTargetList& list = state.bootTargets;
  const std::uint32_t count = list.count < BootTargetCapacity ? list.count : BootTargetCapacity;
  sink.BeginBootRows(count);
  for (std::uint32_t i = 0; i < count; ++i) sink.BootRow(ReadBootRow(state, list.rows[i]));
  sink.EndBootRows();
}

}  // namespace disklens
