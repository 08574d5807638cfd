// Names a partition's file system by its contents, as an MBR-style type ID.
#pragma once

#include <cstdint>

#include "disk/device.h"

namespace disklens {

// Probe status.
inline constexpr std::int32_t kProbeOk = 0;
inline constexpr std::int32_t kProbeUnreadable = 18;
inline constexpr std::int32_t kProbeNothingAtLbaZero = 89;

// Probes the partition that starts at the LBA given as two 32-bit halves.
// `id` receives the MBR-style type ID (0 when nothing is recognised or the
// probe fails). Returns the probe status.
std::int32_t ProbePartitionType(DiskDevice* disk, std::uint32_t lbaLow, std::uint32_t lbaHigh,
                                std::uint16_t& id);

}  // namespace disklens
