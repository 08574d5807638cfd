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
  const std::size_t e = 512;
  PutEmbrHeader(disk, e);
  disk.Text(e + 18, "MPT");
  disk.U8(e + 21, 1);
  disk.U8(e + 22, static_cast<std::uint8_t>(entries));
  for (std::uint32_t k = 0; k < entries; ++k) {
    const std::size_t at = e + 28 + 28 * static_cast<std::size_t>(k);
    disk.U32(at + 2, start);
    disk.U32(at + 6, end);
    disk.U8(at + 10, static_cast<std::uint8_t>(k + 1));
    disk.U8(at + 11, 0x05);
    disk.Text(at + 12, "CHAIN");
  }
}

inline constexpr std::uint32_t kAmplifiedBase = 64;

// The MBR's extended entry and all 255 MPT entries name one chain of `ebrs`
// EBRs at LBA 64, 65, ...: walked 256 times under "/all".
inline HostileImage AmplifiedChain(std::uint32_t ebrs = 4096) {
  DiskImage disk((kAmplifiedBase + ebrs + 8) * 512ull);
  disk.PutEntry(0, 0, Entry(0x05, kAmplifiedBase, ebrs));
  disk.PutBootSignature(0);
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
  disk.U32(0x1B8, 0x5EA1C4A1);
  disk.PutEntry(0, 0, Entry(0x05, kRealChainBase, size));
  disk.PutBootSignature(0);
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
