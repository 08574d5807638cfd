// One whole run over in-memory disks: every read the report needs is issued
// once, as one ReadFile straight into an aligned buffer, and a disk number
// that does not open costs nothing beyond the failed open.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "disk/session.h"
#include "support/gpt_image.h"
#include "platform/fake_platform.h"
#include "app/driver.h"
#include "support/capture.h"
#include "support/disk_image.h"

namespace disklens {
namespace {

using test::DiskImage;
using test::Entry;
using Read = std::pair<std::uint64_t, std::uint64_t>;  // (byte position, bytes)

constexpr std::size_t kDiskBytes = 8u << 20;

void JumpingBootSector(DiskImage& d, std::uint64_t lba, const std::string& mark,
                       std::size_t markAt) {
  d.U8(lba * 512, 0xEB);
  d.U8(lba * 512 + 1, 0x58);
  d.U8(lba * 512 + 2, 0x90);
  d.Text(lba * 512 + markAt, mark);
  d.PutBootSignature(lba);
}

// An MBR whose extended partition at LBA 100 chains three EBRs, each with one
// FAT16 logical partition.
DiskImage ChainDisk() {
  DiskImage d(kDiskBytes);
  d.PutTable(0, {Entry(0x05, 100, 3000)});
  const std::uint32_t ebrs[3] = {100, 1100, 2100};
  for (int i = 0; i < 3; ++i) {
    d.PutEntry(ebrs[i], 0, Entry(0x06, 63, 900));
    if (i < 2) d.PutEntry(ebrs[i], 1, Entry(0x05, ebrs[i + 1] - 100, 1000));
    d.PutBootSignature(ebrs[i]);
    JumpingBootSector(d, ebrs[i] + 63, "FAT16   ", 0x36);
  }
  return d;
}

// A GPT of six used slots: FAT32 (backup at +6), NTFS, ext4, XFS, swap, and
// an empty partition.
DiskImage GptDisk() {
  DiskImage d(kDiskBytes);
  std::vector<test::GptEntryFields> entries;
  for (std::uint32_t i = 0; i < 6; ++i) {
    test::GptEntryFields e;
    e.slot = i;
    e.typeGuid = "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}";
    e.uniqueGuid = "{6C7D8E9F-A0B1-42C3-94D5-E6F708192A3B}";
    e.startLba = 2048 + 2048u * i;
    e.endLba = e.startLba + 2047;
    entries.push_back(e);
  }
  test::WriteGpt(d.Bytes(), 512, {}, entries);
  JumpingBootSector(d, 2048, "FAT32   ", 0x52);
  d.U16(2048 * 512 + 0x32, 6);
  JumpingBootSector(d, 4096, "NTFS    ", 3);
  d.U16(6144 * 512 + 1024 + 0x38, 0xEF53);
  d.Text(8192 * 512, "XFSB");
  d.Text(10240 * 512 + 4096 - 10, "SWAPSPACE2");
  return d;
}

std::vector<Read> Sectors(std::initializer_list<std::pair<std::uint64_t, std::uint64_t>> runs) {
  std::vector<Read> reads;
  for (const auto& [lba, count] : runs) reads.emplace_back(lba * 512, count * 512);
  return reads;
}

TEST(ReadPath, EachNeededSectorRunIsOneDirectReadAndAbsentDisksCostOneOpen) {
  FakePlatform fake;
  fake.AddDisk(0, 0).bytes = ChainDisk().Bytes();
  fake.AddDisk(1, 0).bytes = GptDisk().Bytes();
  // Held across the run, so that the TransferBuffer's lock can be named afterwards.
  StartDiskAccess(1);
  const std::string transferLock = std::to_string(Session().transferLock);
  test::CapturedOutput out;
  const char* args[] = {"disklens"};
  ASSERT_EQ(RunProgram(1, args, nullptr), 0);

  std::vector<std::vector<Read>> perDisk(2);
  std::uint32_t openIndex = 0;
  std::size_t firstAbsentOpen = 0;
  for (std::size_t i = 0; i < fake.log.size(); ++i) {
    const FakeCall& c = fake.log[i];
    if (c.op == "CreateFileA" && ++openIndex == 3) firstAbsentOpen = i;
    if (c.op == "ReadFile") perDisk.at(openIndex - 1).emplace_back(c.position, c.size);
  }
  EXPECT_EQ(perDisk[0], Sectors({{0, 1}, {100, 2}, {1100, 2}, {2100, 2}, {1, 63}, {0, 128},
                                 {163, 1}, {1163, 1}, {2163, 1}}));
  // Probes: one sector for a boot sector, the superblock at +2 for ext4 and
  // XFS (whose first sector is not read again), the whole search for swap and
  // for the empty partition; then the boot sectors, FAT32 with its backup.
  EXPECT_EQ(perDisk[1], Sectors({{0, 1}, {1, 63}, {0, 128}, {2048, 1}, {4096, 1}, {6144, 1},
                                 {6146, 1}, {8192, 1}, {8194, 1}, {10240, 1}, {10242, 1},
                                 {10368, 1}, {10247, 1}, {12288, 1}, {12290, 1}, {12416, 1},
                                 {12295, 1}, {2048, 1}, {2054, 1}, {4096, 1}}));

  // No read went through the TransferBuffer: only device locks were taken.
  for (const std::string& entry : fake.lockLog) {
    EXPECT_NE(entry, "wait " + transferLock);
  }
  // Disk numbers 2 to 31: thirty failed opens one after the other, nothing else.
  ASSERT_NE(firstAbsentOpen, 0u);
  ASSERT_GE(fake.log.size(), firstAbsentOpen + 30);
  for (std::size_t i = firstAbsentOpen; i < firstAbsentOpen + 30; ++i) {
    EXPECT_EQ(fake.log[i].op, "CreateFileA") << i;
  }
  EndDiskAccess();
  EXPECT_EQ(fake.OpenHandles(), 0u);
}

}  // namespace
}  // namespace disklens
