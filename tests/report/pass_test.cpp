// The sections together: what one disk's pass collects and prints, and what
// one pass leaves to the next.
#include <gtest/gtest.h>

#include "disk/session.h"
#include "support/gpt_image.h"
#include "platform/fake_platform.h"
#include "app/driver.h"
#include "support/capture.h"
#include "support/disk_image.h"

namespace disklens {
namespace {

constexpr char kBasicData[] = "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}";
constexpr char kLinuxData[] = "{0FC63DAF-8483-4772-8E79-3D69D8477DE4}";

void PutJumpAndMark(test::DiskImage& d, std::uint64_t lba, std::uint8_t jump, std::size_t markAt,
                    const char* mark) {
  d.U8(lba * 512, 0xEB);
  d.U8(lba * 512 + 1, jump);
  d.U8(lba * 512 + 2, 0x90);
  d.Text(lba * 512 + markAt, mark);
  d.PutBootSignature(lba);
}

// A hybrid disk: MBR entry 1 and GPT slot 1 name the same FAT32 partition at
// LBA 2048 (with different sizes); GPT slot 0 holds NTFS, slot 2 ext4.
test::DiskImage HybridDisk() {
  test::DiskImage d(16384 * 512);
  d.PutTable(0, {test::Entry(0xEE, 1, 2047), test::Entry(0x0C, 2048, 4096)});
  test::WriteGpt(d.Bytes(), 512, {},
                 {{0, kBasicData, "{11111111-2222-3333-4444-555555555555}", 8192, 10239, 0, u"ntfs"},
                  {1, kBasicData, "{66666666-7777-8888-9999-AAAAAAAAAAAA}", 2048, 7047, 0, u"fat"},
                  {2, kLinuxData, "{BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF}", 12288, 14335, 0, u"ext"}});
  PutJumpAndMark(d, 2048, 0x58, 0x52, "FAT32   ");
  d.U16(2048 * 512 + 0x32, 0xFFFF);  // no backup sector: the primary stands in
  PutJumpAndMark(d, 8192, 0x52, 3, "NTFS    ");
  d.U16(12288 * 512 + 1024 + 0x38, 0xEF53);
  return d;
}

struct Pass {
  std::string text;
  BootTargetList targets;
};

// One pass of disk `index` of the installed platform.
Pass RunPass(std::uint32_t index) {
  static std::vector<std::uint8_t> work(kWorkBufferSize);
  ReportState state;
  state.workBuffer = work.data();
  StartDiskAccess(1);
  test::CapturedOutput out;
  ReportDisk(state, index);
  EndDiskAccess();
  return Pass{out.Text(), state.bootTargets};
}

TEST(Pass, HybridPartitionKeepsTheMbrTypeAndSizeAndTakesTheGptSlotAsId) {
  FakePlatform fake;
  fake.disks[0].bytes = HybridDisk().Bytes();
  const Pass pass = RunPass(0);
  ASSERT_EQ(pass.targets.count, 2u);
  const BootTarget& hybrid = pass.targets.rows[0];
  EXPECT_EQ(hybrid.fileSystemId, 0x0C);
  EXPECT_EQ(hybrid.lba, 2048u);
  EXPECT_EQ(hybrid.totalSectors, 4096u);
  EXPECT_EQ(hybrid.id, 1);
  const BootTarget& ntfs = pass.targets.rows[1];
  EXPECT_EQ(ntfs.fileSystemId, 0x07);  // probed
  EXPECT_EQ(ntfs.lba, 8192u);
  EXPECT_EQ(ntfs.totalSectors, 2048u);
  EXPECT_EQ(ntfs.id, 0);
  // Slot 2 (ext4, 0x83) is printed but not listed.
  EXPECT_NE(pass.text.find("    2  ext  "), std::string::npos);
  EXPECT_NE(pass.text.find("\nFile System ID: 0xC   LBA: 2048  Total Sectors: 4096   ID: 0x1\n"),
            std::string::npos);
  EXPECT_NE(pass.text.find("\nFile System ID: 0x7   LBA: 8192  Total Sectors: 2048\n"),
            std::string::npos);
  EXPECT_NE(pass.text.find("FS Type: FAT32    (FAT32   )"), std::string::npos);
}

TEST(Pass, NothingCarriesOverToTheNextDisk) {
  FakePlatform fake;
  fake.disks[0].bytes = HybridDisk().Bytes();
  fake.AddDisk(1, 1024 * 512);
  EXPECT_EQ(RunPass(0).targets.count, 2u);
  const Pass next = RunPass(1);
  EXPECT_EQ(next.targets.count, 0u);
  EXPECT_EQ(next.text.find("BOOT SECTOR INFORMATION"), std::string::npos);
  EXPECT_NE(next.text.find("(HD1 - 0x00000000)"), std::string::npos);
}

TEST(Pass, UnreadableSectorZeroLeavesOutTheMbrSectionButTheOtherReadsAreTried) {
  FakePlatform fake;
  fake.disks[0].bytes = HybridDisk().Bytes();
  fake.disks[0].failingLbas = {0};
  const Pass pass = RunPass(0);
  EXPECT_EQ(pass.text, "");
  std::vector<std::uint64_t> positions;
  for (const FakeCall& c : fake.Calls("ReadFile")) positions.push_back(c.position);
  // Sector 0 (MBR), 63 sectors from LBA 1 (EMBR), 128 sectors from LBA 0 (GPT).
  EXPECT_EQ(positions, (std::vector<std::uint64_t>{0, 512, 0}));
}

TEST(Pass, TheLastDiskNumberIsHd31) {
  FakePlatform fake;
  fake.AddDisk(31, 64 * 512);
  test::CapturedOutput out;
  const char* argv[] = {"disklens"};
  ASSERT_EQ(RunProgram(1, argv, nullptr), 0);
  EXPECT_NE(out.Text().find("MBR Partition Information (HD31 - 0x00000000)"), std::string::npos);
  EXPECT_EQ(fake.Count("CreateFileA"), 32u);
}

}  // namespace
}  // namespace disklens
