#include "gpt/probe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disk/session.h"
#include "disk/transfer.h"
#include "gpt/probe_kinds.h"
#include "gpt/superblocks.h"
#include "probe_support.h"

namespace disklens {
namespace {

using test::ProbeDisk;
using Lbas = std::vector<std::uint64_t>;

constexpr std::uint64_t kStart = 2048;
constexpr std::uint64_t kDiskBytes = 4u << 20;

// The partition's first sector as an x86 boot sector with the 0x55 0xAA signature.
void JumpingBootSector(ProbeDisk& d, std::uint64_t lba = kStart) {
  d.Sector(lba)[0] = 0xEB;
  d.Sector(lba)[1] = 0x52;
  d.Sector(lba)[2] = 0x90;
  d.BootSignature(lba);
}

std::int32_t KindAt(ProbeDisk& d, std::uint64_t lba = kStart) {
  const ProbeResult r = ProbePartition(d.Device(), lba);
  EXPECT_EQ(r.status, kProbeOk);
  return r.kind;
}

std::uint16_t IdAt(ProbeDisk& d, std::uint64_t lba = kStart) {
  std::uint16_t id = 0xFFFF;
  EXPECT_EQ(ProbePartitionType(d.Device(), static_cast<std::uint32_t>(lba),
                               static_cast<std::uint32_t>(lba >> 32), id),
            kProbeOk);
  return id;
}

TEST(ProbePartition, NtfsIsTriedBeforeFat32AndFat32BeforeFat) {
  ProbeDisk d(kDiskBytes);
  JumpingBootSector(d);
  d.Text(kStart * 512 + 0x36, "FAT16   ");
  d.Sector(kStart)[0x10] = 2;
  d.Sector(kStart)[0x15] = 0xF8;
  EXPECT_EQ(KindAt(d), kKindFat);
  EXPECT_EQ(IdAt(d), 0x06);
  d.Text(kStart * 512 + 0x52, "FAT32   ");
  EXPECT_EQ(KindAt(d), kKindFat32);
  EXPECT_EQ(IdAt(d), 0x0B);
  d.Text(kStart * 512 + 3, "NTFS    ");
  EXPECT_EQ(KindAt(d), kKindNtfs);
  EXPECT_EQ(IdAt(d), 0x07);
  // The E9 jump counts as well.
  d.Sector(kStart)[0] = 0xE9;
  EXPECT_EQ(KindAt(d), kKindNtfs);
}

TEST(ProbePartition, BitLockerIsAFat32ShapedSectorWithItsOwnSignature) {
  ProbeDisk d(kDiskBytes);
  JumpingBootSector(d);
  d.Text(kStart * 512 + 3, "-FVE-FS-");
  d.Text(kStart * 512 + 0x52, "FAT32   ");
  EXPECT_EQ(KindAt(d), kKindBitLocker);
  EXPECT_EQ(IdAt(d), 0x07);
  // Without the FAT32 shape the signature alone is not enough.
  std::memset(d.Sector(kStart) + 0x52, 0, 8);
  EXPECT_EQ(KindAt(d), kKindUnrecognised);
}

TEST(ProbePartition, WithoutSignatureOrJumpNothingIsNtfsOrFatButRefsAndExfatStillAre) {
  for (const bool jump : {false, true}) {
    ProbeDisk d(kDiskBytes);
    JumpingBootSector(d);
    if (jump) {
      d.Sector(kStart)[510] = 0;  // no 0x55 0xAA
    } else {
      d.Sector(kStart)[0] = 0x33;  // no jump
    }
    d.Text(kStart * 512 + 3, "NTFS    ");
    d.Text(kStart * 512 + 0x36, "FAT16");
    d.Text(kStart * 512 + 0x52, "FAT32");
    d.Sector(kStart)[0x10] = 2;
    d.Sector(kStart)[0x15] = 0xF8;
    EXPECT_EQ(KindAt(d), kKindUnrecognised) << jump;
    EXPECT_EQ(IdAt(d), 0) << jump;
    d.Text(kStart * 512 + 3, std::string("ReFS\0\0\0\0", 8));
    EXPECT_EQ(KindAt(d), kKindRefs) << jump;
    d.Text(kStart * 512 + 3, "EXFAT   ");
    EXPECT_EQ(KindAt(d), kKindExfat) << jump;
    EXPECT_EQ(IdAt(d), 0x07) << jump;
  }
}

TEST(ProbePartition, FatWithMbrHelpMarkAndNoHiddenSectorsIsNotFat) {
  ProbeDisk d(kDiskBytes);
  JumpingBootSector(d);
  d.Text(kStart * 512 + 0x36, "FAT12   ");
  d.Text(kStart * 512 + 0x150, "MBR-help");
  EXPECT_EQ(KindAt(d), kKindUnrecognised);
  d.Sector(kStart)[0x1C] = 1;  // hidden sectors 1
  EXPECT_EQ(KindAt(d), kKindFat);
}

// ext4 superblock: magic 0xEF53 at byte 1024 + 0x38 of the partition.
void ExtSuperblock(ProbeDisk& d, std::uint64_t partitionByte) {
  d.At(partitionByte + 1024 + 0x38)[0] = 0x53;
  d.At(partitionByte + 1024 + 0x38)[1] = 0xEF;
}

TEST(ProbePartition, LinuxLoaderMarkSendsABootSectorToTheSuperblockSearch) {
  struct Mark {
    const char* name;
    void (*put)(ProbeDisk&);
  };
  const Mark marks[] = {
      {"grub2",
       [](ProbeDisk& d) {
         d.Sector(kStart)[1] = 0x63;
         d.Text(kStart * 512 + 0x180, "GRUB ");
       }},
      {"grub-legacy",
       [](ProbeDisk& d) {
         d.Sector(kStart)[0x3E] = 3;
         d.Sector(kStart)[0x3F] = 2;
       }},
      {"lilo", [](ProbeDisk& d) { d.Text(kStart * 512 + 6, "LILO"); }},
      {"syslinux", [](ProbeDisk& d) { d.Text(kStart * 512 + 3, "SYSLINUX"); }},
  };
  for (const Mark& m : marks) {
    ProbeDisk d(kDiskBytes);
    JumpingBootSector(d);
    ExtSuperblock(d, kStart * 512);
    d.TakeReads();
    // Without a mark a boot sector is not searched for superblocks.
    EXPECT_EQ(KindAt(d), kKindUnrecognised) << m.name;
    EXPECT_EQ(d.TakeReads(), Lbas{kStart}) << m.name;
    m.put(d);
    EXPECT_EQ(KindAt(d), kKindExt) << m.name;
    EXPECT_EQ(IdAt(d), 0x83) << m.name;
    d.TakeReads();
    // With nothing behind the mark: the whole search, in its order, without
    // reading the first sector again for the XFS test.
    ExtSuperblock(d, kStart * 512 + 1);  // spoil the magic
    d.At(kStart * 512 + 1024 + 0x38)[0] = 0;
    EXPECT_EQ(KindAt(d), kKindUnrecognised) << m.name;
    EXPECT_EQ(d.TakeReads(), (Lbas{kStart, kStart + 2, kStart + 128, kStart + 7})) << m.name;
  }
}

TEST(ProbeSuperblocks, FindsEachFamilyAtItsPlace) {
  ProbeDisk d(kDiskBytes);
  const std::uint64_t p = kStart * 512;
  d.TakeReads();
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindNothing);
  EXPECT_EQ(d.TakeReads(), (Lbas{kStart + 2, kStart, kStart + 128, kStart + 7}));

  d.Text(p + 4096 - 10, "SWAP_SPACE");
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindSwap);
  d.Text(p + 4096 - 10, "SWAPSPACE2");
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindSwap);
  EXPECT_EQ(IdAt(d), 0x82);

  // ReiserFS magic must be followed by its NUL, and wins over swap.
  d.Text(p + 128 * 512 + 0x34, "ReIsEr2FsX");
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindSwap);
  for (const char* magic : {"ReIsErFs", "ReIsEr2Fs", "ReIsEr3Fs"}) {
    std::memset(d.At(p + 128 * 512 + 0x34), 0, 16);
    d.Text(p + 128 * 512 + 0x34, magic);
    EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindReiserFs) << magic;
  }
  d.Text(p + 128 * 512 + 0x34, "reisEr2Fs");
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindSwap);

  d.Text(p, "XFSB");
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindXfs);
  EXPECT_EQ(IdAt(d), 0x83);

  d.Text(p + 1024, "HX");
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindHfsPlus);
  d.Text(p + 1024, "H+");
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindHfsPlus);
  EXPECT_EQ(IdAt(d), 0xAF);

  ExtSuperblock(d, p);
  d.TakeReads();
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindExt);
  EXPECT_EQ(d.TakeReads(), Lbas{kStart + 2});
}

TEST(ProbeSuperblocks, AFailedReadEndsTheSearchButNotTheProbe) {
  ProbeDisk d(kDiskBytes);
  d.Text(kStart * 512, "XFSB");
  d.Text(kStart * 512 + 3, "EXFAT   ");  // no 0x55 0xAA: tested after the search
  d.Fail(kStart + 2);
  d.TakeReads();
  EXPECT_EQ(ProbeSuperblocks(d.Device(), kStart), kKindNothing);
  EXPECT_EQ(KindAt(d), kKindExfat);
  d.Text(kStart * 512 + 3, "        ");
  EXPECT_EQ(KindAt(d), kKindUnrecognised);
}

TEST(ProbePartition, ExtWithGrubInItsBootSectorIsLinux) {
  ProbeDisk d(kDiskBytes);
  d.Sector(kStart)[0] = 0xEB;
  d.Sector(kStart)[1] = 0x63;
  d.Sector(kStart)[2] = 0x90;
  d.Text(kStart * 512 + 0x180, std::string("GRUB \0Geom\0Hard Disk\0Read\0 Error", 32));
  d.BootSignature(kStart);
  ExtSuperblock(d, kStart * 512);
  EXPECT_EQ(IdAt(d), 0x83);
}

TEST(ProbePartition, EmptyPartitionIsProbedToNothingAndAsksForTheLastSector) {
  ProbeDisk d(kDiskBytes);
  static std::vector<std::uint32_t> requests;
  static std::vector<std::uint32_t> lbaSeen;
  requests.clear();
  lbaSeen.clear();
  d.Device()->operation = [](DiskDevice* device, std::uint32_t request, std::uint32_t* lbaPair,
                             std::uint32_t size, void* buffer, std::uint32_t count) {
    requests.push_back(request);
    if (request == kRequestLastSector) {
      EXPECT_EQ(size, 0u);
      EXPECT_EQ(count, 12u);
      EXPECT_NE(buffer, nullptr);
      if (lbaPair != nullptr) lbaSeen = {lbaPair[0], lbaPair[1]};
    }
    return ServeDiskRequest(device, request, lbaPair, size, buffer, count);
  };
  std::uint16_t id = 0xFFFF;
  EXPECT_EQ(ProbePartitionType(d.Device(), kStart, 0, id), kProbeOk);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(requests.back(), kRequestLastSector);
  EXPECT_EQ(lbaSeen, (std::vector<std::uint32_t>{kStart, 0}));
  EXPECT_EQ(ProbePartition(d.Device(), kStart).kind, kKindUnrecognised);

  // Found something: no question asked.
  requests.clear();
  d.Text(kStart * 512, "XFSB");
  EXPECT_EQ(IdAt(d), 0x83);
  for (const std::uint32_t r : requests) EXPECT_EQ(r, kRequestRead);
}

TEST(ProbePartition, UnreadableFirstSectorIsStatus18WithIdZero) {
  ProbeDisk d(kDiskBytes);
  d.Text(kStart * 512 + 2 * 512 + 0x38, "\x53\xEF");
  d.Fail(kStart);
  d.TakeReads();
  std::uint16_t id = 0xFFFF;
  EXPECT_EQ(ProbePartitionType(d.Device(), kStart, 0, id), kProbeUnreadable);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(d.TakeReads(), Lbas{kStart});
  // The high half counts: LBA 2^32 + 2048 lies beyond this disk.
  EXPECT_EQ(ProbePartitionType(d.Device(), kStart, 1, id), kProbeUnreadable);
  const auto reads = d.fake.Calls("ReadFile");
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0].position, ((std::uint64_t{1} << 32) + kStart) * 512);
}

TEST(ProbePartition, LbasThatWouldWrapAreNeverRead) {
  ProbeDisk d(kDiskBytes);
  // LBA 1 is NTFS; a start of 2^55 + 1 is byte 2^64 + 512, which must not
  // wrap round to it.
  JumpingBootSector(d, 1);
  d.Text(512 + 3, "NTFS    ");
  d.TakeReads();
  EXPECT_EQ(ProbePartition(d.Device(), (std::uint64_t{1} << 55) + 1).status, kProbeUnreadable);
  EXPECT_EQ(ProbePartition(d.Device(), UINT64_MAX).status, kProbeUnreadable);
  EXPECT_EQ(ProbeSuperblocks(d.Device(), UINT64_MAX - 2), kKindNothing);
  EXPECT_EQ(ProbeSuperblocks(d.Device(), UINT64_MAX - 2000), kKindNothing);
  EXPECT_EQ(d.TakeReads(), Lbas{});
  std::uint16_t id = 0xFFFF;
  EXPECT_EQ(ProbePartitionType(d.Device(), 0xFFFFFFFFu, 0xFFFFFFFFu, id), kProbeUnreadable);
  EXPECT_EQ(id, 0);
}

TEST(ProbePartition, WholeDiskModeLooksForTextInTheFourthSlotThenForCd001) {
  ProbeDisk d(kDiskBytes);
  d.BootSignature(0);
  // A partition table: the fourth slot holds an entry, not text.
  const std::uint8_t entry[16] = {0x80, 1, 1, 0, 0x83, 0xFE, 0xFF, 0xFF, 0x3F, 0, 0, 0, 0, 0, 1, 0};
  std::memcpy(d.Sector(0) + 0x1EE, entry, 16);
  d.TakeReads();
  ProbeResult r = ProbePartition(d.Device(), 0);
  EXPECT_EQ(r.status, kProbeNothingAtLbaZero);
  EXPECT_EQ(r.kind, kKindNothing);
  EXPECT_EQ(d.TakeReads(), (Lbas{0, 16}));
  std::uint16_t id = 0xFFFF;
  EXPECT_EQ(ProbePartitionType(d.Device(), 0, 0, id), kProbeNothingAtLbaZero);
  EXPECT_EQ(id, 0);

  // Boot code text running into the slot; zeros are passed over.
  std::memset(d.Sector(0) + 0x1EE, 0, 16);
  d.Text(0x1F1, "Missing OS\r\n");
  r = ProbePartition(d.Device(), 0);
  EXPECT_EQ(r.status, kProbeOk);
  EXPECT_EQ(r.kind, kKindUnrecognised);
  EXPECT_EQ(IdAt(d, 0), 0);
  // A byte outside text ends the scan with nothing counted.
  d.Sector(0)[0x1FD] = 0x80;
  EXPECT_EQ(ProbePartition(d.Device(), 0).status, kProbeNothingAtLbaZero);

  // An ISO 9660 volume descriptor at LBA 16.
  d.Text(16 * 512, "\x01" "CD001");
  r = ProbePartition(d.Device(), 0);
  EXPECT_EQ(r.status, kProbeOk);
  EXPECT_EQ(r.kind, kKindIso9660);
  EXPECT_EQ(IdAt(d, 0), 0);
  // In partition mode neither whole-disk test runs.
  JumpingBootSector(d, kStart);
  d.Text(kStart * 512 + 0x1F0, "Missing OS");
  d.Text((kStart + 16) * 512, "\x01" "CD001");
  d.TakeReads();
  EXPECT_EQ(KindAt(d), kKindUnrecognised);
  EXPECT_EQ(d.TakeReads(), Lbas{kStart});
}

TEST(ProbePartition, WholeDiskModeTakesNoCdFromASectorThatWasNotRead) {
  ProbeDisk d(kDiskBytes);
  d.Text(0, "\x01" "CD001");  // LBA 0 itself, left in the buffer if LBA 16 fails
  d.Fail(16);
  EXPECT_EQ(ProbePartition(d.Device(), 0).status, kProbeNothingAtLbaZero);
}

TEST(ProbePartition, LargeSectorsFindSuperblocksInsideTheFirstSector) {
  ProbeDisk d(kDiskBytes, 4096);
  const std::uint64_t start = 64;
  const std::uint64_t p = start * 4096;
  d.TakeReads();
  d.fake.lockLog.clear();
  EXPECT_EQ(KindAt(d, start), kKindUnrecognised);
  // The first sector, read once, serves the ext, HFS+, XFS and swap tests.
  EXPECT_EQ(d.TakeReads(), (Lbas{start, start + 128}));
  // Both reads landed in place: the TransferBuffer's lock was never taken.
  for (const std::string& entry : d.fake.lockLog) {
    EXPECT_NE(entry, "wait " + std::to_string(Session().transferLock));
  }
  d.Text(p + 4096 - 10, "SWAPSPACE2");
  EXPECT_EQ(IdAt(d, start), 0x82);
  d.Text(p + 1024, "H+");
  EXPECT_EQ(IdAt(d, start), 0xAF);
  ExtSuperblock(d, p);
  EXPECT_EQ(IdAt(d, start), 0x83);
}

TEST(ProbePartition, SectorsAbove4096BytesSkipTheSwapTestAndNeverReadBeforeThePartition) {
  ProbeDisk d(kDiskBytes, 8192);
  const std::uint64_t start = 64;
  // The sector before the partition ends like a swap page.
  d.Text(start * 8192 - 10, "SWAPSPACE2");
  d.TakeReads();
  d.fake.lockLog.clear();
  EXPECT_EQ(KindAt(d, start), kKindUnrecognised);
  EXPECT_EQ(d.TakeReads(), (Lbas{start, start + 128}));
  // A sector this large comes from the heap, still aligned: no read is bounced.
  for (const std::string& entry : d.fake.lockLog) {
    EXPECT_NE(entry, "wait " + std::to_string(Session().transferLock));
  }
  ExtSuperblock(d, start * 8192);
  EXPECT_EQ(IdAt(d, start), 0x83);
}

void PutU32Be(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

TEST(ProbePartition, RefsAndHfsPlusVolumesAsTheirFormatsLayThemOut) {
  ProbeDisk d(kDiskBytes);
  // ReFS volume boot record: no jump, no 0x55 0xAA; "FSRS" checksum block at
  // 0x10; 512-byte sectors and 8 sectors a cluster; version 3.4.
  std::uint8_t* refs = d.Sector(kStart);
  d.Text(kStart * 512 + 3, std::string("ReFS\0\0\0\0FSRS", 12));
  refs[0x20] = 0x00;
  refs[0x21] = 0x02;
  refs[0x24] = 8;
  refs[0x28] = 3;
  refs[0x29] = 4;
  EXPECT_EQ(KindAt(d), kKindRefs);
  EXPECT_EQ(IdAt(d), 0x07);

  // HFS+ volume header at byte 1024, big-endian: "H+", version 4, attributes,
  // last mounted by "10.0", 4,096-byte allocation blocks; the boot blocks are zero.
  const std::uint64_t hfs = 3 * kStart;
  std::uint8_t* header = d.At(hfs * 512 + 1024);
  header[0] = 'H';
  header[1] = '+';
  header[3] = 4;
  PutU32Be(header + 4, 0x80000100u);
  d.Text(hfs * 512 + 1024 + 8, "10.0");
  PutU32Be(header + 0x28, 4096);
  EXPECT_EQ(KindAt(d, hfs), kKindHfsPlus);
  EXPECT_EQ(IdAt(d, hfs), 0xAF);
  header[1] = 'X';  // HFSX
  header[3] = 5;
  EXPECT_EQ(IdAt(d, hfs), 0xAF);
}

}  // namespace
}  // namespace disklens
