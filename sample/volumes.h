// What the sample partitions hold, written from the published on-disk layouts:
// empty FAT12/16 and FAT32 file systems, an NTFS boot sector with its backup,
// an ext4 superblock and a swap header.
#pragma once

#include <cstdint>
#include <string>

#include "support/disk_image.h"

namespace disklens::sample {

inline constexpr std::uint32_t kSectorSize = 512;

struct FatVolume {
  int fatBits = 16;  // 12, 16 or 32
  std::uint32_t firstLba = 0;
  std::uint32_t sectors = 0;
  std::uint32_t volumeId = 0;
  std::string label;  // up to 11 characters
};

// An empty FAT file system: boot sector, the first sector of each FAT and a
// root directory that holds only the label; FAT32 adds its FSInfo sector and
// the backup boot sector at sector 6.
void PutFatVolume(test::DiskImage& disk, const FatVolume& volume);

// The NTFS boot sector at the partition's first sector and its copy at its last.
void PutNtfsBootSectors(test::DiskImage& disk, std::uint32_t firstLba, std::uint32_t sectors,
                        std::uint64_t serial);

// An ext4 superblock (1 KiB blocks) at byte 1024 of the partition.
void PutExt4Superblock(test::DiskImage& disk, std::uint32_t firstLba, std::uint32_t sectors,
                       const std::string& uuid, const std::string& label);

// A version 1 swap header, 4 KiB pages, "SWAPSPACE2" closing the first page.
void PutSwapHeader(test::DiskImage& disk, std::uint32_t firstLba, std::uint32_t sectors,
                   const std::string& uuid, const std::string& label);

}  // namespace disklens::sample
