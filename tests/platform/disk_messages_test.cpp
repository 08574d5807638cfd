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

TEST(DiskMessages, RootIsToldTheReasonWithoutTheAdvice) {
  DiskMessages two;
  two.Denied(0);
  two.Denied(5);
  CaptureStderr();
  two.ExplainDenied(true);
  EXPECT_EQ(GetCapturedStderr(), "disklens: 2 disks could not be opened (Permission denied)\n");
  DiskMessages one;
  one.Denied(1);
  CaptureStderr();
  one.ExplainDenied(true);
  EXPECT_EQ(GetCapturedStderr(), "disklens: 1 disk could not be opened (Permission denied)\n");
}

TEST(DiskMessages, AnOperandThatDidNotOpenIsRemembered) {
  DiskMessages listed;
  CaptureStderr();
  listed.NotOpened(0, Entry("a.img"), "No such file or directory");
  listed.NotOpened(1, DiskSource{"/dev/sdb", 512}, "Permission denied");
  EXPECT_FALSE(listed.OperandNotOpened());
  DiskSource named = Entry("b.img");
  named.operand = true;
  listed.NotOpened(2, named, "not a disk image or block device");
  listed.NotOpened(2, named, "not a disk image or block device");
  EXPECT_TRUE(listed.OperandNotOpened());
  EXPECT_EQ(GetCapturedStderr(),
            "disklens: HD0: a.img: No such file or directory\n"
            "disklens: HD2: b.img: not a disk image or block device\n");
}

TEST(DiskMessages, DisksPastTheNumbersAreCountedAndNamed) {
  CaptureStderr();
  ExplainDisksLeftOut({});
  EXPECT_EQ(GetCapturedStderr(), "");
  CaptureStderr();
  ExplainDisksLeftOut({"/dev/sdag"});
  EXPECT_EQ(GetCapturedStderr(),
            "disklens: 1 disk left out past HD31, the last disk number: name it as an operand or "
            "in DISKLENS_DISKS\n"
            "disklens: left out: /dev/sdag\n");
  CaptureStderr();
  ExplainDisksLeftOut({"d32.img", "d33.img@4096"});
  EXPECT_EQ(GetCapturedStderr(),
            "disklens: 2 disks left out past HD31, the last disk number: name them as operands or "
            "in DISKLENS_DISKS, 32 at a time\n"
            "disklens: left out: d32.img\n"
            "disklens: left out: d33.img@4096\n");
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
