// A VMDK is read from the files that really are its extents: a sparse VMDK
// that holds its descriptor is its own extent whatever it is called now, and a
// descriptor's extents are found beside it, each a regular file that is not
// the descriptor itself. A parent elsewhere is named on stderr.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "images/container_images.h"

namespace disklens {
namespace {

class VmdkExtents : public testing::TestWithParam<const char*> {};

// The issue this guards against: a renamed copy read the extent of the file
// whose name its embedded descriptor recorded.
TEST_P(VmdkExtents, RenamedOrCopiedSparseFileReadsItsOwnData) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  ASSERT_GE(disks.size(), 3u);
  const std::string mbr = disks[0].path;
  const std::string gpt = disks[2].path;
  const std::string options = std::string("-o subformat=") + GetParam();
  // disk.vmdk made from the MBR disk, renamed disk-old.vmdk; a new disk.vmdk
  // of the GPT disk beside it.
  ASSERT_TRUE(test::QemuConvert(mbr, dir.File("disk.vmdk"), "vmdk", options));
  std::filesystem::rename(dir.File("disk.vmdk"), dir.File("disk-old.vmdk"));
  ASSERT_TRUE(test::QemuConvert(gpt, dir.File("disk.vmdk"), "vmdk", options));
  test::ExpectSameReports(mbr, dir.File("disk-old.vmdk"));
  test::ExpectSameReports(gpt, dir.File("disk.vmdk"));
  // A copy alone in another folder, under another name.
  const std::string elsewhere = dir.File("copies");
  std::filesystem::create_directory(elsewhere);
  std::filesystem::copy_file(dir.File("disk-old.vmdk"), elsewhere + "/image.vmdk");
  test::ExpectSameReports(mbr, elsewhere + "/image.vmdk");
}

INSTANTIATE_TEST_SUITE_P(Subformats, VmdkExtents,
                         testing::Values("monolithicSparse", "streamOptimized"));

// A descriptor of one flat extent, written by hand: `extent` is the name as
// the descriptor records it.
std::string Descriptor(const test::TempDir& dir, const std::string& name, const std::string& extent,
                       std::uint64_t sectors) {
  const std::string path = dir.File(name);
  std::ofstream(path) << "# Disk DescriptorFile\nversion=1\nCID=12345678\nparentCID=ffffffff\n"
                         "createType=\"monolithicFlat\"\n\n# Extent description\nRW "
                      << sectors << " FLAT \"" << extent
                      << "\" 0\n\n# The Disk Data Base\n#DDB\n\nddb.virtualHWVersion = \"4\"\n";
  return path;
}

// Runs `descriptor` before the raw disk, within a time limit, so that a wait
// on a FIFO fails the test instead of hanging it.
void ExpectRefusedNow(const std::string& descriptor, const std::string& raw,
                      const std::string& reason) {
  const test::ProgramRun run =
      test::RunDisklens(descriptor + ":" + raw, {}, DISKLENS_BINARY, "timeout 20 env");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "disklens: HD0: " + descriptor + ": " + reason + "\n");
  EXPECT_EQ(run.out, test::RunDisklens(":" + raw).out);
}

TEST(VmdkDescriptors, ExtentsAreCheckedWhereTheyAreReallyOpened) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  ASSERT_GE(disks.size(), 3u);
  const std::string raw = disks[2].path;
  const std::uint64_t sectors = std::filesystem::file_size(raw) / 512;

  // An extent that names the descriptor itself.
  const std::string self = Descriptor(dir, "self.vmdk", "self.vmdk", sectors);
  ExpectRefusedNow(self, raw, "extent " + self + ": the descriptor itself");

  // An absolute name is looked for by its file name beside the descriptor,
  // whatever a shorter name beside it holds: a FIFO there is refused.
  ASSERT_EQ(mkfifo(dir.File("zzzzzzzz").c_str(), 0600), 0);
  std::filesystem::copy_file(raw, dir.File("zz"));
  const std::string fifo = Descriptor(dir, "fifo.vmdk", "/x/zzzzzzzz", sectors);
  ExpectRefusedNow(fifo, raw,
                   "extent " + dir.File("zzzzzzzz") + ": not a disk image or block device");

  // A folder, and a name that is not there.
  std::filesystem::create_directory(dir.File("folder"));
  const std::string folder = Descriptor(dir, "folder.vmdk", "folder", sectors);
  ExpectRefusedNow(folder, raw,
                   "extent " + dir.File("folder") + ": not a disk image or block device");
  const std::string gone = Descriptor(dir, "gone.vmdk", "C:\\VMs\\gone-flat.vmdk", sectors);
  ExpectRefusedNow(gone, raw, "extent \"C:\\VMs\\gone-flat.vmdk\" not found beside the descriptor");

  // A Windows path of the machine that made it: the file of that name beside.
  std::filesystem::copy_file(raw, dir.File("good-flat.vmdk"));
  const std::string good = Descriptor(dir, "good.vmdk", "C:\\VMs\\good-flat.vmdk", sectors);
  test::ExpectSameReports(raw, good);
  const test::ProgramRun verbose = test::RunDisklens(good, {"--verbose"});
  EXPECT_NE(
      verbose.err.find("disklens: HD0 also reads " + dir.File("good-flat.vmdk") + " (extent)\n"),
      std::string::npos)
      << verbose.err;
}

// A child whose parent lies in another folder reads through it, and says so
// on stderr whether or not --verbose is given, when the run is not confined;
// confined, such a parent is outside what the run may read, and is named.
TEST(ParentFolders, BackingFileOutsideTheImagesFolderIsNamed) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
  ASSERT_GE(disks.size(), 3u);
  const std::string base = dir.File("base.qcow2");
  ASSERT_TRUE(test::QemuConvert(disks[2].path, base, "qcow2", ""));
  std::filesystem::create_directory(dir.File("children"));
  const std::string child = dir.File("children/child.qcow2");
  ASSERT_TRUE(test::RunTool("qemu-img create -q -f qcow2 -b " + test::ShellQuote(base) +
                            " -F qcow2 " + test::ShellQuote(child)));
  const std::string note = "disklens: HD0: " + child + ": the report depends on its backing file " +
                           base + ", outside the image's folder\n";
  const std::string unconfined = "DISKLENS_NO_SANDBOX=1";
  const test::ProgramRun run = test::RunDisklens(child, {}, DISKLENS_BINARY, unconfined);
  EXPECT_EQ(run.out, test::RunDisklens(disks[2].path).out);
  EXPECT_EQ(run.err, note);
  const test::ProgramRun verbose =
      test::RunDisklens(child, {"--verbose"}, DISKLENS_BINARY, unconfined);
  EXPECT_NE(verbose.err.find(note), std::string::npos);
  EXPECT_NE(verbose.err.find("disklens: HD0 also reads " + base + " (backing file)\n"),
            std::string::npos)
      << verbose.err;
  // Named beside the child, the parent's folder is one the run may read.
  const test::ProgramRun both = test::RunDisklens(child + ":" + base);
  EXPECT_EQ(both.err, note);
}

}  // namespace
}  // namespace disklens
