#include "volumes.h"

#include <stdexcept>

#include "support/gpt_image.h"

namespace disklens::sample {
namespace {

// A sector (or a longer block) built on its own, copied to `lba`.
void Put(test::DiskImage& disk, std::uint64_t lba, const test::DiskImage& block) {
  disk.PutClipped(lba * kSectorSize, block.Bytes());
}

constexpr std::uint16_t kSectorsPerTrack = 63;
constexpr std::uint16_t kHeads = 255;
constexpr std::uint8_t kMedia = 0xF8;

// Jumped to from the boot sector's first bytes: no boot code here, so hand
// over to the next boot device (int 18h), then halt.
void PutBootStub(test::DiskImage& b, std::size_t at) {
  const std::uint8_t stub[] = {0xCD, 0x18, 0xF4, 0xEB, 0xFD};
  for (std::size_t i = 0; i < sizeof stub; ++i) b.U8(at + i, stub[i]);
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

test::DiskImage FatBootSector(const FatVolume& v, const FatShape& s) {
  test::DiskImage b(kSectorSize);
  const bool fat32 = v.fatBits == 32;
  const std::uint8_t jump[] = {0xEB, static_cast<std::uint8_t>(fat32 ? 0x58 : 0x3C), 0x90};
  for (std::size_t i = 0; i < 3; ++i) b.U8(i, jump[i]);
  b.Text(3, "DLSAMPLE");
  b.U16(0x0B, kSectorSize);
  b.U8(0x0D, 1);
  b.U16(0x0E, s.reserved);
  b.U8(0x10, 2);
  b.U16(0x11, s.rootEntries);
  b.U16(0x13, fat32 || v.sectors > 0xFFFF ? 0 : v.sectors);
  b.U8(0x15, kMedia);
  b.U16(0x16, fat32 ? 0 : s.fatSectors);
  b.U16(0x18, kSectorsPerTrack);
  b.U16(0x1A, kHeads);
  b.U32(0x1C, v.firstLba);
  b.U32(0x20, fat32 || v.sectors > 0xFFFF ? v.sectors : 0);
  std::size_t ext = 0x24;  // the extended fields, behind the FAT32 block when there is one
  if (fat32) {
    b.U32(0x24, s.fatSectors);
    b.U32(0x2C, 2);  // root directory cluster
    b.U16(0x30, 1);  // FSInfo sector
    b.U16(0x32, 6);  // backup boot sector
    ext = 0x40;
  }
  b.U8(ext, 0x80);
  b.U8(ext + 2, 0x29);
  b.U32(ext + 3, v.volumeId);
  b.Text(ext + 7, Padded(v.label, 11));
  b.Text(ext + 18, Padded("FAT" + std::to_string(v.fatBits), 8));
  PutBootStub(b, ext + 26);
  b.PutBootSignature(0);
  return b;
}

test::DiskImage FsInfoSector(const FatShape& s) {
  test::DiskImage b(kSectorSize);
  b.U32(0, 0x41615252);
  b.U32(484, 0x61417272);
  b.U32(488, s.clusters - 1);  // the root directory holds one cluster
  b.U32(492, 3);
  b.U32(508, 0xAA550000);
  return b;
}

test::DiskImage FirstFatSector(int fatBits) {
  test::DiskImage b(kSectorSize);
  if (fatBits == 12) {
    b.U32(0, 0x00FFFFF8);
  } else if (fatBits == 16) {
    b.U32(0, 0xFFFFFFF8);
  } else {
    b.U32(0, 0x0FFFFFF8);
    b.U32(4, 0x0FFFFFFF);
    b.U32(8, 0x0FFFFFFF);  // the root directory's one cluster
  }
  return b;
}

test::DiskImage LabelEntrySector(const std::string& label) {
  test::DiskImage b(kSectorSize);
  b.Text(0, Padded(label, 11));
  b.U8(11, 0x08);  // volume label attribute
  return b;
}

}  // namespace

void PutFatVolume(test::DiskImage& disk, const FatVolume& v) {
  const FatShape s = ShapeOf(v);
  const test::DiskImage boot = FatBootSector(v, s);
  Put(disk, v.firstLba, boot);
  const std::uint32_t fat1 = v.firstLba + s.reserved;
  Put(disk, fat1, FirstFatSector(v.fatBits));
  Put(disk, fat1 + s.fatSectors, FirstFatSector(v.fatBits));
  // The root directory follows the FATs: fixed on FAT12/16, cluster 2 on FAT32.
  Put(disk, fat1 + 2 * s.fatSectors, LabelEntrySector(v.label));
  if (v.fatBits == 32) {
    Put(disk, v.firstLba + 1, FsInfoSector(s));
    Put(disk, v.firstLba + 6, boot);
    Put(disk, v.firstLba + 7, FsInfoSector(s));
  }
}

void PutNtfsBootSectors(test::DiskImage& disk, std::uint32_t firstLba, std::uint32_t sectors,
                        std::uint64_t serial) {
  constexpr std::uint32_t kSectorsPerCluster = 8;
  const std::uint64_t volumeSectors = sectors - 1;  // the last sector keeps the copy
  test::DiskImage b(kSectorSize);
  const std::uint8_t jump[] = {0xEB, 0x52, 0x90};
  for (std::size_t i = 0; i < 3; ++i) b.U8(i, jump[i]);
  b.Text(3, "NTFS    ");
  b.U16(0x0B, kSectorSize);
  b.U8(0x0D, kSectorsPerCluster);
  b.U8(0x15, kMedia);
  b.U16(0x18, kSectorsPerTrack);
  b.U16(0x1A, kHeads);
  b.U32(0x1C, firstLba);
  b.U32(0x24, 0x00800080);
  b.U64(0x28, volumeSectors);
  b.U64(0x30, 16);                                     // MFT
  b.U64(0x38, volumeSectors / kSectorsPerCluster / 2);  // its mirror, mid-volume
  b.U32(0x40, 0xF6);                                   // 1 KiB file records
  b.U32(0x44, 0x01);
  b.U64(0x48, serial);
  PutBootStub(b, 0x54);
  b.PutBootSignature(0);
  Put(disk, firstLba, b);
  Put(disk, firstLba + sectors - 1, b);
}

void PutExt4Superblock(test::DiskImage& disk, std::uint32_t firstLba, std::uint32_t sectors,
                       const std::string& uuid, const std::string& label) {
  const std::uint32_t blocks = sectors / 2;  // 1 KiB blocks
  constexpr std::uint32_t kInodes = 128;
  test::DiskImage b(1024);
  b.U32(0x00, kInodes);
  b.U32(0x04, blocks);
  b.U32(0x0C, blocks - 40);   // free blocks
  b.U32(0x10, kInodes - 11);  // free inodes
  b.U32(0x14, 1);             // first data block
  b.U32(0x20, 8192);          // blocks per group
  b.U32(0x24, 8192);          // clusters per group
  b.U32(0x28, kInodes);       // inodes per group
  b.U16(0x36, 0xFFFF);        // max mount count: no forced check
  b.U16(0x38, 0xEF53);
  b.U16(0x3A, 1);             // clean
  b.U16(0x3C, 1);             // continue on errors
  b.U32(0x4C, 1);             // dynamic revision
  b.U32(0x54, 11);            // first inode
  b.U16(0x58, 256);           // inode size
  b.U32(0x5C, 0x0038);        // ext_attr, resize_inode, dir_index
  b.U32(0x60, 0x0242);        // filetype, extents, flex_bg
  b.U32(0x64, 0x006B);        // sparse_super, large_file, huge_file, dir_nlink, extra_isize
  const auto id = test::UuidBytes(uuid);
  for (std::size_t i = 0; i < 16; ++i) b.U8(0x68 + i, id[i]);
  b.Text(0x78, label.substr(0, 16));
  Put(disk, firstLba + 1024 / kSectorSize, b);
}

void PutSwapHeader(test::DiskImage& disk, std::uint32_t firstLba, std::uint32_t sectors,
                   const std::string& uuid, const std::string& label) {
  constexpr std::uint32_t kPage = 4096;
  test::DiskImage b(kPage);
  b.U32(1024, 1);                                  // version
  b.U32(1028, sectors / (kPage / kSectorSize) - 1);  // last page
  const auto id = test::UuidBytes(uuid);
  for (std::size_t i = 0; i < 16; ++i) b.U8(1036 + i, id[i]);
  b.Text(1052, label.substr(0, 16));
  b.Text(kPage - 10, "SWAPSPACE2");
  Put(disk, firstLba, b);
}

}  // namespace disklens::sample
