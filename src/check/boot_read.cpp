#include "check/boot_read.h"

#include "check/boot_volume.h"

namespace disklens {

std::optional<DiskSpan> LocateInPartition(std::uint64_t partitionLba, std::uint64_t offset,
                                          std::uint32_t length, const DiskFacts& facts) {
  const std::uint64_t size = facts.sectorSize;
  if (size == 0 || length == 0) return std::nullopt;
  DiskSpan span;
  const std::uint64_t first = offset / size;
  span.within = static_cast<std::uint32_t>(offset % size);
  span.sectors =
      static_cast<std::uint32_t>((span.within + std::uint64_t{length} + size - 1) / size);
  if (first > UINT64_MAX - partitionLba) return std::nullopt;
  span.lba = partitionLba + first;
  if (span.lba > UINT64_MAX - span.sectors) return std::nullopt;
  if (facts.sectorCount != 0 && span.lba + span.sectors > facts.sectorCount) return std::nullopt;
  return span;
}

}  // namespace disklens
