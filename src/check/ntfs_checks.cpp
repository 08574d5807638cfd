#include "check/ntfs_checks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "check/boot_read.h"
#include "layout/boot_sector.h"

namespace disklens {

void CheckNtfsBackup(ReportState& state, const BootRowRecord& row, const BootVolume& v,
                     const DiskFacts& facts, Findings& out) {
  // ntfs-3g takes sectors of 256 to 4,096 bytes.
  if (!IsSectorSize(v.bytesPerSector, 256)) return;
  const std::uint64_t volumeBytes = MulSat(v.totalSectors, v.bytesPerSector);
  if (volumeBytes == UINT64_MAX || volumeBytes > MulSat(row.row.totalSectors, facts.sectorSize)) {
    return;
  }
  // The backup: the volume's sector numbered by its total sector count.
  const std::uint64_t offset = volumeBytes - v.bytesPerSector;
  const auto length =
      static_cast<std::uint32_t>(std::min<std::size_t>(v.bytesPerSector, row.sector.size));
  const std::optional<DiskSpan> span = LocateInPartition(row.row.lba, offset, length, facts);
  if (!span) return;
  const auto where = [&] {
    return "the NTFS backup boot sector at LBA " + std::to_string(span->lba);
  };
  const char* const hint =
      "ntfsfix copies the primary boot sector there (ntfsfix -n shows what it would do)";
  const ByteView bytes = ReadBesideRow(state, span->lba, span->sectors);
  if (bytes.size == 0) {
    out.push_back(Finding{
        "ntfs.backup", Severity::kError, span->lba, {}, where() + " could not be read", "", "", ""});
    return;
  }
  const ByteView backup = bytes.From(span->within);
  // The "NTFS    " mark at 3.
  if (!backup.Matches(boot_sector::kOemName, "NTFS    ", 8)) {
    out.push_back(Finding{"ntfs.backup", Severity::kError, span->lba,
                          static_cast<std::uint32_t>(span->within + boot_sector::kOemName),
                          where() + " is missing: the volume's last sector holds no NTFS boot sector",
                          "", "", hint});
    return;
  }
  // Byte for byte the primary.
  if (!backup.Has(0, length) || !row.sector.Has(0, length)) return;
  if (std::memcmp(backup.data, row.sector.data, length) == 0) return;
  std::uint32_t i = 0;
  while (backup.data[i] == row.sector.data[i]) ++i;
  out.push_back(Finding{"ntfs.backup", Severity::kError, span->lba, span->within + i,
                        where() + " differs from the primary, first at byte " + std::to_string(i),
                        HexText(row.sector.U8(i), 2), HexText(backup.U8(i), 2), hint});
}

}  // namespace disklens
