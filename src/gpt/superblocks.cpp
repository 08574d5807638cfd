#include "gpt/superblocks.h"

#include "gpt/probe_kinds.h"
#include "gpt/probe_sector.h"
#include "layout/superblocks.h"

namespace disklens {

namespace {

constexpr std::uint32_t kSwapPageBytes = swap_header::kPageBytes;
constexpr std::uint32_t kReiserSector = 128;

bool IsReiserFsSuperblock(ByteView sector) {
  // The magic must end at its NUL: "ReIsErFsX" is not ReiserFS.
  constexpr std::size_t kMagic = reiserfs_superblock::kMagic;
  return sector.Matches(kMagic, "ReIsErFs", 9) || sector.Matches(kMagic, "ReIsEr2Fs", 10) ||
         sector.Matches(kMagic, "ReIsEr3Fs", 10);
}

// The sector `offset` sectors into the partition; its first sector is taken
// from `first` when the caller has it, and not read again.
bool SectorOf(DiskDevice* disk, std::uint64_t lba, std::uint64_t offset, ByteView first,
              ProbeSectorBuffer& buffer, ByteView& sector) {
  if (offset == 0 && first.size != 0) {
    sector = first;
    return true;
  }
  return ReadProbeSector(disk, lba, offset, buffer, sector);
}

}  // namespace

std::int32_t ProbeSuperblocks(DiskDevice* disk, std::uint64_t lba, ByteView first) {
  if (disk == nullptr || disk->sectorSize == 0) return kKindNothing;
  const std::uint32_t s = disk->sectorSize;
  ProbeSectorBuffer buffer(disk);
  ByteView sector;

  // Byte 1024 of the partition, where both the ext superblock and the HFS+
  // volume header start: sector q, offset r.
  static_assert(ext_superblock::kOffset == hfsplus_header::kOffset);
  const std::uint32_t q = ext_superblock::kOffset / s;
  const std::uint32_t r = ext_superblock::kOffset % s;
  if (!SectorOf(disk, lba, q, first, buffer, sector)) return kKindNothing;
  if (sector.Has(r + ext_superblock::kMagic, 2) &&
      sector.U16(r + ext_superblock::kMagic) == ext_superblock::kMagicValue) {
    return kKindExt;
  }
  if (sector.Matches(r + hfsplus_header::kSignature, "H+", 2) ||
      sector.Matches(r + hfsplus_header::kSignature, "HX", 2)) {
    return kKindHfsPlus;
  }

  if (!SectorOf(disk, lba, 0, first, buffer, sector)) return kKindNothing;
  if (sector.Matches(xfs_superblock::kMagic, "XFSB", 4)) return kKindXfs;

  if (!SectorOf(disk, lba, kReiserSector, first, buffer, sector)) return kKindNothing;
  if (IsReiserFsSuperblock(sector)) return kKindReiserFs;

  // The swap signature ends the first 4 KiB page, in the sector that ends it.
  // Above 4 KiB a sector holds more than the page and that sector would lie
  // before the partition, so the test is left out.
  if (s > kSwapPageBytes || s < swap_header::kMagicSize) return kKindNothing;
  if (!SectorOf(disk, lba, kSwapPageBytes / s - 1, first, buffer, sector)) return kKindNothing;
  const std::size_t tail = s - swap_header::kMagicSize;
  if (sector.Matches(tail, "SWAPSPACE2", 10) || sector.Matches(tail, "SWAP_SPACE", 10)) {
    return kKindSwap;
  }
  return kKindNothing;
}

}  // namespace disklens
