// The text report of one disk: its sections printed from the records of the pass.
#pragma once

#include "pass/disk_records.h"
#include "state/report_state.h"

namespace disklens {

// Reads the disk open in `state` and prints its MBR, EMBR, GPT and BOOT
// SECTOR INFORMATION sections, each one that has something to show.
void PrintDiskReport(ReportState& state);

// The sink that prints each record's section as it comes.
class TextSink final : public DiskRecordSink {
 public:
  explicit TextSink(const ReportState& state) : state_(state) {}
  void Mbr(const MbrRecord& mbr, const MbrChains& chains) override;
  void Embr(const EmbrRecord& embr) override;
  void Gpt(const GptRecord& gpt) override;
  void BeginBootRows(std::uint32_t count) override;
  void BootRow(const BootRowRecord& row) override;
  void EndBootRows() override {}

 private:
  const ReportState& state_;
};

}  // namespace disklens
