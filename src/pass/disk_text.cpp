#include "pass/disk_text.h"

#include "bootsector/boot_sector_section.h"
#include "gpt/gpt_report.h"
#include "mbr/embr_tables.h"
#include "mbr/mbr_section.h"

namespace disklens {

void TextSink::Mbr(const MbrRecord& mbr, const MbrChains& chains) {
  PrintMbrRecord(state_, mbr, chains);
}

void TextSink::Embr(const EmbrRecord& embr) { PrintEmbrRecord(state_, embr); }

void TextSink::Gpt(const GptRecord& gpt) { PrintGptReport(state_, gpt); }

void TextSink::BeginBootRows(std::uint32_t count) {
  if (count != 0) PrintBootSectorHeading();
}

void TextSink::BootRow(const BootRowRecord& row) { PrintBootRow(row); }

void PrintDiskReport(ReportState& state) {
  TextSink sink(state);
  ReadDiskRecords(state, sink);
}

}  // namespace disklens
