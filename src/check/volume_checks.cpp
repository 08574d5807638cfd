#include "check/volume_checks.h"

#include <cstdio>
#include <string>

#include "bootsector/bitlocker_boot_sector.h"
#include "bootsector/exfat_boot_sector.h"
#include "bootsector/refs_boot_sector.h"
#include "layout/exfat.h"

namespace disklens {

namespace {

// A 128-bit product, so that no count read from disk times its unit wraps.
struct Wide {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
};

Wide Multiply(std::uint64_t count, std::uint32_t unit) {
  const std::uint64_t lowPart = (count & 0xFFFFFFFFu) * unit;
  const std::uint64_t highPart = (count >> 32) * unit;
  Wide w;
  w.low = lowPart + (highPart << 32);
  w.high = (highPart >> 32) + (w.low < lowPart ? 1 : 0);
  return w;
}

bool Greater(Wide a, Wide b) { return a.high != b.high ? a.high > b.high : a.low > b.low; }
bool Equal(Wide a, Wide b) { return a.high == b.high && a.low == b.low; }

const char* TextDecoderName(BootDecoder decoder) {
  switch (decoder) {
    case BootDecoder::kFat:
      return "FAT12/16";
    case BootDecoder::kFat32:
      return "FAT32";
    case BootDecoder::kNtfs:
      return "NTFS";
    case BootDecoder::kImageTrailer:
    case BootDecoder::kNone:
      break;
  }
  return "boot sector";
}

Finding Make(const char* id, Severity severity, std::uint64_t lba) {
  Finding f;
  f.id = id;
  f.severity = severity;
  f.lba = lba;
  return f;
}

// The disk's LBA and byte within it of byte `offset` of the volume at `row`.
void Place(Finding& f, const BootTarget& row, std::uint64_t offset, std::uint32_t diskSector) {
  f.lba = row.lba + offset / diskSector;
  if (offset % diskSector != 0) f.byteOffset = static_cast<std::uint32_t>(offset % diskSector);
}

// fs.kind: a note naming the volume, since the text shows it through another decoder.
void NoteKind(const BootRowRecord& row, Findings& out) {
  Finding f = Make("fs.kind", Severity::kNote, row.row.lba);
  if (row.volume == VolumeKind::kBitLockerToGo) {
    f.message = JoinText({"the volume at LBA ", row.row.lba,
                          " is a BitLocker To Go volume: the FAT32 fields above are those of "
                          "its unencrypted discovery part"});
    f.hint = "disklens --json gives its FVE metadata offsets under bitlocker_to_go";
  } else {
    f.message = JoinText({"the volume at LBA ", row.row.lba, " is ", VolumeKindName(row.volume),
                          ", not ", TextDecoderName(row.decoder), ": the ",
                          TextDecoderName(row.decoder), " fields above are not its own"});
    f.hint = "disklens --json decodes its own fields";
  }
  out.push_back(std::move(f));
}

// fs.size: the volume must fit in its partition (a partition of 0 sectors says nothing).
void CheckSize(const BootRowRecord& row, std::uint64_t sectors, std::uint32_t unit,
               std::uint32_t diskSector, Findings& out) {
  if (sectors == 0 || unit == 0 || row.row.totalSectors == 0) return;
  const Wide volume = Multiply(sectors, unit);
  const Wide partition = Multiply(row.row.totalSectors, diskSector);
  if (!Greater(volume, partition)) return;
  Finding f = Make("fs.size", Severity::kError, row.row.lba);
  f.message = std::string("the ") + VolumeKindName(row.volume) + " volume at LBA " +
              std::to_string(row.row.lba) + " claims " + std::to_string(sectors) + " sectors of " +
              std::to_string(unit) + " bytes, more than its partition's " +
              std::to_string(row.row.totalSectors) + " sectors of " + std::to_string(diskSector);
  f.expected = "at most " + std::to_string(row.row.totalSectors * diskSector / unit) + " sectors";
  f.found = std::to_string(sectors) + " sectors";
  f.hint =
      "the partition was shrunk under the volume or the volume copied onto a smaller one; "
      "grow the partition back (sfdisk, sgdisk) before the volume is written to";
  out.push_back(std::move(f));
}

void CheckExfat(const BootRowRecord& row, std::uint32_t diskSector, Findings& out) {
  const ExfatBootSector boot = DecodeExfatBootSector(row.sector);
  const std::uint32_t sectorSize = ExfatSectorSize(boot);
  const ExfatBootRegion& region = row.exfatRegion;
  const std::string lba = std::to_string(row.row.lba);
  if (region.read) {
    // exfat.checksum: sector 11 of each region repeats the checksum of its sectors 0 to 10.
    const struct {
      const ExfatChecksum& sum;
      const char* name;
      unsigned firstSector;
    } regions[] = {{region.main, "main", 0}, {region.backup, "backup", exfat::kBackupRegionStart}};
    for (const auto& r : regions) {
      if (r.sum.holds) continue;
      Finding f = Make("exfat.checksum", Severity::kError, row.row.lba);
      Place(f, row.row, std::uint64_t{sectorSize} * (r.firstSector + exfat::kChecksumSector),
            diskSector);
      f.message = std::string("the ") + r.name + " boot region of the exFAT volume at LBA " + lba +
                  " fails its checksum: its sector " +
                  std::to_string(r.firstSector + exfat::kChecksumSector) +
                  " does not repeat the checksum of sectors " + std::to_string(r.firstSector) +
                  " to " + std::to_string(r.firstSector + exfat::kChecksumSector - 1);
      f.expected = HexText(r.sum.computed, 8);
      f.found = HexText(r.sum.stored, 8);
      f.hint = r.firstSector == 0
                   ? "a system then mounts the volume from the backup region, if at all; "
                     "fsck.exfat restores the main region from a sound backup"
                   : "the backup region is what a system falls back on when the main one fails; "
                     "copy the main region (sectors 0 to 11) over it while it is sound";
      out.push_back(std::move(f));
    }
    // exfat.backup: the backup boot sector repeats the main one's fields (but
    // VolumeFlags and PercentInUse, which change in use).
    if (!region.differingFields.empty()) {
      Finding f = Make("exfat.backup", Severity::kWarning, row.row.lba);
      Place(f, row.row, std::uint64_t{sectorSize} * exfat::kBackupRegionStart, diskSector);
      std::string names;
      for (const std::string& name : region.differingFields) {
        names += (names.empty() ? "" : ", ") + name;
      }
      f.message = "the backup boot sector of the exFAT volume at LBA " + lba +
                  " differs from the main one in " + names;
      f.hint =
          "one of the two was written apart from the other; fsck.exfat -n tells "
          "whether the main one is sound, and copying it over the backup region "
          "(sectors 12 to 23) makes them agree";
      out.push_back(std::move(f));
    }
  }
  // exfat.offset: a partition offset other than 0 names where the partition starts.
  if (boot.partitionOffset != 0 && sectorSize != 0 &&
      !Equal(Multiply(boot.partitionOffset, sectorSize), Multiply(row.row.lba, diskSector))) {
    Finding f = Make("exfat.offset", Severity::kWarning, row.row.lba);
    f.byteOffset = static_cast<std::uint32_t>(exfat::kPartitionOffset);
    f.message = "the exFAT volume at LBA " + lba + " gives its partition's start as sector " +
                std::to_string(boot.partitionOffset) + ", not where its partition starts";
    if (std::uint64_t{row.row.lba} * diskSector % sectorSize == 0 &&
        row.row.lba <= UINT64_MAX / diskSector) {
      f.expected = std::to_string(row.row.lba * diskSector / sectorSize);
    }
    f.found = std::to_string(boot.partitionOffset);
    f.hint =
        "the volume was moved or copied from elsewhere; systems that boot from it or "
        "read it without the partition table go by this field";
    out.push_back(std::move(f));
  }
  CheckSize(row, boot.volumeLength, sectorSize, diskSector, out);
}

}  // namespace

void CheckVolumeRow(const BootRowRecord& row, const DiskFacts& facts, Findings& out) {
  if (!row.read || row.volume == VolumeKind::kNone || facts.sectorSize == 0) return;
  NoteKind(row, out);
  switch (row.volume) {
    case VolumeKind::kExfat:
      CheckExfat(row, facts.sectorSize, out);
      break;
    case VolumeKind::kBitLocker: {
      const BitLockerBootSector b = DecodeBitLockerBootSector(row.sector, false);
      CheckSize(row, BitLockerSectorCount(b), b.bytesPerSector, facts.sectorSize, out);
      break;
    }
    case VolumeKind::kRefs: {
      const RefsBootSector b = DecodeRefsBootSector(row.sector);
      CheckSize(row, b.sectorCount, b.bytesPerSector, facts.sectorSize, out);
      break;
    }
    case VolumeKind::kBitLockerToGo:  // a FAT32: the FAT32 checks see to its size
    case VolumeKind::kNone:
      break;
  }
}

}  // namespace disklens
