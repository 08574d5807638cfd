#include "bootsector/exfat_boot_region.h"

#include <algorithm>
#include <cstring>

#include "layout/exfat.h"

namespace disklens {

namespace {

ExfatChecksum JudgeChecksum(ByteView region, std::uint32_t sectorSize) {
  ExfatChecksum c;
  c.computed = ExfatBootChecksum(region, sectorSize);
  const std::size_t at = static_cast<std::size_t>(sectorSize) * exfat::kChecksumSector;
  c.stored = region.U32(at);
  // The checksum sector repeats the one value in every word: each word is the
  // one before it. Otherwise the first word unlike the sum is the one to show.
  c.holds = c.stored == c.computed && region.Has(at, sectorSize) &&
            std::memcmp(region.data + at, region.data + at + 4, sectorSize - 4) == 0;
  for (std::size_t i = 0; i < sectorSize && !c.holds; i += 4) {
    if (region.U32(at + i) != c.computed) {
      c.stored = region.U32(at + i);
      break;
    }
  }
  return c;
}

}  // namespace

ExfatBootRegion JudgeExfatBootRegion(ByteView bytes, std::uint32_t sectorSize) {
  ExfatBootRegion r;
  r.sectorSize = sectorSize;
  if (sectorSize == 0 || !bytes.Has(0, std::size_t{sectorSize} * exfat::kBothRegionsSectors)) {
    return r;
  }
  r.read = true;
  const ByteView backup = bytes.From(std::size_t{sectorSize} * exfat::kBackupRegionStart);
  r.main = JudgeChecksum(bytes, sectorSize);
  // A backup region the same byte for byte as the main one sums the same: the
  // byte-serial sum is most of what a checked run spends on an exFAT volume.
  const std::size_t regionBytes = std::size_t{sectorSize} * exfat::kBackupRegionStart;
  r.backup = std::memcmp(bytes.data, backup.data, regionBytes) == 0
                 ? r.main
                 : JudgeChecksum(backup, sectorSize);
  r.backupSector = DecodeExfatBootSector(ByteView{backup.data, sectorSize});
  r.differingFields =
      ExfatDifferingFields(DecodeExfatBootSector(ByteView{bytes.data, sectorSize}), r.backupSector);
  return r;
}

ByteView ReadExfatRowAhead(ReportState& state, const BootTarget& row) {
  if (state.disk == nullptr || state.disk->sectorSize == 0) return {};
  const std::size_t diskSector = state.disk->sectorSize;
  // exFAT sectors are 512 bytes at the least: the boot regions fill this much at the least.
  const std::size_t bytes = std::size_t{exfat::kBothRegionsSectors} << exfat::kMinSectorShift;
  const std::size_t sectors = (bytes + diskSector - 1) / diskSector;
  if (row.totalSectors < sectors) return {};
  return ReadBesideRow(state, row.lba, static_cast<std::uint32_t>(sectors));
}

ExfatBootRegion ReadExfatBootRegion(ReportState& state, const BootTarget& row, ByteView known) {
  const std::uint32_t sectorSize = ExfatSectorSize(DecodeExfatBootSector(known));
  ExfatBootRegion none;
  none.sectorSize = sectorSize;
  if (state.disk == nullptr || state.disk->sectorSize == 0 || sectorSize == 0) return none;
  const std::size_t diskSector = state.disk->sectorSize;
  const std::size_t bytes = std::size_t{sectorSize} * exfat::kBothRegionsSectors;
  const std::size_t diskSectors = (bytes + diskSector - 1) / diskSector;
  // Both regions inside the partition, and the first sector whole in `known`.
  if (row.totalSectors < diskSectors || known.size < diskSector) return none;
  if (diskSectors - 1 > UINT64_MAX - row.lba) return none;
  if (state.workBuffer == nullptr || 2 * diskSector > kBesideRowOffset) return none;
  if (diskSectors > UINT32_MAX) return none;
  // The region is gathered in the WorkBuffer's upper half, which the row's own
  // views do not reach: what `known` holds there already stays; the first
  // sector from elsewhere is put in front; the rest is read behind it.
  std::uint8_t* const region = state.workBuffer + kBesideRowOffset;
  std::size_t have = 1;
  if (known.data == region) {
    have = std::min(known.size / diskSector, diskSectors);
  } else {
    std::memcpy(region, known.data, diskSector);
  }
  if (diskSectors > have &&
      ReadBesideRow(state, row.lba + have, static_cast<std::uint32_t>(diskSectors - have),
                    have * diskSector)
              .size == 0) {
    return none;
  }
  return JudgeExfatBootRegion(ByteView{region, diskSectors * diskSector}, sectorSize);
}

}  // namespace disklens
