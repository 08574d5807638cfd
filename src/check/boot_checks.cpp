#include "check/boot_checks.h"

#include <cstdint>
#include <string>

#include "check/boot_volume.h"
#include "check/fat32_checks.h"
#include "check/fat_checks.h"
#include "check/ntfs_checks.h"
#include "layout/boot_sector.h"

namespace disklens {

namespace {

// A partition of at least this many sectors, or 1% of its size, may lie
// unused behind its file system before the note is worth it.
constexpr std::uint64_t kSlackSectors = 4096;

std::string Sectors(std::uint64_t count, std::uint64_t size) {
  return std::to_string(count) + " sectors of " + std::to_string(size) + " bytes";
}

// The file system's size, in bytes, against its partition's.
void CheckSize(const BootRowRecord& row, const BootVolume& v, const DiskFacts& facts,
               Findings& out) {
  const std::uint64_t volumeBytes = MulSat(v.totalSectors, v.bytesPerSector);
  const std::uint64_t partitionBytes = MulSat(row.row.totalSectors, facts.sectorSize);
  if (row.row.totalSectors == 0 || partitionBytes == UINT64_MAX) return;
  // The names are spelt out only for a finding: most volumes fit.
  const auto volume = [&] {
    return "the " + std::string(VolumeKindName(v.kind)) + " file system (" +
           Sectors(v.totalSectors, v.bytesPerSector) + ")";
  };
  const auto partition = [&] {
    return "its partition (" + Sectors(row.row.totalSectors, facts.sectorSize) + ")";
  };
  // Larger than the partition: its end lies in what follows.
  if (volumeBytes > partitionBytes) {
    out.push_back(Finding{
        "fs.size", Severity::kError, row.row.lba, v.totalSectorsOffset,
        volume() + " is larger than " + partition(),
        "at most " + std::to_string(partitionBytes) + " bytes",
        volumeBytes == UINT64_MAX ? "more than 2^64 bytes" : std::to_string(volumeBytes) + " bytes",
        "the partition was shrunk or the volume copied onto a smaller one: give the entry its "
        "size back (sfdisk, TestDisk) before the file system writes past it"});
    return;
  }
  // Much smaller: space left unused.
  const std::uint64_t slack = partitionBytes - volumeBytes;
  const std::uint64_t allowed = std::max(kSlackSectors * facts.sectorSize, partitionBytes / 100);
  if (slack > allowed) {
    out.push_back(
        Finding{"fs.size", Severity::kNote, row.row.lba, v.totalSectorsOffset,
                volume() + " leaves " + std::to_string(slack) + " bytes of " + partition() + " unused",
                std::to_string(partitionBytes) + " bytes", std::to_string(volumeBytes) + " bytes",
                "fatresize or ntfsresize grows the file system to fill it"});
  }
}

// The hidden sectors: the partition's start, which the volume's boot code
// adds to every sector it reads.
void CheckHiddenSectors(const BootRowRecord& row, const BootVolume& v,
                        const PartitionOrigin& origin, const DiskFacts& facts, Findings& out) {
  const std::uint64_t start = row.row.lba;
  // A start past 32 bits is beyond what the field holds: nothing to compare.
  if (start > UINT32_MAX) return;
  const std::uint32_t hidden = row.sector.U32(boot_sector::kHiddenSectors);
  if (hidden == start) return;
  // A logical partition: its start relative to its EBR is in use as well.
  const bool logical = origin.table == PartitionOrigin::Table::kLogical && origin.ebrLba <= start;
  if (logical && hidden == start - origin.ebrLba) return;
  // A volume of larger sectors than the disk's counts its start in its own.
  if (v.bytesPerSector > facts.sectorSize && facts.sectorSize != 0 &&
      v.bytesPerSector % facts.sectorSize == 0) {
    const std::uint64_t ratio = v.bytesPerSector / facts.sectorSize;
    if (start % ratio == 0 && hidden == start / ratio) return;
  }
  out.push_back(Finding{
      "fs.hidden-sectors", Severity::kWarning, start,
      static_cast<std::uint32_t>(boot_sector::kHiddenSectors),
      JoinText({"the boot sector's hidden sectors (", hidden, ") are not the partition's start (LBA ",
                start, ")"}),
      logical ? JoinText({start, " or ", start - origin.ebrLba}) : std::to_string(start),
      std::to_string(hidden),
      "set it to the start before booting from the volume, whose boot code reads from the old "
      "place after a move or clone (TestDisk rebuilds the boot sector)"});
}

// The type bytes a volume of each kind goes with; hidden types (0x1X) are
// matched against the hidden forms.
bool IsFatType(std::uint8_t t) { return t == 0x01 || t == 0x04 || t == 0x06 || t == 0x0E; }
bool IsFat32Type(std::uint8_t t) { return t == 0x0B || t == 0x0C; }
bool IsNtfsType(std::uint8_t t) { return t == 0x07; }

const char* ExpectedTypes(CheckedFsKind kind, bool hidden) {
  switch (kind) {
    case CheckedFsKind::kFat:
      return hidden ? "0x11, 0x14, 0x16 or 0x1E" : "0x01, 0x04, 0x06 or 0x0E";
    case CheckedFsKind::kFat32:
      return hidden ? "0x1B or 0x1C" : "0x0B or 0x0C";
    case CheckedFsKind::kNtfs:
      return hidden ? "0x17" : "0x07";
    case CheckedFsKind::kNone:
      break;
  }
  return "";
}

// The entry's type byte against the file system found, for types that name
// one of these kinds; others (0xDF...) are left alone.
void CheckType(const BootRowRecord& row, const BootVolume& v, const PartitionOrigin& origin,
               Findings& out) {
  if (origin.table != PartitionOrigin::Table::kMbr &&
      origin.table != PartitionOrigin::Table::kLogical) {
    return;
  }
  const std::uint8_t type = origin.typeByte;
  const bool hidden = (type & 0xF0) == 0x10;
  const std::uint8_t plain = hidden ? static_cast<std::uint8_t>(type & 0x0F) : type;
  if (!IsFatType(plain) && !IsFat32Type(plain) && !IsNtfsType(plain)) return;
  const bool fits = (v.kind == CheckedFsKind::kFat && IsFatType(plain)) ||
                    (v.kind == CheckedFsKind::kFat32 && IsFat32Type(plain)) ||
                    (v.kind == CheckedFsKind::kNtfs && IsNtfsType(plain));
  if (fits) return;
  out.push_back(Finding{"fs.type",
                        Severity::kWarning,
                        row.row.lba,
                        {},
                        "the partition of type " + HexText(type, 2) + " holds a " +
                            VolumeKindName(v.kind) + " file system",
                        ExpectedTypes(v.kind, hidden),
                        HexText(type, 2),
                        "systems that go by the type byte mount it wrongly or not at all: "
                        "sfdisk --part-type sets the type, the data stays"});
}

}  // namespace

void CheckBootRow(ReportState& state, const BootRowRecord& row, const PartitionOrigin& origin,
                  const DiskFacts& facts, Findings& out) {
  const BootVolume v = ReadBootVolume(row);
  if (v.kind == CheckedFsKind::kNone || facts.sectorSize == 0) return;
  const bool fat = v.kind == CheckedFsKind::kFat || v.kind == CheckedFsKind::kFat32;
  // A BPB fsck.fat refuses: its sizes mean nothing, so nothing is measured in them.
  const bool sizes = fat ? CheckFatBpb(row, v, out) : IsSectorSize(v.bytesPerSector, 256);
  if (sizes) CheckSize(row, v, facts, out);
  CheckHiddenSectors(row, v, origin, facts, out);
  CheckType(row, v, origin, out);
  if (fat) CheckFatDirty(row, v, out);
  if (v.kind == CheckedFsKind::kFat32 && row.decoder == BootDecoder::kFat32)
    CheckFat32Backup(row, out);
  if (v.kind == CheckedFsKind::kFat32 && sizes) CheckFat32FsInfo(state, row, v, facts, out);
  if (v.kind == CheckedFsKind::kNtfs) CheckNtfsBackup(state, row, v, facts, out);
}

}  // namespace disklens
