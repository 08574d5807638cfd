// A GPT partition that sgdisk put at 2^32 + 2048 on a sparse 3 TiB image:
// the program decodes the partition's own first sector, not the one at LBA
// 2048 that a start cut to 32 bits would name, and prints its true start.
#include <gtest/gtest.h>

#include <string>

#include "bootsector/example_lines.h"
#include "bootsector/example_sectors.h"
#include "run_tool.h"
#include "support/disk_image.h"
#include "support/image_file.h"
#include "support/program_runner.h"

namespace disklens {
namespace {

constexpr unsigned long long kStart = 0x100000000ull + 2048;  // 4,294,969,344
constexpr unsigned long long kLast = kStart + 4095;

TEST(GptPast2To32, TheBootSectorOfTheEntryIsReadAtItsWholeStart) {
  if (!test::HaveTool("sgdisk") || !test::HaveTool("truncate")) {
    GTEST_SKIP() << "sgdisk or truncate missing";
  }
  test::TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string image = dir.Path() + "/3t.img";
  ASSERT_TRUE(test::RunTool("truncate -s 3T " + image).has_value()) << "no sparse file of 3 TiB";
  ASSERT_TRUE(test::RunTool("sgdisk -o -a 1 -n 1:" + std::to_string(kStart) + ":" +
                            std::to_string(kLast) + " -t 1:0700 -c 1:high " + image)
                  .has_value());
  // NTFS at the partition's start; at LBA 2048, where the cut start points, FAT16.
  test::DiskImage ntfs(512);
  test::WriteNtfsExample(ntfs, 0);
  ASSERT_TRUE(test::WriteAt(image, kStart * 512, ntfs.Bytes()));
  test::DiskImage fat(512);
  test::WriteFat16Example(fat, 0);
  ASSERT_TRUE(test::WriteAt(image, 2048ull * 512, fat.Bytes()));

  const test::ProgramRun run = test::RunDisklens(image);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("  4294969344      4294973439  "), std::string::npos) << run.out;
  const std::string boot = R"(
                           BOOT SECTOR INFORMATION
-------------------------------------------------------------------------------
File System ID: 0x7   LBA: 4294969344  Total Sectors: 4096)" + test::kNtfsExampleLines +
                           R"(
-------------------------------------------------------------------------------)";
  const std::size_t at = run.out.find("\n                           BOOT SECTOR INFORMATION");
  ASSERT_NE(at, std::string::npos) << run.out;
  EXPECT_EQ(run.out.substr(at), boot);
}

}  // namespace
}  // namespace disklens
