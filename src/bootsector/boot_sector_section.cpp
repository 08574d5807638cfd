#include "bootsector/boot_sector_section.h"

#include <cstdint>

#include "bootsector/boot_row.h"
#include "text/output.h"

namespace disklens {

namespace {

void PrintRule() {
  Print("%s", kSingleRule);
}

void PrintRowText(const BootRowRecord& r) {
  if (!r.read) {
    Print("\nError reading LBA %llu", static_cast<unsigned long long>(r.row.lba));
    return;
  }
  // The true values, also past 2^32: below it the text is the same.
  Print("\nFile System ID: 0x%X   LBA: %llu  Total Sectors: %llu",
        static_cast<unsigned>(r.row.fileSystemId), static_cast<unsigned long long>(r.row.lba),
        static_cast<unsigned long long>(r.row.totalSectors));
  if (r.row.id != 0) Print("   ID: 0x%X", static_cast<unsigned>(r.row.id));
  if (r.decoder == BootDecoder::kFat32) {
    PrintBootFieldPairs(kFat32BootFields, r.sector, r.backup);
  } else if (r.sector.size != 0) {
    // A trailer that could not be read prints nothing.
    PrintBootFields(BootDecoderFields(r.decoder), r.sector);
  }
}

}  // namespace

void PrintBootSectorHeading() {
  Print("\n                           BOOT SECTOR INFORMATION");
  PrintRule();
}

void PrintBootRow(const BootRowRecord& row) {
  PrintRowText(row);
  PrintRule();
}

void PrintBootSectorInformation(ReportState& state) {
  const BootTargetList& list = state.bootTargets;
  if (list.count == 0) return;
  PrintBootSectorHeading();
  const std::uint32_t count = list.count < BootTargetCapacity ? list.count : BootTargetCapacity;
  for (std::uint32_t i = 0; i < count; ++i) PrintBootRow(ReadBootRow(state, list.rows[i]));
}

}  // namespace disklens
