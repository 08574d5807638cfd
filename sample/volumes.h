// What the sample partitions hold, written from the published on-disk layouts:
// empty FAT12/16 and FAT32 file systems, an NTFS boot sector with its backup,
// an ext4 superblock, a swap header and an image trailer record.
#pragma once

#include <cstdint>
#include <string>

#include "sample_bytes.h"

namespace disklens::sample {

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
void PutFatVolume(SampleDisk& disk, const FatVolume& volume);

// The NTFS boot sector at the partition's first sector and its copy at its last.
void PutNtfsBootSectors(SampleDisk& disk, std::uint32_t firstLba, std::uint32_t sectors,
                        std::uint64_t serial);

// An ext4 superblock (1 KiB blocks) at byte 1024 of the partition.
void PutExt4Superblock(SampleDisk& disk, std::uint32_t firstLba, std::uint32_t sectors,
                       const std::string& uuid, const std::string& label);

// A version 1 swap header, 4 KiB pages, "SWAPSPACE2" closing the first page.
void PutSwapHeader(SampleDisk& disk, std::uint32_t firstLba, std::uint32_t sectors,
                   const std::string& uuid, const std::string& label);

struct ImageTrailer {
  std::string label;  // up to 4 characters
  std::uint32_t uncompressedSectors = 0;
  std::uint16_t flag = 0;
  std::uint16_t unusedBytes = 0;
  std::uint8_t fs = 0;
  std::uint8_t dfs = 0;
  std::uint32_t compressedSectors = 0;
};

// The 18-byte trailer record at the start of sector `lastLba`.
void PutImageTrailer(SampleDisk& disk, std::uint32_t lastLba, const ImageTrailer& trailer);

}  // namespace disklens::sample
