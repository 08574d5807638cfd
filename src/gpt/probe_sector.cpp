#include "gpt/probe_sector.h"

#include "disk/transfer.h"

namespace disklens {

std::vector<std::uint8_t> ProbeSectorBuffer(const DiskDevice* disk) {
  return std::vector<std::uint8_t>(disk != nullptr ? disk->sectorSize : 0u);
}

bool ReadProbeSector(DiskDevice* disk, std::uint64_t base, std::uint64_t offset,
                     std::vector<std::uint8_t>& buffer, ByteView& sector) {
  sector = ByteView{};
  if (disk == nullptr || disk->sectorSize == 0 || buffer.size() < disk->sectorSize) return false;
  if (offset > UINT64_MAX - base) return false;
  const std::uint64_t lba = base + offset;
  if (lba >= (UINT64_C(1) << 63) / disk->sectorSize) return false;
  if (ReadSectors(static_cast<std::uint32_t>(lba), static_cast<std::uint32_t>(lba >> 32),
                  buffer.data(), 1, disk) == 0) {
    return false;
  }
  sector = ByteView{buffer.data(), disk->sectorSize};
  return true;
}

}  // namespace disklens
