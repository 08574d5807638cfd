#include "platform/disk_list.h"

#include <gtest/gtest.h>

namespace disklens {
namespace {

TEST(DiskListSeparator, WindowsPathsKeepTheirDriveLetters) {
  const auto d = ParseDiskList("Z:\\img\\a.img;;C:\\b@x.img@4096;\\\\server\\share\\c.img", ';');
  ASSERT_EQ(d.size(), 4u);
  EXPECT_EQ(d[0].path, "Z:\\img\\a.img");
  EXPECT_EQ(d[0].imageSectorSize, 512u);
  EXPECT_EQ(d[1].path, "");  // a hole
  EXPECT_EQ(d[2].path, "C:\\b@x.img");  // only the last "@" can start a sector size
  EXPECT_EQ(d[2].imageSectorSize, 4096u);
  EXPECT_EQ(d[3].path, "\\\\server\\share\\c.img");
  EXPECT_TRUE(ParseDiskList("", ';').empty());
  EXPECT_EQ(ParseDiskList("a.img;", ';').size(), 2u);
  // The other system's separator is part of the path.
  EXPECT_EQ(ParseDiskList("a.img;b.img", ':').size(), 1u);
}

TEST(DiskListSeparator, EachSystemUsesItsPathListSeparator) {
#if defined(_WIN32)
  EXPECT_EQ(kDiskListSeparator, ';');
  EXPECT_EQ(ParseDiskList("C:\\a.img;D:\\b.img@2048").size(), 2u);
#else
  EXPECT_EQ(kDiskListSeparator, ':');
  EXPECT_EQ(ParseDiskList("/a.img:/b.img@2048").size(), 2u);
#endif
}

TEST(OperandDisks, EachOperandIsAnEntryOfTheListThatNamesADisk) {
  const auto d = OperandDisks({"a.img", "b:c.img@4096", "x@513", "", "@2048"});
  ASSERT_EQ(d.size(), 5u);
  for (const DiskSource& s : d) EXPECT_TRUE(s.operand);
  EXPECT_EQ(d[0].path, "a.img");
  EXPECT_EQ(d[0].entry, "a.img");
  EXPECT_EQ(d[0].imageSectorSize, 512u);
  EXPECT_FALSE(d[0].sectorSizeGiven);
  EXPECT_EQ(d[0].error, "");
  // No separator splits an operand: a colon is part of its name.
  EXPECT_EQ(d[1].path, "b:c.img");
  EXPECT_EQ(d[1].imageSectorSize, 4096u);
  EXPECT_TRUE(d[1].sectorSizeGiven);
  EXPECT_EQ(d[2].error, "unknown sector size \"@513\" (use @512, @1024, @2048 or @4096)");
  // An operand never stands for an absent disk.
  EXPECT_EQ(d[3].error, "no file name");
  EXPECT_EQ(d[4].error, "no file name");
  // The list's entries are not operands.
  EXPECT_FALSE(ParseDiskList("a.img")[0].operand);
}

TEST(DisksPastTheNumbers, NamesEveryDiskBehindHd31AsTheUserGaveIt) {
  std::vector<DiskSource> disks(32, DiskSource{"/dev/sda", 512});
  EXPECT_TRUE(DisksPastTheNumbers(disks).empty());
  disks.push_back(DiskSource{"/dev/sdag", 512});          // a system disk: its path
  disks.push_back(ParseDiskEntry(""));                     // a hole: no disk
  disks.push_back(ParseDiskEntry("big.img@4096"));         // an entry: as written
  disks.push_back(ParseDiskEntry("@513"));                 // an entry in error is still one
  EXPECT_EQ(DisksPastTheNumbers(disks),
            (std::vector<std::string>{"/dev/sdag", "big.img@4096", "@513"}));
  // Holes before HD31 change nothing: the numbers are the entries' places.
  std::vector<DiskSource> holes(33);
  holes[32] = ParseDiskEntry("last.img");
  EXPECT_EQ(DisksPastTheNumbers(holes), std::vector<std::string>{"last.img"});
}

}  // namespace
}  // namespace disklens
