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

}  // namespace
}  // namespace disklens
