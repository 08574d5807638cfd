// The back ends' lines about the disks: once each, in the words of the manual.
#include "platform/disk_messages.h"

#include <gtest/gtest.h>

namespace disklens {
namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

DiskSource Entry(const std::string& entry) {
  DiskSource d;
  d.path = entry;
  d.entry = entry;
  return d;
}

TEST(DiskMessages, AnEntryIsNamedOnceAndASystemDiskNever) {
  DiskMessages say;
  CaptureStderr();
  say.NotOpened(1, Entry("b.img"), "No such file or directory");
  say.NotOpened(1, Entry("b.img"), "No such file or directory");  // the disk layer tries again
  say.NotOpened(2, DiskSource{"/dev/sdc", 512}, "Permission denied");
  say.NotOpened(31, Entry("x@513"), "unknown sector size \"@513\" (use @512, @1024, @2048 or @4096)");
  EXPECT_EQ(GetCapturedStderr(),
            "disklens: HD1: b.img: No such file or directory\n"
            "disklens: HD31: x@513: unknown sector size \"@513\" (use @512, @1024, @2048 or @4096)\n");
}

TEST(DiskMessages, VerboseSourceOncePerDiskNumber) {
  DiskMessages say;
  CaptureStderr();
  say.Source(0, "/dev/sda", 512, 1000204886016ull);
  say.Source(0, "/dev/sda", 512, 1000204886016ull);
  say.Source(3, "C:\\x\\disk0.img", 4096, 8388608);
  EXPECT_EQ(GetCapturedStderr(),
            "disklens: HD0 = /dev/sda (512-byte sectors, 1000204886016 bytes)\n"
            "disklens: HD3 = C:\\x\\disk0.img (4096-byte sectors, 8388608 bytes)\n");
}

TEST(DiskMessages, RefusedSystemDisksCountedOnceEach) {
  DiskMessages none;
  CaptureStderr();
  none.ExplainDenied();
  EXPECT_EQ(GetCapturedStderr(), "");

  DiskMessages one;
  one.Denied(4);
  one.Denied(4);
  CaptureStderr();
  one.ExplainDenied();
  EXPECT_EQ(GetCapturedStderr(),
            "disklens: 1 disk could not be opened (Permission denied): run as root or as a member "
            "of group \"disk\"\n");

  DiskMessages three;
  for (std::uint32_t i : {0u, 2u, 2u, 7u}) three.Denied(i);
  CaptureStderr();
  three.ExplainDenied();
  EXPECT_EQ(GetCapturedStderr(),
            "disklens: 3 disks could not be opened (Permission denied): run as root or as a member "
            "of group \"disk\"\n");
}

TEST(DiskMessages, NoRawDiskForLackOfRightsOnlyWhenNoneOpened) {
  const std::string line =
      "disklens: no disk could be opened: run from an administrator's command prompt\n";
  DiskMessages refused;
  refused.RawDenied();
  refused.RawDenied();
  CaptureStderr();
  refused.ExplainNoRawDisk();
  EXPECT_EQ(GetCapturedStderr(), line);

  DiskMessages oneOpened;  // some disks refused, one read: the report is not empty
  oneOpened.RawDenied();
  oneOpened.RawOpened();
  CaptureStderr();
  oneOpened.ExplainNoRawDisk();
  EXPECT_EQ(GetCapturedStderr(), "");

  DiskMessages absent;  // no disk at all, none refused: nothing to explain
  CaptureStderr();
  absent.ExplainNoRawDisk();
  EXPECT_EQ(GetCapturedStderr(), "");
}

}  // namespace
}  // namespace disklens
