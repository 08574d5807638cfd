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
  if (!ReadSectorsAt(state.disk, lba, state.workBuffer + offset, count)) return 0;
  return count * sectorSize;
}

ByteView ReadBesideRow(ReportState& state, std::uint64_t lba, std::uint32_t sectorCount,
                       std::size_t within) {
  if (state.disk == nullptr || state.workBuffer == nullptr) return {};
  const std::size_t sectorSize = state.disk->sectorSize;
  if (sectorSize == 0 || 2 * sectorSize > kBesideRowOffset || within % sectorSize != 0) return {};
  const std::size_t room = kWorkBufferSize - kBesideRowOffset;
  if (within > room || sectorCount > (room - within) / sectorSize) return {};
  const std::size_t bytes = sectorCount * sectorSize;
  const std::size_t offset = kBesideRowOffset + within;
  if (bytes == 0 || ReadIntoWorkBuffer(state, lba, sectorCount, offset) != bytes) return {};
  return ByteView{state.workBuffer + offset, bytes};
}

}  // namespace disklens
