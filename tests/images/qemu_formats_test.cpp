// The report read through every container that qemu-img writes equals the raw
// images' report, and no container file changes for being read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "images/container_images.h"

namespace disklens {
namespace {

struct Conversion {
  const char* format;   // qemu-img's name of it
  const char* options;
  const char* suffix;
};

// Converts every raw disk, checks the reports of the two lists and that the
// containers' files (extents included) keep their bytes and times.
void CheckConversion(const Conversion& c) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  ASSERT_EQ(disks.size(), 7u);
  const std::string out = dir.File("containers");
  std::filesystem::create_directory(out);
  std::vector<std::string> raw;
  std::vector<std::string> converted;
  for (const test::RawDisk& d : disks) {
    const std::string target = out + "/" + d.name + c.suffix;
    ASSERT_TRUE(test::QemuConvert(d.path, target, c.format, c.options)) << target;
    raw.push_back(test::Entry(d.path, d.sectorSize));
    converted.push_back(test::Entry(target, d.sectorSize));
  }
  const auto before = test::StampAll(out);
  test::ExpectSameReports(test::JoinDisks(raw), test::JoinDisks(converted));
  EXPECT_EQ(test::StampAll(out), before);
}

TEST(QcowImages, PlainReportsAsRaw) { CheckConversion({"qcow2", "", ".qcow2"}); }

TEST(QcowImages, CompressedClustersReportAsRaw) { CheckConversion({"qcow2", "-c", ".qcow2"}); }

TEST(QcowImages, Version2ReportsAsRaw) { CheckConversion({"qcow2", "-o compat=0.10", ".qcow2"}); }

TEST(VhdImages, FixedReportsAsRaw) {
  CheckConversion({"vpc", "-o subformat=fixed,force_size=on", ".vhd"});
}

TEST(VhdImages, DynamicReportsAsRaw) {
  CheckConversion({"vpc", "-o subformat=dynamic,force_size=on", ".vhd"});
}

// qemu-img writes VHDX with 512-byte logical sectors, which it records: the
// 4096-byte disk is left to the test of that below.
TEST(VhdImages, VhdxReportsAsRaw) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  std::vector<std::string> raw;
  std::vector<std::string> converted;
  for (const test::RawDisk& d : test::MakeRawDisks(dir)) {
    if (d.sectorSize != 512) continue;
    const std::string target = d.path + ".vhdx";
    ASSERT_TRUE(test::QemuConvert(d.path, target, "vhdx", ""));
    raw.push_back(d.path);
    converted.push_back(target);
  }
  ASSERT_EQ(converted.size(), 6u);
  const auto before = test::Stamp(converted[0]);
  test::ExpectSameReports(test::JoinDisks(raw), test::JoinDisks(converted));
  EXPECT_EQ(test::Stamp(converted[0]), before);
}

TEST(VhdImages, RecordedSectorSizeOverrulesTheEntry) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  ASSERT_FALSE(disks.empty());
  const std::string target = disks[0].path + ".vhdx";
  ASSERT_TRUE(test::QemuConvert(disks[0].path, target, "vhdx", ""));
  const test::ProgramRun raw = test::RunDisklens(disks[0].path);
  const test::ProgramRun overruled = test::RunDisklens(target + "@4096");
  EXPECT_EQ(overruled.out, raw.out);
  EXPECT_EQ(overruled.err, "disklens: HD0: " + target +
                               "@4096: the container records 512-byte sectors, not 4096; 512 used\n");
  // Saying what the container records is no contradiction.
  EXPECT_EQ(test::RunDisklens(target + "@512").err, "");
}

TEST(VmdkImages, MonolithicSparseReportsAsRaw) {
  CheckConversion({"vmdk", "-o subformat=monolithicSparse", ".vmdk"});
}

TEST(VmdkImages, StreamOptimizedReportsAsRaw) {
  CheckConversion({"vmdk", "-o subformat=streamOptimized", ".vmdk"});
}

// A text descriptor whose extents lie beside it, sparse and flat.
TEST(VmdkImages, DescriptorWithSparseExtentsReportsAsRaw) {
  CheckConversion({"vmdk", "-o subformat=twoGbMaxExtentSparse", ".vmdk"});
}

TEST(VmdkImages, DescriptorWithFlatExtentReportsAsRaw) {
  CheckConversion({"vmdk", "-o subformat=monolithicFlat", ".vmdk"});
}

// An extent that is a FIFO would make the library's open wait for a writer.
TEST(VmdkImages, ExtentThatIsNoFileIsNamedNeverWaitedFor) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  ASSERT_GE(disks.size(), 3u);
  const std::string descriptor = dir.File("flat.vmdk");
  ASSERT_TRUE(test::QemuConvert(disks[2].path, descriptor, "vmdk", "-o subformat=monolithicFlat"));
  const std::string extent = dir.File("flat-flat.vmdk");
  ASSERT_TRUE(std::filesystem::remove(extent));
  ASSERT_EQ(mkfifo(extent.c_str(), 0600), 0);
  const test::ProgramRun run =
      test::RunDisklens(descriptor + ":" + disks[2].path, {}, DISKLENS_BINARY, "timeout 20 env");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, test::RunDisklens(":" + disks[2].path).out);
  EXPECT_EQ(run.err, "disklens: HD0: " + descriptor + ": extent " + extent +
                         ": not a disk image or block device\n");
}

}  // namespace
}  // namespace disklens
