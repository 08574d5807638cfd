// A qcow2 or VMDK child reads through its parent when the parent lies beside
// it; a missing parent, one the library can't take, or a loop of parents is
// named and the disk left out.
#include <gtest/gtest.h>

#include "images/container_images.h"

namespace disklens {
namespace {

std::string GptImage(const test::TempDir& dir) {
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  return disks.size() >= 3 ? disks[2].path : std::string();
}

bool QemuCreateChild(const std::string& format, const std::string& parent,
                     const std::string& parentFormat, const std::string& child) {
  return test::RunTool("qemu-img create -q -f " + format + " -b " + test::ShellQuote(parent) +
                       " -F " + parentFormat + " " + test::ShellQuote(child))
      .has_value();
}

// The child alone, and as HD0 before the raw image: absent with `message`.
void ExpectRefused(const std::string& child, const std::string& raw, const std::string& message) {
  const test::ProgramRun run = test::RunDisklens(child + ":" + raw);
  EXPECT_EQ(run.out, test::RunDisklens(":" + raw).out);
  EXPECT_EQ(run.err, "disklens: HD0: " + child + ": " + message + "\n");
}

TEST(BackingFiles, QcowChildReadsThroughItsParent) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string raw = GptImage(dir);
  ASSERT_FALSE(raw.empty());
  const std::string base = dir.File("base.qcow2");
  ASSERT_TRUE(test::QemuConvert(raw, base, "qcow2", ""));
  const std::string child = dir.File("child.qcow2");
  // The name as qemu-img records it: relative, beside the child.
  ASSERT_TRUE(QemuCreateChild("qcow2", "base.qcow2", "qcow2", child));
  const test::FileStamp baseStamp = test::Stamp(base);
  test::ExpectSameReports(raw, child);
  EXPECT_EQ(test::Stamp(base), baseStamp);

  std::filesystem::rename(base, dir.File("moved.qcow2"));
  ExpectRefused(child, raw, "backing file \"base.qcow2\" not found beside the image");
}

TEST(BackingFiles, QcowParentThatLibqcowCannotTakeIsNamed) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string raw = GptImage(dir);
  ASSERT_FALSE(raw.empty());
  const std::string child = dir.File("child.qcow2");
  ASSERT_TRUE(QemuCreateChild("qcow2", raw, "raw", child));
  const test::ProgramRun run = test::RunDisklens(child + ":" + raw);
  EXPECT_EQ(run.out, test::RunDisklens(":" + raw).out);
  EXPECT_EQ(run.err.rfind("disklens: HD0: " + child + ": backing file " + raw + ": libqcow: ", 0),
            0u)
      << run.err;
}

TEST(BackingFiles, LoopOfParentsEnds) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string raw = GptImage(dir);
  ASSERT_FALSE(raw.empty());
  const std::string a = dir.File("a.qcow2");
  const std::string b = dir.File("b.qcow2");
  ASSERT_TRUE(test::QemuConvert(raw, a, "qcow2", ""));
  ASSERT_TRUE(QemuCreateChild("qcow2", "a.qcow2", "qcow2", b));
  ASSERT_TRUE(test::RunTool("qemu-img rebase -u -b b.qcow2 -F qcow2 " + test::ShellQuote(a)));
  const test::ProgramRun run = test::RunDisklens(b + ":" + raw);
  EXPECT_EQ(run.out, test::RunDisklens(":" + raw).out);
  EXPECT_NE(run.err.find("more than 16 backing files"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST(BackingFiles, VmdkChildReadsThroughItsParent) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string raw = GptImage(dir);
  ASSERT_FALSE(raw.empty());
  const std::string base = dir.File("base.vmdk");
  ASSERT_TRUE(test::QemuConvert(raw, base, "vmdk", ""));
  const std::string child = dir.File("child.vmdk");
  ASSERT_TRUE(QemuCreateChild("vmdk", "base.vmdk", "vmdk", child));
  test::ExpectSameReports(raw, child);
  std::filesystem::rename(base, dir.File("moved.vmdk"));
  ExpectRefused(child, raw, "parent \"base.vmdk\" of the image not found beside it");
}

}  // namespace
}  // namespace disklens
