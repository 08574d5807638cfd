// Disks whose extended chains are walked many times in one pass: the same
// chain behind the MBR and behind every MPT entry, and a real-looking chain of
// 200 logical partitions that the MBR and one MPT entry both name.
#pragma once

#include <cstdint>
#include <string>

#include "hostile/hostile_images.h"

namespace disklens::test::hostile {

// An MPT at LBA 1 whose entries all name the extended partition at `start`.
inline void PutExtendedMpt(DiskImage& disk, std::uint32_t entries, std::uint32_t start,
                           std::uint32_t end) {
  Embr embr;
  for (std::uint32_t k = 0; k < entries; ++k)
    embr.mpt.push_back({0, start, end, static_cast<std::uint8_t>(k + 1), 0x05, "CHAIN"});
  PutEmbr(disk, 512, embr);
}

inline constexpr std::uint32_t kAmplifiedBase = 64;

// The MBR's extended entry and all 255 MPT entries name one chain of `ebrs`
// EBRs at LBA 64, 65, ...: walked 256 times under "/all".
inline HostileImage AmplifiedChain(std::uint32_t ebrs = 4096) {
  DiskImage disk((kAmplifiedBase + ebrs + 8) * 512ull);
  disk.PutTable(0, {Entry(0x05, kAmplifiedBase, ebrs)});
  PutExtendedMpt(disk, 255, kAmplifiedBase, kAmplifiedBase + ebrs - 1);
  for (std::uint32_t k = 0; k < ebrs; ++k) {
    if (k + 1 < ebrs) disk.PutEntry(kAmplifiedBase + k, 0, Entry(0x05, k + 1, 1));
    disk.PutBootSignature(kAmplifiedBase + k);
  }
  return Image("amplified_chain_of_" + std::to_string(ebrs), disk);
}

inline constexpr std::uint32_t kRealChainBase = 2048;
inline constexpr std::uint32_t kRealChainStep = 8;  // an EBR and a logical partition of 7 sectors

// An extended partition at LBA 2048 holding `logicals` logical partitions, each
// behind its own EBR, as partitioning tools lay them out; the one MPT entry
// names the same extended partition.
inline HostileImage RealChain(std::uint32_t logicals = 200) {
  const std::uint32_t size = logicals * kRealChainStep;
  DiskImage disk((kRealChainBase + size + 64) * 512ull);
  disk.PutDiskSignature(0x5EA1C4A1);
  disk.PutTable(0, {Entry(0x05, kRealChainBase, size)});
  PutExtendedMpt(disk, 1, kRealChainBase, kRealChainBase + size - 1);
  for (std::uint32_t k = 0; k < logicals; ++k) {
    const std::uint32_t ebr = kRealChainBase + k * kRealChainStep;
    disk.PutEntry(ebr, 0, Entry(k % 2 == 0 ? 0x83 : 0x82, 1, kRealChainStep - 1));
    if (k + 1 < logicals) {
      disk.PutEntry(ebr, 1, Entry(0x05, (k + 1) * kRealChainStep, kRealChainStep));
    }
    disk.PutBootSignature(ebr);
  }
  return Image("real_chain_of_" + std::to_string(logicals), disk);
}

}  // namespace disklens::test::hostile
