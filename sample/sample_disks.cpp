#include "sample_disks.h"

#include "support/embr_image.h"
#include "support/gpt_image.h"
#include "support/trailer_image.h"
#include "volumes.h"

namespace disklens::sample {

using test::ChsEntry;
using test::DiskImage;

// Every sample disk is 8 MiB; partitions start on 1 MiB boundaries, logical
// partitions 64 sectors behind their EBR.
constexpr std::uint32_t kDiskSectors = 16384;

DiskImage MakeDisk0() {
  DiskImage disk(std::size_t{kDiskSectors} * kSectorSize);
  disk.PutDiskSignature(0x5EED0000);
  disk.PutTable(0, {ChsEntry(0x06, 2048, 8192, 0x80), ChsEntry(0x0F, 10240, 4096),
                    ChsEntry(0xDA, 14336, 2048)});

  // The chain: a logical FAT12, a link (relative to the extended partition), a logical NTFS.
  disk.PutTable(10240, {ChsEntry(0x01, 64, 1984, 0, 10240), ChsEntry(0x05, 2048, 2048, 0, 10240)});
  disk.PutTable(12288, {ChsEntry(0x07, 64, 1984, 0, 12288)});

  test::Embr embr;
  embr.lastCylinder = 0;
  embr.mpt = {{0, 2048, 10239, 1, 0x06, "FAT16 SYSTEM"},
              {0, 10240, 14335, 2, 0x0F, "EXTENDED"},
              {0, 14336, 16383, 3, 0xDA, "IMAGE STORE"}};
  embr.mbft = std::vector<test::MbftRow>{{"BOOT MENU", 0x07C0, 0x0100, 0x2000, 16, 1, 0},
                                         {"PASSWORD", 0x07C0, 0x0000, 0x2200, 4, 2, 2}};
  embr.mdt = std::vector<test::MdtRow>{{0x01, 1, 8, 20, "HD0", 0}};
  test::PutEmbr(disk, kSectorSize, embr);

  PutFatVolume(disk, {16, 2048, 8192, 0x5EED0016, "DISK0 FAT16"});
  PutFatVolume(disk, {12, 10304, 1984, 0x5EED0012, "DISK0 FAT12"});
  PutNtfsBootSectors(disk, 12352, 1984, 0x5EED0007A1B2C3D4);
  // An image of the FAT16 partition, stored compressed in the 0xDA partition.
  test::PutImageTrailer(disk, 16383, {"FAT1", 8192, 0x0001, 312, 0x06, 0x06, 1500});
  return disk;
}

DiskImage MakeDisk1() {
  DiskImage disk(std::size_t{kDiskSectors} * kSectorSize);
  disk.PutDiskSignature(0x5EED0001);
  disk.PutTable(0, {ChsEntry(0xEE, 1, kDiskSectors - 1)});

  test::GptHeaderFields f;
  f.diskGuid = "5EED0001-0000-4000-8000-000000000000";
  test::WriteGptWithBackup(
      disk, f,
      {{0, test::kEspType, "5EED0001-0000-4000-8000-000000000001", 2048, 6143, 0, u"EFI system partition"},
       {1, test::kBasicDataType, "5EED0001-0000-4000-8000-000000000002", 6144, 10239, 0x8000000000000000,
        u"Basic data partition"},
       {2, test::kLinuxType, "5EED0001-0000-4000-8000-000000000003", 10240, 12287, 0, u"Linux filesystem"},
       {3, test::kSwapType, "5EED0001-0000-4000-8000-000000000004", 12288, 14335, 0, u"Linux swap"}});

  PutFatVolume(disk, {32, 2048, 4096, 0x5EED0032, "DISK1 FAT32"});
  PutNtfsBootSectors(disk, 6144, 4096, 0x5EED0107A1B2C3D4);
  PutExt4Superblock(disk, 10240, 2048, "5EED0001-0000-4000-8000-0000000000E4", "sample-ext4");
  PutSwapHeader(disk, 12288, 2048, "5EED0001-0000-4000-8000-0000000000E5", "sample-swap");
  return disk;
}

}  // namespace disklens::sample
