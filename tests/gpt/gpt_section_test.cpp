#include "gpt/gpt_section.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gpt/gpt_report.h"
#include "support/gpt_image.h"
#include "platform/fake_platform.h"
#include "section_runner.h"

namespace disklens {
namespace {

using test::GptEntryFields;
using test::GptHeaderFields;

constexpr const char* kEsp = "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}";
constexpr const char* kBasicData = "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}";
constexpr const char* kLinux = "{0FC63DAF-8483-4772-8E79-3D69D8477DE4}";

// A 1 MiB disk whose header describes the 500,118,192-sector disk of the example.
FakeDisk& ExampleDisk(FakePlatform& fake, std::uint32_t sectorSize = 512) {
  FakeDisk& disk = fake.AddDisk(0, 1 << 20, sectorSize);
  GptHeaderFields f;
  f.alternateLba = 500118191;
  f.firstUsableLba = 34;
  f.lastUsableLba = 500118158;
  test::WriteGpt(disk.bytes, sectorSize, f,
                 {{0, kEsp, "{0D3E5F71-9A2B-4C3D-8E4F-50617283A4B5}", 2048, 206847,
                   0x8000000000000000ull, u"EFI system partition"},
                  {1, kBasicData, "{6C7D8E9F-A0B1-42C3-94D5-E6F708192A3B}", 206848, 209922047, 0,
                   u"Basic data partition"},
                  {3, kLinux, "{4B5C6D7E-8F90-41A2-B3C4-D5E6F7081929}", 209922048, 500117503, 0,
                   u"Linux filesystem data files"}});
  return disk;
}

const std::string kHeaderBlock = R"(

===============================================================================
            GPT Found (HD0) {5A1F2C3D-4B5E-4F60-8172-93A4B5C6D7E8}
-------------------------------------------------------------------------------
 Revision: 10000   Hdr Size: 92   Max Entries: 128    PE Size: 128  PE LBA: 2
 Primary LBA: 1                  Backup LBA: 500118191       
  FAvail LBA: 34                 LAvail LBA: 500118158       
-------------------------------------------------------------------------------
  Num            Name                Attr            Start            End                     GUID Type                                 GUID
 ----- ----------------------- ---------------- --------------- --------------- --------------------------------------  --------------------------------------)";

const std::string kDoubleRule =
    "\n===============================================================================";

TEST(GptSection, PrintsTheExampleDiskByteForByte) {
  FakePlatform fake;
  ExampleDisk(fake);
  const auto run = test::RunGptSection();
  ASSERT_TRUE(run.opened);
  EXPECT_EQ(run.text, kHeaderBlock + R"(
    0  EFI system partition    8000000000000000           2048          206847  {C12A7328-F81F-11D2-BA4B-00A0C93EC93B}  {0D3E5F71-9A2B-4C3D-8E4F-50617283A4B5}
    1  Basic data partition                   0         206848       209922047  {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}  {6C7D8E9F-A0B1-42C3-94D5-E6F708192A3B}
    3  Linux filesystem data f                0      209922048       500117503  {0FC63DAF-8483-4772-8E79-3D69D8477DE4}  {4B5C6D7E-8F90-41A2-B3C4-D5E6F7081929}
===============================================================================)");
  // The partitions lie beyond this small disk, so none can be probed or listed.
  EXPECT_EQ(run.targets.count, 0u);
}

TEST(GptSection, LeavesItselfOutWithoutAValidGpt) {
  {
    FakePlatform fake;
    fake.AddDisk(0, 1 << 20);  // no GPT at all
    EXPECT_EQ(test::RunGptSection().text, "");
  }
  {
    FakePlatform fake;
    FakeDisk& disk = ExampleDisk(fake);
    disk.bytes[2 * 512 + 100] ^= 1;  // the entry array no longer matches its CRC
    EXPECT_EQ(test::RunGptSection().text, "");
  }
  {
    FakePlatform fake;
    FakeDisk& disk = ExampleDisk(fake);
    disk.failingLbas.insert(40);  // the one read of 128 sectors fails
    const auto run = test::RunGptSection();
    EXPECT_TRUE(run.opened);
    EXPECT_EQ(run.text, "");
  }
}

TEST(GptSection, PrintsOnlyUsedSlotsWithTheirIndexes) {
  FakePlatform fake;
  FakeDisk& disk = fake.AddDisk(0, 1 << 20);
  GptEntryFields hidden{3,
                        "{00000000-0000-0000-0000-000000000000}",
                        "{11111111-2222-3333-4444-555555555555}",
                        100,
                        200,
                        1,
                        u"ghost"};
  test::WriteGpt(disk.bytes, 512, {},
                 {{0, kEsp, "{00000000-0000-0000-0000-000000000001}", 40, 99, 0, u"a"},
                  hidden,
                  {5, kLinux, "{00000000-0000-0000-0000-000000000005}", 0x100000800ull,
                   0x1FFFFFFFFull, 0x1, u""}});
  const auto run = test::RunGptSection();
  const auto start = run.text.find(" ----- ");
  ASSERT_NE(start, std::string::npos);
  const std::string rows = run.text.substr(run.text.find('\n', start));
  EXPECT_EQ(rows,
            "\n    0  a                                      0             40              99  "
            "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}  {00000000-0000-0000-0000-000000000001}"
            "\n    5                                         1     4294969344      8589934591  "
            "{0FC63DAF-8483-4772-8E79-3D69D8477DE4}  {00000000-0000-0000-0000-000000000005}" +
                kDoubleRule);
  EXPECT_EQ(run.targets.count, 0u);
}

TEST(GptSection, AllUnusedSlotsLeaveOnlyTheFrame) {
  FakePlatform fake;
  FakeDisk& disk = fake.AddDisk(0, 1 << 20);
  GptHeaderFields f;
  f.alternateLba = 500118191;
  f.lastUsableLba = 500118158;
  test::WriteGpt(disk.bytes, 512, f, {});
  EXPECT_EQ(test::RunGptSection().text, kHeaderBlock + kDoubleRule);
}

TEST(GptSection, StepsOverWideSlotsByTheirSize) {
  FakePlatform fake;
  FakeDisk& disk = fake.AddDisk(0, 1 << 20);
  GptHeaderFields f;
  f.entrySize = 256;
  f.entryCount = 4;
  test::WriteGpt(disk.bytes, 512, f,
                 {{1, kBasicData, "{00000000-0000-0000-0000-0000000000AA}", 64, 127, 0, u"data"}});
  // Bytes 128 to 255 of slot 0 look like an entry but are not one.
  disk.bytes[1024 + 128] = 0x77;
  test::SealGpt(disk.bytes, 512);
  const std::string text = test::RunGptSection().text;
  EXPECT_NE(text.find("PE Size: 256  PE LBA: 2"), std::string::npos);
  EXPECT_NE(
      text.find("\n    1  data                                   0             64             127  "
                "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}  {00000000-0000-0000-0000-0000000000AA}" +
                kDoubleRule),
      std::string::npos);
  EXPECT_EQ(text.find("\n    0 "), std::string::npos);
}

TEST(GptReport, NeverWalksPastTheValidLength) {
  FakePlatform fake;
  FakeDisk& disk = fake.AddDisk(0, 1 << 20);
  std::vector<GptEntryFields> entries;
  for (std::uint32_t slot = 0; slot < 4; ++slot) {
    entries.push_back(
        {slot, kLinux, "{00000000-0000-0000-0000-000000000001}", 40 + slot, 40 + slot, 0, u"p"});
  }
  test::WriteGpt(disk.bytes, 512, {}, entries);
  // A buffer that ends inside slot 3, with a view that says so.
  std::vector<std::uint8_t> cut(disk.bytes.begin(), disk.bytes.begin() + 1024 + 3 * 128 + 64);
  GptView view{cut.data(), static_cast<std::uint32_t>(cut.size()), cut.data() + 512,
               cut.data() + 1024, 512};
  StartDiskAccess(1);
  ReportState state;
  state.disk = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(state.disk, nullptr);
  test::CapturedOutput out;
  PrintGptReport(state, WalkGpt(state, view));
  CloseDiskDevice(state.disk);
  EndDiskAccess();
  const std::string text = out.Text();
  EXPECT_NE(text.find("\n    2  p "), std::string::npos);
  EXPECT_EQ(text.find("\n    3  p "), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - kDoubleRule.size()), kDoubleRule);
}

}  // namespace
}  // namespace disklens
