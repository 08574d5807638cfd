#include "bootsector/boot_row.h"

#include <cstdint>
#include <cstring>

#include "bootsector/fat32_backup.h"
#include "layout/boot_sector.h"

namespace disklens {

namespace {

BootDecoder DecoderFor(std::uint8_t fileSystemId, ByteView sector) {
  switch (fileSystemId) {
    case 0x01: case 0x04: case 0x06: case 0x0E:
    case 0x11: case 0x14: case 0x16: case 0x1E: case 0xDF:
      return BootDecoder::kFat;
    case 0x07: case 0x17:
      // Only the mark decides: exFAT, HPFS and others share these IDs.
      return sector.Matches(boot_sector::kOemName, "NTFS", 4) ? BootDecoder::kNtfs
                                                               : BootDecoder::kFat;
    case 0x0B: case 0x0C: case 0x1B: case 0x1C:
      return BootDecoder::kFat32;
    case 0xDA:
      return BootDecoder::kImageTrailer;
    default:
      return BootDecoder::kNone;
  }
}

// A type 0xDA partition keeps its image trailer in its last sector, which
// replaces the boot sector in the WorkBuffer. Empty when there is none to read.
ByteView ReadTrailer(ReportState& state, const BootTarget& row) {
  if (row.totalSectors == 0) return {};  // no last sector
  // A last sector beyond what 64 bits hold would wrap to the disk's start.
  if (row.totalSectors - 1 > UINT64_MAX - row.lba) return {};
  const std::size_t read = ReadIntoWorkBuffer(state, row.lba + row.totalSectors - 1, 1, 0);
  return read != 0 ? ByteView{state.workBuffer, read} : ByteView{};
}

}  // namespace

BootRowRecord ReadBootRow(ReportState& state, const BootTarget& row) {
  BootRowRecord record;
  record.row = row;
  // A volume the probe found to be exFAT, in a run that reads its boot
  // regions: its boot sector comes with them, in one request.
  ByteView ahead;
  if (state.readVolumeRegions && row.probedExfat) ahead = ReadExfatRowAhead(state, row);
  const std::size_t sectorSize = state.disk != nullptr ? state.disk->sectorSize : 0;
  std::size_t read = 0;
  if (ahead.size >= sectorSize && sectorSize != 0) {
    std::memcpy(state.workBuffer, ahead.data, sectorSize);
    read = sectorSize;
  } else {
    ahead = ByteView{};
    read = ReadIntoWorkBuffer(state, row.lba, 1, 0);
  }
  if (read == 0) return record;
  record.read = true;
  record.sector = ByteView{state.workBuffer, read};
  record.decoder = DecoderFor(row.fileSystemId, record.sector);
  if (record.decoder == BootDecoder::kFat32) {
    record.backup = PlaceFat32Backup(state, row, record.sector);
  } else if (record.decoder == BootDecoder::kImageTrailer) {
    record.sector = ReadTrailer(state, row);
    return record;
  }
  record.volume = VolumeKindOf(record.sector);
  if (record.volume == VolumeKind::kExfat && state.readVolumeRegions) {
    record.exfatRegion = ReadExfatBootRegion(state, row, ahead.size != 0 ? ahead : record.sector);
  }
  return record;
}

BootFieldTable BootDecoderFields(BootDecoder decoder) {
  switch (decoder) {
    case BootDecoder::kFat: return kFatBootFields;
    case BootDecoder::kNtfs: return kNtfsBootFields;
    case BootDecoder::kFat32: return kFat32BootFields;
    case BootDecoder::kImageTrailer: return kImageTrailerFields;
    case BootDecoder::kNone: break;
  }
  return {};
}

}  // namespace disklens
