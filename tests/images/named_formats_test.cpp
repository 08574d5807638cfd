// Files that are not what a raw or readable container would be: formats that
// are named and refused (made by qemu-img and affconvert where they write
// them, by their published headers where no tool here does), a fixed VHD with
// the 511-byte footer of old tools, qcow version 1, and a raw file that carries
// a container's name. Each checks stdout, stderr, the exit code and that the
// next disk is still reported.
#include <gtest/gtest.h>

#include "images/container_images.h"
#include "support/image_file.h"

namespace disklens {
namespace {

// The GPT test image and a folder to put its wrappings in.
struct Fixture {
  test::TempDir dir;
  std::string raw;
  Fixture() {
    const std::vector<test::RawDisk> disks = test::MakeRawDisks(dir);
    if (disks.size() >= 3) raw = disks[2].path;
  }
};

// `file` as HD0 is refused with `reason`; the raw GPT disk behind it is HD1,
// reported as when HD0 is an empty entry.
void ExpectRefused(const Fixture& f, const std::string& file, const std::string& reason) {
  const test::ProgramRun alone = test::RunDisklens(":" + f.raw);
  const test::ProgramRun run = test::RunDisklens(file + ":" + f.raw);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "disklens: HD0: " + file + ": " + reason + "\n");
  EXPECT_EQ(run.out, alone.out) << file;
  EXPECT_NE(run.out.find("GPT Found (HD1)"), std::string::npos);
}

// What --verbose says once a run meets a file that is not raw.
const std::string kFormatsLine =
    "disklens: image formats read: raw, split raw sets, VHD, VHDX, VMDK, qcow, qcow2, EWF; named "
    "and refused: VirtualBox VDI, Parallels, QED, Apple UDIF, Bochs, cloop, AFF\n";

std::string QemuReason(const char* text) {
  return std::string(text) +
         ", which disklens does not read: convert it with \"qemu-img convert -O raw\" or attach it";
}

struct QemuWritten {
  const char* format;
  const char* suffix;
  const char* text;
};

class RefusedFormats : public testing::TestWithParam<QemuWritten> {};

TEST_P(RefusedFormats, QemuImgWrittenImagesAreNamedNotReadAsRaw) {
  DISKLENS_NEED_TOOL("qemu-img");
  Fixture f;
  ASSERT_FALSE(f.raw.empty());
  const std::string file = f.dir.File(std::string("disk") + GetParam().suffix);
  ASSERT_TRUE(test::QemuConvert(f.raw, file, GetParam().format, ""));
  ExpectRefused(f, file, QemuReason(GetParam().text));
  const test::ProgramRun verbose = test::RunDisklens(file, {"--verbose"});
  EXPECT_EQ(test::WithoutConfinementLine(verbose.err),
            kFormatsLine + "disklens: HD0: " + file + ": " + QemuReason(GetParam().text) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, RefusedFormats,
                         testing::Values(QemuWritten{"vdi", ".vdi", "a VirtualBox VDI image"},
                                         QemuWritten{"parallels", ".hdd", "a Parallels image"},
                                         QemuWritten{"qed", ".qed", "a QED image"}));

TEST(RefusedFormats, AffconvertWrittenImageIsNamed) {
  DISKLENS_NEED_TOOL("affconvert");
  Fixture f;
  ASSERT_FALSE(f.raw.empty());
  const std::string rawCopy = f.dir.File("evidence.raw");
  std::filesystem::copy_file(f.raw, rawCopy);
  ASSERT_TRUE(
      test::RunTool("cd " + test::ShellQuote(f.dir.Path()) + " && affconvert -q evidence.raw"));
  ExpectRefused(f, f.dir.File("evidence.aff"),
                "an AFF image, which disklens does not read: convert it with \"affconvert -r\" or "
                "mount it with \"affuse\"");
}

// Headers that no tool here writes, from the formats' published layouts, in
// front of (or, for UDIF, behind) a real disk's bytes.
TEST(RefusedFormats, HandMadeHeadersAreNamed) {
  Fixture f;
  ASSERT_FALSE(f.raw.empty());
  const std::vector<std::uint8_t> disk = test::ReadFileBytes(f.raw);
  struct Case {
    std::string name;
    std::string head;
    std::string tail;
    const char* text;
  };
  std::string koly(512, '\0');
  koly.replace(0, 8, std::string("koly\0\0\0\4", 8));  // magic, version 4
  koly[10] = 2;                                        // header size 512, big-endian
  std::string bochs(512, '\0');
  bochs.replace(0, 22, "Bochs Virtual HD Image");
  bochs.replace(32, 7, "Redolog");
  bochs.replace(48, 7, "Growing");
  const std::vector<Case> cases = {
      {"disk.dmg", "", koly, "an Apple disk image (UDIF)"},
      {"disk.bochs", bochs, "", "a Bochs image"},
      {"disk.cloop",
       "#!/bin/sh\n#V2.0 Format\nmodprobe cloop file=$0 && mount -r -t iso9660 /dev/cloop $1\n", "",
       "a cloop image"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes(c.head.begin(), c.head.end());
    bytes.insert(bytes.end(), disk.begin(), disk.end());
    bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
    const std::string file = f.dir.File(c.name);
    ASSERT_TRUE(test::MakeSparseFile(file, bytes.size()) && test::WriteAt(file, 0, bytes));
    ExpectRefused(f, file, QemuReason(c.text));
  }
}

// A fixed VHD that lost the last byte of its footer, as old tools wrote it:
// the raw disk's report; a damaged footer refuses it with the reason.
TEST(OldVhdFooter, FixedImageWith511ByteFooterReadsAsItsRawData) {
  DISKLENS_NEED_TOOL("qemu-img");
  Fixture f;
  ASSERT_FALSE(f.raw.empty());
  const std::string vhd = f.dir.File("old.vhd");
  ASSERT_TRUE(test::QemuConvert(f.raw, vhd, "vpc", "-o subformat=fixed,force_size=on"));
  const std::uint64_t size = std::filesystem::file_size(vhd);
  std::filesystem::resize_file(vhd, size - 1);
  test::ExpectSameReports(f.raw, vhd);
  const test::ProgramRun verbose = test::RunDisklens(vhd, {"--verbose"});
  EXPECT_EQ(test::WithoutConfinementLine(verbose.err),
            kFormatsLine + "disklens: HD0 = " + vhd +
                " (a fixed VHD image with a 511-byte footer, 512-byte sectors, " +
                std::to_string(std::filesystem::file_size(f.raw)) + " bytes)\n");

  // A flipped byte of the creator field breaks the footer's checksum.
  const std::uint64_t footer = size - 512;
  ASSERT_TRUE(test::WriteAt(vhd, footer + 28, std::vector<std::uint8_t>{'X'}));
  ExpectRefused(f, vhd,
                "a fixed VHD image with a 511-byte footer: a VHD footer whose checksum does not "
                "hold");
}

TEST(QcowVersion1, IsNamedByItsVersion) {
  DISKLENS_NEED_TOOL("qemu-img");
  Fixture f;
  ASSERT_FALSE(f.raw.empty());
  const std::string qcow = f.dir.File("v1.qcow");
  ASSERT_TRUE(test::QemuConvert(f.raw, qcow, "qcow", ""));
  test::ExpectSameReports(f.raw, qcow);
  const test::ProgramRun verbose = test::RunDisklens(qcow, {"--verbose"});
  EXPECT_NE(verbose.err.find("(a qcow version 1 image, 512-byte sectors"), std::string::npos)
      << verbose.err;
}

// A raw disk named like a container is read as raw, as its bytes say, with a
// note once; the report is the raw one.
TEST(ContainerNames, RawFileWithAContainersNameIsReadAsRawWithANote) {
  Fixture f;
  ASSERT_FALSE(f.raw.empty());
  const test::ProgramRun raw = test::RunDisklens(f.raw);
  for (const auto& [name, text] :
       std::vector<std::pair<std::string, std::string>>{{"disk.E01", "an EWF image"},
                                                        {"disk.vmdk", "a VMDK image"},
                                                        {"disk.VHD", "a VHD image"},
                                                        {"disk.vhdx", "a VHDX image"},
                                                        {"disk.qcow2", "a qcow2 image"}}) {
    const std::string file = f.dir.File(name);
    std::filesystem::copy_file(f.raw, file);
    const test::ProgramRun run = test::RunDisklens(file, {"/all"});
    const test::ProgramRun rawAll = test::RunDisklens(f.raw, {"/all"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, rawAll.out) << name;
    EXPECT_EQ(run.err, "disklens: HD0: " + file + ": named like " + text +
                           " but without its signature: read as a raw image\n");
    // The JSON run says it too, and only once.
    const test::ProgramRun json = test::RunDisklens(file, {"--json"});
    EXPECT_EQ(json.err, run.err);
  }
  EXPECT_EQ(raw.err, "");
}

}  // namespace
}  // namespace disklens
