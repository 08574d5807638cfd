// The partitions of one disk whose boot records the report decodes.
#pragma once

#include <cstdint>

namespace disklens {

struct BootTarget {
  std::uint8_t fileSystemId = 0;
  std::uint16_t id = 0;
  // 64-bit: a logical partition of a chain past 2^32 and a GPT partition can
  // lie beyond what 32 bits hold.
  std::uint64_t lba = 0;
  std::uint64_t totalSectors = 0;
  // The GPT's content probe found an exFAT volume here: runs that read its
  // boot regions take them with its boot sector, in one request.
  bool probedExfat = false;
};

inline constexpr std::uint32_t BootTargetCapacity = 255;

struct BootTargetList {
  BootTarget rows[BootTargetCapacity];
  std::uint32_t count = 0;
};

void ResetBootTargets(BootTargetList& list);
// True for the file-system IDs that have a decoder; only the low 8 bits count.
bool IsBootTargetType(std::uint32_t fileSystemId);
// One row per start LBA: a second add of the same LBA only replaces the `id`
// (and marks the row when it says exFAT was probed there). A new LBA on a
// full list is dropped.
void AddBootTarget(BootTargetList& list, std::uint8_t fileSystemId, std::uint16_t id,
                   std::uint64_t totalSectors, std::uint64_t lba, bool probedExfat = false);

}  // namespace disklens
