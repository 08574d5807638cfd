#include "sample_disks.h"

#include "gpt_tables.h"
#include "mbr_tables.h"
#include "volumes.h"

namespace disklens::sample {

// Every sample disk is 8 MiB; partitions start on 1 MiB boundaries, logical
// partitions 64 sectors behind their EBR.
constexpr std::uint32_t kDiskSectors = 16384;

SampleDisk MakeDisk0() {
  SampleDisk disk{"disk0.img", kDiskSectors, {}};

  Bytes mbr = Sector();
  Put32(mbr, 440, 0x5EED0000);  // disk signature
  PutMbrEntry(mbr, 0, {0x80, 0x06, 2048, 8192, 2048, 10239});
  PutMbrEntry(mbr, 1, {0x00, 0x0F, 10240, 4096, 10240, 14335});
  PutMbrEntry(mbr, 2, {0x00, 0xDA, 14336, 2048, 14336, 16383});
  PutBootMark(mbr);
  disk.Put(0, mbr);

  // The chain: a logical FAT12, a link (relative to the extended partition), a logical NTFS.
  Bytes ebr1 = Sector();
  PutMbrEntry(ebr1, 0, {0x00, 0x01, 64, 1984, 10304, 12287});
  PutMbrEntry(ebr1, 1, {0x00, 0x05, 2048, 2048, 12288, 14335});
  PutBootMark(ebr1);
  disk.Put(10240, ebr1);
  Bytes ebr2 = Sector();
  PutMbrEntry(ebr2, 0, {0x00, 0x07, 64, 1984, 12352, 14335});
  PutBootMark(ebr2);
  disk.Put(12288, ebr2);

  Embr embr;
  embr.mpt = {{0, 2048, 10239, 1, 0x06, "FAT16 SYSTEM"},
              {0, 10240, 14335, 2, 0x0F, "EXTENDED"},
              {0, 14336, 16383, 3, 0xDA, "IMAGE STORE"}};
  embr.mbft = {{"BOOT MENU", 0x07C0, 0x2000, 0x0100, 16, 1, 0},
               {"PASSWORD", 0x07C0, 0x2200, 0x0000, 4, 2, 2}};
  embr.mdt = {{0x01, 1, 8, 20, "HD0", 0}};
  disk.Put(1, BuildEmbr(embr));

  PutFatVolume(disk, {16, 2048, 8192, 0x5EED0016, "DISK0 FAT16"});
  PutFatVolume(disk, {12, 10304, 1984, 0x5EED0012, "DISK0 FAT12"});
  PutNtfsBootSectors(disk, 12352, 1984, 0x5EED0007A1B2C3D4);
  // An image of the FAT16 partition, stored compressed in the 0xDA partition.
  PutImageTrailer(disk, 16383, {"FAT1", 8192, 0x0001, 312, 0x06, 0x06, 1500});
  return disk;
}

SampleDisk MakeDisk1() {
  SampleDisk disk{"disk1.img", kDiskSectors, {}};

  Bytes mbr = Sector();
  Put32(mbr, 440, 0x5EED0001);
  PutMbrEntry(mbr, 0, {0x00, 0xEE, 1, kDiskSectors - 1, 1, kDiskSectors - 1});
  PutBootMark(mbr);
  disk.Put(0, mbr);

  PutGpt(disk, "5EED0001-0000-4000-8000-000000000000",
         {{"C12A7328-F81F-11D2-BA4B-00A0C93EC93B", "5EED0001-0000-4000-8000-000000000001", 2048,
           6143, 0, "EFI system partition"},
          {"EBD0A0A2-B9E5-4433-87C0-68B6B72699C7", "5EED0001-0000-4000-8000-000000000002", 6144,
           10239, 0x8000000000000000, "Basic data partition"},
          {"0FC63DAF-8483-4772-8E79-3D69D8477DE4", "5EED0001-0000-4000-8000-000000000003", 10240,
           12287, 0, "Linux filesystem"},
          {"0657FD6D-A4AB-43C4-84E5-0933C84B4F4F", "5EED0001-0000-4000-8000-000000000004", 12288,
           14335, 0, "Linux swap"}});

  PutFatVolume(disk, {32, 2048, 4096, 0x5EED0032, "DISK1 FAT32"});
  PutNtfsBootSectors(disk, 6144, 4096, 0x5EED0107A1B2C3D4);
  PutExt4Superblock(disk, 10240, 2048, "5EED0001-0000-4000-8000-0000000000E4", "sample-ext4");
  PutSwapHeader(disk, 12288, 2048, "5EED0001-0000-4000-8000-0000000000E5", "sample-swap");
  return disk;
}

}  // namespace disklens::sample
