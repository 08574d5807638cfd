#include "gpt/superblocks.h"

#include "gpt/probe_kinds.h"
#include "gpt/probe_sector.h"

namespace disklens {

namespace {

constexpr std::uint32_t kSwapPageBytes = 4096;
constexpr std::uint32_t kReiserSector = 128;

bool IsReiserFsSuperblock(ByteView sector) {
  // The magic must end at its NUL: "ReIsErFsX" is not ReiserFS.
  return sector.Matches(0x34, "ReIsErFs", 9) || sector.Matches(0x34, "ReIsEr2Fs", 10) ||
         sector.Matches(0x34, "ReIsEr3Fs", 10);
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

  // Byte 1024 of the partition: sector q, offset r.
  const std::uint32_t q = 1024 / s;
  const std::uint32_t r = 1024 % s;
  if (!SectorOf(disk, lba, q, first, buffer, sector)) return kKindNothing;
  if (sector.Has(r + 0x38u, 2) && sector.U16(r + 0x38u) == 0xEF53) return kKindExt;
  if (sector.Matches(r, "H+", 2) || sector.Matches(r, "HX", 2)) return kKindHfsPlus;

  if (!SectorOf(disk, lba, 0, first, buffer, sector)) return kKindNothing;
  if (sector.Matches(0, "XFSB", 4)) return kKindXfs;

  if (!SectorOf(disk, lba, kReiserSector, first, buffer, sector)) return kKindNothing;
  if (IsReiserFsSuperblock(sector)) return kKindReiserFs;

  // The swap signature ends the first 4 KiB page, in the sector that ends it.
  // Above 4 KiB a sector holds more than the page and that sector would lie
  // before the partition, so the test is left out.
  if (s > kSwapPageBytes || s < 10) return kKindNothing;
  if (!SectorOf(disk, lba, kSwapPageBytes / s - 1, first, buffer, sector)) return kKindNothing;
  const std::size_t tail = s - 10u;
  if (sector.Matches(tail, "SWAPSPACE2", 10) || sector.Matches(tail, "SWAP_SPACE", 10)) {
    return kKindSwap;
  }
  return kKindNothing;
}

}  // namespace disklens
