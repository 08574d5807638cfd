#include "volumes.h"

#include <stdexcept>

#include "gpt_tables.h"

namespace disklens::sample {
namespace {

constexpr std::uint16_t kSectorsPerTrack = 63;
constexpr std::uint16_t kHeads = 255;
constexpr std::uint8_t kMedia = 0xF8;

// Jumped to from the boot sector's first bytes: no boot code here, so hand
// over to the next boot device (int 18h), then halt.
void PutBootStub(Bytes& b, std::size_t at) {
  const std::uint8_t stub[] = {0xCD, 0x18, 0xF4, 0xEB, 0xFD};
  for (std::size_t i = 0; i < sizeof stub; ++i) b[at + i] = stub[i];
}

std::string Padded(const std::string& text, std::size_t width) {
  std::string s = text.substr(0, width);
  s.resize(width, ' ');
  return s;
}

struct FatShape {
  std::uint32_t reserved;
  std::uint32_t rootEntries;
  std::uint32_t rootSectors;
  std::uint32_t fatSectors;
  std::uint32_t clusters;
};

// The smallest FAT that maps every cluster left once it is in place (one sector a cluster).
FatShape ShapeOf(const FatVolume& v) {
  FatShape s{};
  s.reserved = v.fatBits == 32 ? 32 : 1;
  s.rootEntries = v.fatBits == 32 ? 0 : v.fatBits == 16 ? 512 : 224;
  s.rootSectors = s.rootEntries * 32 / kSectorSize;
  for (s.fatSectors = 1;; ++s.fatSectors) {
    const std::uint32_t used = s.reserved + s.rootSectors + 2 * s.fatSectors;
    if (used >= v.sectors) throw std::invalid_argument("FAT volume too small");
    s.clusters = v.sectors - used;
    const std::uint64_t needed = (std::uint64_t{s.clusters} + 2) * static_cast<std::uint32_t>(v.fatBits);
    if (std::uint64_t{s.fatSectors} * kSectorSize * 8 >= needed) return s;
  }
}

Bytes FatBootSector(const FatVolume& v, const FatShape& s) {
  Bytes b = Sector();
  const bool fat32 = v.fatBits == 32;
  const std::uint8_t jump[] = {0xEB, static_cast<std::uint8_t>(fat32 ? 0x58 : 0x3C), 0x90};
  for (std::size_t i = 0; i < 3; ++i) b[i] = jump[i];
  PutText(b, 3, "DLSAMPLE");
  Put16(b, 0x0B, kSectorSize);
  Put8(b, 0x0D, 1);
  Put16(b, 0x0E, s.reserved);
  Put8(b, 0x10, 2);
  Put16(b, 0x11, s.rootEntries);
  Put16(b, 0x13, fat32 || v.sectors > 0xFFFF ? 0 : v.sectors);
  Put8(b, 0x15, kMedia);
  Put16(b, 0x16, fat32 ? 0 : s.fatSectors);
  Put16(b, 0x18, kSectorsPerTrack);
  Put16(b, 0x1A, kHeads);
  Put32(b, 0x1C, v.firstLba);
  Put32(b, 0x20, fat32 || v.sectors > 0xFFFF ? v.sectors : 0);
  std::size_t ext = 0x24;  // the extended fields, behind the FAT32 block when there is one
  if (fat32) {
    Put32(b, 0x24, s.fatSectors);
    Put32(b, 0x2C, 2);  // root directory cluster
    Put16(b, 0x30, 1);  // FSInfo sector
    Put16(b, 0x32, 6);  // backup boot sector
    ext = 0x40;
  }
  Put8(b, ext, 0x80);
  Put8(b, ext + 2, 0x29);
  Put32(b, ext + 3, v.volumeId);
  PutText(b, ext + 7, Padded(v.label, 11));
  PutText(b, ext + 18, Padded("FAT" + std::to_string(v.fatBits), 8));
  PutBootStub(b, ext + 26);
  PutBootMark(b);
  return b;
}

Bytes FsInfoSector(const FatShape& s) {
  Bytes b = Sector();
  Put32(b, 0, 0x41615252);
  Put32(b, 484, 0x61417272);
  Put32(b, 488, s.clusters - 1);  // the root directory holds one cluster
  Put32(b, 492, 3);
  Put32(b, 508, 0xAA550000);
  return b;
}

Bytes FirstFatSector(int fatBits) {
  Bytes b = Sector();
  if (fatBits == 12) {
    Put32(b, 0, 0x00FFFFF8);
  } else if (fatBits == 16) {
    Put32(b, 0, 0xFFFFFFF8);
  } else {
    Put32(b, 0, 0x0FFFFFF8);
    Put32(b, 4, 0x0FFFFFFF);
    Put32(b, 8, 0x0FFFFFFF);  // the root directory's one cluster
  }
  return b;
}

Bytes LabelEntrySector(const std::string& label) {
  Bytes b = Sector();
  PutText(b, 0, Padded(label, 11));
  Put8(b, 11, 0x08);  // volume label attribute
  return b;
}

}  // namespace

void PutFatVolume(SampleDisk& disk, const FatVolume& v) {
  const FatShape s = ShapeOf(v);
  const Bytes boot = FatBootSector(v, s);
  disk.Put(v.firstLba, boot);
  const std::uint32_t fat1 = v.firstLba + s.reserved;
  disk.Put(fat1, FirstFatSector(v.fatBits));
  disk.Put(fat1 + s.fatSectors, FirstFatSector(v.fatBits));
  // The root directory follows the FATs: fixed on FAT12/16, cluster 2 on FAT32.
  disk.Put(fat1 + 2 * s.fatSectors, LabelEntrySector(v.label));
  if (v.fatBits == 32) {
    disk.Put(v.firstLba + 1, FsInfoSector(s));
    disk.Put(v.firstLba + 6, boot);
    disk.Put(v.firstLba + 7, FsInfoSector(s));
  }
}

void PutNtfsBootSectors(SampleDisk& disk, std::uint32_t firstLba, std::uint32_t sectors,
                        std::uint64_t serial) {
  constexpr std::uint32_t kSectorsPerCluster = 8;
  const std::uint64_t volumeSectors = sectors - 1;  // the last sector keeps the copy
  Bytes b = Sector();
  const std::uint8_t jump[] = {0xEB, 0x52, 0x90};
  for (std::size_t i = 0; i < 3; ++i) b[i] = jump[i];
  PutText(b, 3, "NTFS    ");
  Put16(b, 0x0B, kSectorSize);
  Put8(b, 0x0D, kSectorsPerCluster);
  Put8(b, 0x15, kMedia);
  Put16(b, 0x18, kSectorsPerTrack);
  Put16(b, 0x1A, kHeads);
  Put32(b, 0x1C, firstLba);
  Put32(b, 0x24, 0x00800080);
  Put64(b, 0x28, volumeSectors);
  Put64(b, 0x30, 16);                                     // MFT
  Put64(b, 0x38, volumeSectors / kSectorsPerCluster / 2);  // its mirror, mid-volume
  Put32(b, 0x40, 0xF6);                                   // 1 KiB file records
  Put32(b, 0x44, 0x01);
  Put64(b, 0x48, serial);
  PutBootStub(b, 0x54);
  PutBootMark(b);
  disk.Put(firstLba, b);
  disk.Put(firstLba + sectors - 1, b);
}

void PutExt4Superblock(SampleDisk& disk, std::uint32_t firstLba, std::uint32_t sectors,
                       const std::string& uuid, const std::string& label) {
  const std::uint32_t blocks = sectors / 2;  // 1 KiB blocks
  constexpr std::uint32_t kInodes = 128;
  Bytes b(1024, 0);
  Put32(b, 0x00, kInodes);
  Put32(b, 0x04, blocks);
  Put32(b, 0x0C, blocks - 40);   // free blocks
  Put32(b, 0x10, kInodes - 11);  // free inodes
  Put32(b, 0x14, 1);             // first data block
  Put32(b, 0x20, 8192);          // blocks per group
  Put32(b, 0x24, 8192);          // clusters per group
  Put32(b, 0x28, kInodes);       // inodes per group
  Put16(b, 0x36, 0xFFFF);        // max mount count: no forced check
  Put16(b, 0x38, 0xEF53);
  Put16(b, 0x3A, 1);             // clean
  Put16(b, 0x3C, 1);             // continue on errors
  Put32(b, 0x4C, 1);             // dynamic revision
  Put32(b, 0x54, 11);            // first inode
  Put16(b, 0x58, 256);           // inode size
  Put32(b, 0x5C, 0x0038);        // ext_attr, resize_inode, dir_index
  Put32(b, 0x60, 0x0242);        // filetype, extents, flex_bg
  Put32(b, 0x64, 0x006B);        // sparse_super, large_file, huge_file, dir_nlink, extra_isize
  const Bytes id = UuidBytes(uuid);
  for (std::size_t i = 0; i < 16; ++i) b[0x68 + i] = id[i];
  PutText(b, 0x78, label.substr(0, 16));
  disk.Put(firstLba + 1024 / kSectorSize, b);
}

void PutSwapHeader(SampleDisk& disk, std::uint32_t firstLba, std::uint32_t sectors,
                   const std::string& uuid, const std::string& label) {
  constexpr std::uint32_t kPage = 4096;
  Bytes b(kPage, 0);
  Put32(b, 1024, 1);                                  // version
  Put32(b, 1028, sectors / (kPage / kSectorSize) - 1);  // last page
  const Bytes id = UuidBytes(uuid);
  for (std::size_t i = 0; i < 16; ++i) b[1036 + i] = id[i];
  PutText(b, 1052, label.substr(0, 16));
  PutText(b, kPage - 10, "SWAPSPACE2");
  disk.Put(firstLba, b);
}

void PutImageTrailer(SampleDisk& disk, std::uint32_t lastLba, const ImageTrailer& t) {
  Bytes b = Sector();
  PutText(b, 0x00, t.label.substr(0, 4));
  Put32(b, 0x04, t.uncompressedSectors);
  Put16(b, 0x08, t.flag);
  Put16(b, 0x0A, t.unusedBytes);
  Put8(b, 0x0C, t.fs);
  Put8(b, 0x0D, t.dfs);
  Put32(b, 0x0E, t.compressedSectors);
  disk.Put(lastLba, b);
}

}  // namespace disklens::sample
