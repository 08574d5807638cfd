#include "check/fat_checks.h"

#include <cstdint>
#include <optional>
#include <string>

#include "layout/boot_sector.h"

namespace disklens {

namespace {

namespace bs = boot_sector;

// fsck.fat's cut-over cluster counts.
constexpr std::uint64_t kFat12Limit = 4085;
constexpr std::uint64_t kFat16Limit = 65525;
constexpr std::uint32_t kDirEntrySize = 32;
constexpr std::uint8_t kDirtyBit = 0x01;

Finding BpbError(const BootRowRecord& row, std::optional<std::uint32_t> byte, std::string message,
                 std::string expected, std::string found) {
  return Finding{"fat.bpb",
                 Severity::kError,
                 row.row.lba,
                 byte,
                 std::move(message),
                 std::move(expected),
                 std::move(found),
                 "fsck.fat refuses this volume; restore the boot sector from its backup or "
                 "recreate the file system (mkfs.fat) after saving its files"};
}

bool IsPowerOfTwo(std::uint64_t v) { return v != 0 && (v & (v - 1)) == 0; }

// The FAT12/16 cluster count as fsck.fat computes it, and the room its FAT
// has; none of it when a count read from disk leaves no data area.
void CheckFat16Clusters(const BootRowRecord& row, const BootVolume& v, std::uint64_t fatSectors,
                        Findings& out) {
  const ByteView s = row.sector;
  const std::uint64_t bps = v.bytesPerSector;
  const std::uint64_t perCluster = s.U8(bs::kSectorsPerCluster);
  const std::uint64_t rootSectors =
      (std::uint64_t{s.U16(bs::kRootEntries)} * kDirEntrySize + bps - 1) / bps;
  const std::uint64_t dataStart =
      s.U16(bs::kReservedSectors) + s.U8(bs::kFatCount) * fatSectors + rootSectors;
  // The data area holds no whole cluster.
  if (v.totalSectors < dataStart || v.totalSectors - dataStart < perCluster) {
    out.push_back(BpbError(row, {},
                           "the data area holds no cluster: " + std::to_string(v.totalSectors) +
                               " sectors in all, the data area starts at sector " +
                               std::to_string(dataStart),
                           "", ""));
    return;
  }
  const std::uint64_t clusters = (v.totalSectors - dataStart) / perCluster;
  // More clusters than FAT16 numbers.
  if (clusters >= kFat16Limit) {
    out.push_back(BpbError(
        row, {}, "too many clusters (" + std::to_string(clusters) + ") for a FAT12/16 file system",
        "fewer than " + std::to_string(kFat16Limit), std::to_string(clusters)));
    return;
  }
  // More clusters than the FAT has entries for (two entries are reserved).
  const std::uint64_t bits = clusters >= kFat12Limit ? 16 : 12;
  const std::uint64_t entries = fatSectors * bps * 8 / bits;
  if (entries < 2 || clusters > entries - 2) {
    out.push_back(BpbError(row, bs::kSectorsPerFat16,
                           "the volume has " + std::to_string(clusters) +
                               " clusters but its FAT has room for " +
                               std::to_string(entries < 2 ? 0 : entries - 2),
                           "", ""));
  }
}

}  // namespace

bool CheckFatBpb(const BootRowRecord& row, const BootVolume& v, Findings& out) {
  const ByteView s = row.sector;
  bool usable = true;
  // Bytes per sector: a power of two from 512 to 4,096.
  if (!IsSectorSize(v.bytesPerSector, 512)) {
    out.push_back(BpbError(row, bs::kBytesPerSector,
                           "the sector size " + std::to_string(v.bytesPerSector) +
                               " is not a power of two from 512 to 4096",
                           "512, 1024, 2048 or 4096", std::to_string(v.bytesPerSector)));
    usable = false;
  }
  // Sectors per cluster: a power of two, not 0.
  const std::uint8_t perCluster = s.U8(bs::kSectorsPerCluster);
  if (!IsPowerOfTwo(perCluster)) {
    out.push_back(BpbError(
        row, bs::kSectorsPerCluster,
        "the sectors per cluster " + std::to_string(perCluster) + " are not a power of two",
        "1, 2, 4, ... 128", std::to_string(perCluster)));
    usable = false;
  }
  // Number of FATs: not 0.
  const std::uint8_t fats = s.U8(bs::kFatCount);
  if (fats == 0) {
    out.push_back(
        BpbError(row, bs::kFatCount, "the volume has no FAT (number of FATs 0)", "1 or 2", "0"));
  }
  // FAT size: the 16-bit field, on FAT32 the 32-bit one; not 0.
  const std::size_t fatField =
      v.kind == CheckedFsKind::kFat32 ? bs::kFat32SectorsPerFat : bs::kSectorsPerFat16;
  const std::uint64_t fatSectors =
      v.kind == CheckedFsKind::kFat32 ? s.U32(fatField) : s.U16(fatField);
  if (fatSectors == 0) {
    out.push_back(
        BpbError(row, static_cast<std::uint32_t>(fatField), "the FAT size is 0 sectors", "", "0"));
  }
  // FAT12/16: the cluster count fits FAT16 and the FAT.
  if (usable && fats != 0 && fatSectors != 0 && v.kind == CheckedFsKind::kFat) {
    CheckFat16Clusters(row, v, fatSectors, out);
  }
  return usable;
}

void CheckFatDirty(const BootRowRecord& row, const BootVolume& v, Findings& out) {
  // Bit 0 of the state byte (0x25 on FAT12/16, 0x41 on FAT32): set while mounted.
  const std::size_t at =
      v.kind == CheckedFsKind::kFat32 ? bs::kFat32StateFlags : bs::kFat16StateFlags;
  const std::uint8_t flags = row.sector.U8(at);
  if ((flags & kDirtyBit) == 0) return;
  out.push_back(Finding{"fat.dirty", Severity::kNote, row.row.lba, static_cast<std::uint32_t>(at),
                        "the volume is marked dirty: it was not cleanly unmounted", "",
                        HexText(flags, 2), "fsck.fat -a checks the volume and clears the flag"});
}

}  // namespace disklens
