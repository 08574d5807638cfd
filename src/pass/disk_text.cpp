#include "pass/disk_text.h"

#include "bootsector/boot_sector_section.h"
#include "gpt/gpt_report.h"
#include "pass/disk_records.h"
#include "mbr/embr_tables.h"
#include "mbr/mbr_section.h"

namespace disklens {

namespace {

class TextSink final : public DiskRecordSink {
 public:
  explicit TextSink(const ReportState& state) : state_(state) {}
  void Mbr(const MbrRecord& mbr, const MbrChains& chains) override {
    PrintMbrRecord(state_, mbr, chains);
  }
  void Embr(const EmbrRecord& embr) override { PrintEmbrRecord(state_, embr); }
  void Gpt(const GptRecord& gpt) override { PrintGptReport(state_, gpt); }
  void BeginBootRows(std::uint32_t count) override {
    if (count != 0) PrintBootSectorHeading();
  }
  void BootRow(const BootRowRecord& row) override { PrintBootRow(row); }
  void EndBootRows() override {}

 private:
  const ReportState& state_;
};

}  // namespace

void PrintDiskReport(ReportState& state) {
  TextSink sink(state);
  ReadDiskRecords(state, sink);
}

}  // namespace disklens
