#include "platform/posix_disks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace disklens {
namespace {

TEST(DiskList, EntriesSuffixesAndHoles) {
  const auto d = ParseDiskList("a.img:b.img@4096::/dev/sdb@2048:c@123:e@1024:f@512");
  ASSERT_EQ(d.size(), 7u);
  EXPECT_EQ(d[0].path, "a.img");
  EXPECT_EQ(d[0].imageSectorSize, 512u);
  EXPECT_EQ(d[1].path, "b.img");
  EXPECT_EQ(d[1].imageSectorSize, 4096u);
  EXPECT_EQ(d[2].path, "");  // a hole: disk 2 is absent
  EXPECT_EQ(d[3].path, "/dev/sdb");
  EXPECT_EQ(d[3].imageSectorSize, 2048u);
  EXPECT_EQ(d[4].path, "c");  // a sector size we don't know: an error of the entry
  EXPECT_EQ(d[4].entry, "c@123");
  EXPECT_EQ(d[4].error, "unknown sector size \"@123\" (use @512, @1024, @2048 or @4096)");
  EXPECT_EQ(d[1].entry, "b.img@4096");
  EXPECT_EQ(d[1].error, "");
  EXPECT_EQ(d[5].imageSectorSize, 1024u);
  EXPECT_EQ(d[6].imageSectorSize, 512u);
  EXPECT_TRUE(ParseDiskList("").empty());  // set but empty: no disk at all
  // "@" with anything but digits after it stays part of the name.
  EXPECT_EQ(ParseDiskList("x@home")[0].path, "x@home");
  EXPECT_EQ(ParseDiskList("x@")[0].error, "");
  const auto trailing = ParseDiskList("a:");
  ASSERT_EQ(trailing.size(), 2u);
  EXPECT_EQ(trailing[1].path, "");
}

TEST(DiskList, EmptyVariableMeansNoDisk) {
  setenv("DISKLENS_DISKS", "", 1);
  EXPECT_TRUE(ConfiguredDisks().empty());
  unsetenv("DISKLENS_DISKS");
}

TEST(DiskList, NaturalOrderOfBlockDeviceNames) {
  std::vector<std::string> names = {"sdaa", "nvme10n1", "sdb", "nvme1n1", "sda", "nvme0n1",
                                    "vda", "nvme0n2", "hda", "sdz"};
  std::sort(names.begin(), names.end(), NaturalNameLess);
  EXPECT_EQ(names, (std::vector<std::string>{"hda", "nvme0n1", "nvme0n2", "nvme1n1", "nvme10n1",
                                             "sda", "sdb", "sdz", "sdaa", "vda"}));
}

TEST(DiskList, SystemDisksLeaveOutRamOpticalAndIdleLoopDevices) {
  test::TempDir sys;
  auto dir = [&](const std::string& name) {
    std::filesystem::create_directories(std::filesystem::path(sys.Path()) / name);
    return std::filesystem::path(sys.Path()) / name;
  };
  for (const char* n : {"sdb", "sda", "sdaa", "ram0", "zram0", "sr0", "nvme0n1", "loop0"}) dir(n);
  std::filesystem::create_directories(dir("loop1") / "loop");
  std::ofstream(std::filesystem::path(sys.Path()) / "loop1" / "loop" / "backing_file") << "/tmp/disk.img\n";
  std::filesystem::create_directories(dir("sdc") / "device");
  std::ofstream(std::filesystem::path(sys.Path()) / "sdc" / "device" / "type") << "5\n";  // a CD/DVD drive
  std::vector<std::string> paths;
  for (const DiskSource& d : ListSystemDisks(sys.Path())) paths.push_back(d.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"/dev/loop1", "/dev/nvme0n1", "/dev/sda", "/dev/sdb",
                                             "/dev/sdaa"}));
}

TEST(DiskList, PhysicalDrivePathsOnly) {
  EXPECT_EQ(PhysicalDriveIndex("\\\\.\\PhysicalDrive0"), 0u);
  EXPECT_EQ(PhysicalDriveIndex("\\\\.\\PhysicalDrive31"), 31u);
  EXPECT_FALSE(PhysicalDriveIndex("\\\\.\\PhysicalDrive"));
  EXPECT_FALSE(PhysicalDriveIndex("\\\\.\\PhysicalDrive1x"));
  EXPECT_FALSE(PhysicalDriveIndex("/dev/sda"));
  EXPECT_FALSE(PhysicalDriveIndex(nullptr));
}

}  // namespace
}  // namespace disklens
