#include "report/mbr_section.h"

#include <cinttypes>

#include "disk/geometry.h"
#include "report/mbr_table.h"
#include "report/output.h"
#include "report/partition_row.h"

namespace disklens {

namespace {
constexpr std::size_t kDiskSignatureOffset = 0x1B8;
}  // namespace

void PrintMbrSection(ReportState& state) {
  // A query that fails leaves its numbers at zero, and zeros are printed.
  BiosGeometry bios;
  DriveGeometry drive;
  GetBiosGeometry(state.disk, bios);
  GetDriveGeometry(state.disk, drive);

  const std::size_t bytesRead = ReadIntoWorkBuffer(state, 0, 1);
  if (bytesRead == 0) return;
  const ByteView sector0{state.workBuffer, bytesRead};

  Print("\n======================================================================");
  Print("\n           MBR Partition Information (HD%i - 0x%08" PRIX32 ")", HdNumber(state),
        sector0.U32(kDiskSignatureOffset));
  Print("\n           (CHS: %u/%u/%u) (WCHS: %" PRIu32 "/%" PRIu32 "/%" PRIu32 ")",
        static_cast<unsigned>(bios.highestCylinder), static_cast<unsigned>(bios.highestHead),
        static_cast<unsigned>(bios.sectorsPerTrack), drive.cylinders, drive.heads,
        drive.sectorsPerTrack);
  Print("%s", kMbrTableFrame);
  // The table is printed whether or not sector 0 carries 0x55 0xAA.
  PrintMbrTable(state, sector0);
  Print("%s", kMbrTableFrame);
}

}  // namespace disklens
