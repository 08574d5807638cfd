// Names a partition's file system by its contents, as an MBR-style type ID.
#pragma once

#include <cstdint>

#include "bytes/bytes.h"
#include "disk/device.h"

namespace disklens {

// Probe status.
inline constexpr std::int32_t kProbeOk = 0;
inline constexpr std::int32_t kProbeUnreadable = 18;
inline constexpr std::int32_t kProbeNothingAtLbaZero = 89;

// Probes the partition that starts at the LBA given as two 32-bit halves.
// `id` receives the MBR-style type ID (0 when nothing is recognised or the
// probe fails), `kind` when given the probe's own kind code (kKindNothing
// when it fails). Returns the probe status.
std::int32_t ProbePartitionType(DiskDevice* disk, std::uint32_t lbaLow, std::uint32_t lbaHigh,
                                std::uint16_t& id, std::int32_t* kind = nullptr);

struct ProbeResult {
  std::int32_t status = kProbeOk;
  std::int32_t kind = 0;  // a kind code of gpt/probe_kinds.h
};

// The detailed probe. LBA 0 is probed as a whole disk (a text-filled fourth
// partition slot and an ISO 9660 descriptor at LBA 16 are looked for too);
// any other LBA as a partition.
ProbeResult ProbePartition(DiskDevice* disk, std::uint64_t lba);

// The MBR-style ID of a kind code, or -1 for a kind that has none.
std::int32_t KindToPartitionType(std::int32_t kind);

// True when the fourth partition slot (bytes 0x1EE to 0x1FD) holds text,
// which makes the sector a boot sector rather than a partition table.
bool FourthSlotHoldsText(ByteView sector);

}  // namespace disklens
