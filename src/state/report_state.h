// The run's state that the sections of a disk's pass share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes/bytes.h"
#include "state/boot_targets.h"
#include "disk/device.h"
#include "state/chain_limits.h"

namespace disklens {

// 128 sectors of 4,096 bytes: the largest read of a pass.
inline constexpr std::size_t kWorkBufferSize = 0x80000;

struct ReportState {
  bool allOption = false;
  std::uint8_t* workBuffer = nullptr;  // kWorkBufferSize bytes
  std::uint8_t diskNumber = 0x80;
  DiskDevice* disk = nullptr;
  BootTargetList bootTargets;
  // EBRs the chain walks of this pass may still read; refilled for every disk.
  std::uint32_t chainEbrsLeft = kPassEbrBudget;
  // Set by --json and --check runs: a boot row then reads the sectors its
  // volume keeps beside the boot sector (the exFAT boot regions), which the
  // text report never shows and so never reads.
  bool readVolumeRegions = false;
};

// "HD%i" of every section.
inline int HdNumber(const ReportState& state) { return state.diskNumber - 0x80; }

// Reads `sectorCount` sectors at `lba` into the WorkBuffer at `offset`, in one
// ReadSectors call, but never more sectors than fit behind `offset` (disks with
// sectors above 4,096 bytes get fewer). The number of bytes read, 0 on failure.
std::size_t ReadIntoWorkBuffer(ReportState& state, std::uint64_t lba, std::uint32_t sectorCount,
                               std::size_t offset = 0);

// The WorkBuffer's upper half, where the sectors read beside a boot row land
// (an exFAT volume's boot regions, the checks' own sectors): the row's views,
// its sector and its FAT32 backup, lie within the first two sectors or 8 KiB.
inline constexpr std::size_t kBesideRowOffset = kWorkBufferSize / 2;

// Reads `sectorCount` sectors at `lba` into the WorkBuffer at kBesideRowOffset
// + `within`, sector-aligned for the read to land directly. Their bytes, or an
// empty view when the read failed or they would not fit there (or a boot
// row's views could reach there: sectors above 128 KiB).
ByteView ReadBesideRow(ReportState& state, std::uint64_t lba, std::uint32_t sectorCount,
                       std::size_t within = 0);

}  // namespace disklens
