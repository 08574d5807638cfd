#include "state/report_state.h"

#include "disk/transfer.h"

namespace disklens {

std::size_t ReadIntoWorkBuffer(ReportState& state, std::uint64_t lba, std::uint32_t sectorCount,
                               std::size_t offset) {
  if (state.disk == nullptr || state.workBuffer == nullptr || offset >= kWorkBufferSize) return 0;
  const std::size_t sectorSize = state.disk->sectorSize;
  if (sectorSize == 0) return 0;
  const std::size_t fits = (kWorkBufferSize - offset) / sectorSize;
  const auto count = static_cast<std::uint32_t>(sectorCount < fits ? sectorCount : fits);
  if (count == 0) return 0;
  if (ReadSectors(static_cast<std::uint32_t>(lba), static_cast<std::uint32_t>(lba >> 32),
                  state.workBuffer + offset, count, state.disk) == 0) {
    return 0;
  }
  return count * sectorSize;
}

bool ReadIntoBuffer(ReportState& state, std::uint64_t lba, std::uint32_t sectorCount,
                    std::uint8_t* buffer, std::size_t capacity) {
  if (state.disk == nullptr || buffer == nullptr || state.disk->sectorSize == 0) return false;
  if (sectorCount > capacity / state.disk->sectorSize) return false;
  return ReadSectors(static_cast<std::uint32_t>(lba), static_cast<std::uint32_t>(lba >> 32), buffer,
                     sectorCount, state.disk) != 0;
}

}  // namespace disklens
