#include "mbr/mbr_section.h"

#include <cinttypes>

#include "layout/mbr.h"
#include "text/output.h"

namespace disklens {

MbrRecord ReadMbr(ReportState& state) {
  MbrRecord mbr;
  GetBiosGeometry(state.disk, mbr.bios);
  GetDriveGeometry(state.disk, mbr.drive);
  mbr.bytesRead = ReadIntoWorkBuffer(state, 0, 1);
  if (mbr.bytesRead == 0) return mbr;
  const ByteView sector0{state.workBuffer, mbr.bytesRead};
  mbr.diskSignature = sector0.U32(kDiskSignatureOffset);
  mbr.bootSignature = sector0.U16(kBootSignatureOffset);
  for (int i = 0; i < 4; ++i) mbr.entries[static_cast<std::size_t>(i)] = ReadPartitionEntry(sector0, i);
  return mbr;
}

void PrintMbrRecord(const ReportState& state, const MbrRecord& mbr, const MbrChains& chains) {
  if (mbr.bytesRead == 0) return;
  Print("\n======================================================================");
  Print("\n           MBR Partition Information (HD%i - 0x%08" PRIX32 ")", HdNumber(state),
        mbr.diskSignature);
  Print("\n           (CHS: %u/%u/%u) (WCHS: %" PRIu32 "/%" PRIu32 "/%" PRIu32 ")",
        static_cast<unsigned>(mbr.bios.highestCylinder), static_cast<unsigned>(mbr.bios.highestHead),
        static_cast<unsigned>(mbr.bios.sectorsPerTrack), mbr.drive.cylinders, mbr.drive.heads,
        mbr.drive.sectorsPerTrack);
  Print("%s", kMbrTableFrame);
  // The table is printed whether or not sector 0 carries 0x55 0xAA.
  PrintMbrTable(state, mbr, chains);
  Print("%s", kMbrTableFrame);
}

void PrintMbrSection(ReportState& state) {
  const MbrRecord mbr = ReadMbr(state);
  if (mbr.bytesRead == 0) return;
  PrintMbrRecord(state, mbr, WalkMbrTable(state, mbr));
}

}  // namespace disklens
