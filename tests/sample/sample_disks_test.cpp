// The sample disks against tools that know the formats: zlib for the GPT
// CRC-32s, sgdisk, sfdisk, fsck.fat and blkid for the tables and volumes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bootsector/tool_support.h"
#include "support/program_runner.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

const std::string kDisk0 = DISKLENS_SAMPLE_DIR "/disk0.img";
const std::string kDisk1 = DISKLENS_SAMPLE_DIR "/disk1.img";
constexpr std::size_t kSector = 512;

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16)) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint64_t Le64(const std::vector<std::uint8_t>& b, std::size_t at) {
  return Le32(b, at) | (std::uint64_t{Le32(b, at + 4)} << 32);
}
std::uint32_t ZlibCrc(const std::uint8_t* data, std::size_t length) {
  return static_cast<std::uint32_t>(crc32(0L, data, static_cast<uInt>(length)));
}

TEST(SampleDisks, TheToolWritesTheSameBytesEveryTime) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  int status = 0;
  test::Shell(test::ShellQuote(DISKLENS_SAMPLE_TOOL) + " " + test::ShellQuote(dir.Path()), &status);
  ASSERT_EQ(status, 0);
  for (const char* name : {"disk0.img", "disk1.img"}) {
    const std::vector<std::uint8_t> again = test::ReadFileBytes(dir.File(name));
    EXPECT_EQ(again.size(), 8u << 20) << name;
    EXPECT_TRUE(again == test::ReadFileBytes(std::string(DISKLENS_SAMPLE_DIR) + "/" + name)) << name;
  }
}

// Both headers and both entry arrays, checked with zlib's CRC-32.
TEST(SampleDisks, GptHeadersAndArraysCarryTheirCrcs) {
  const std::vector<std::uint8_t> disk = test::ReadFileBytes(kDisk1);
  ASSERT_EQ(disk.size(), 16384 * kSector);
  const std::uint64_t last = 16383;
  for (const std::uint64_t lba : {std::uint64_t{1}, last}) {
    SCOPED_TRACE(lba);
    std::vector<std::uint8_t> header(disk.begin() + static_cast<long>(lba * kSector),
                                     disk.begin() + static_cast<long>(lba * kSector + kSector));
    EXPECT_EQ(std::string(header.begin(), header.begin() + 8), "EFI PART");
    EXPECT_EQ(Le64(header, 24), lba);
    EXPECT_EQ(Le64(header, 32), lba == 1 ? last : 1);
    const std::uint32_t headerSize = Le32(header, 12);
    const std::uint32_t stored = Le32(header, 16);
    for (std::size_t i = 16; i < 20; ++i) header[i] = 0;
    EXPECT_EQ(ZlibCrc(header.data(), headerSize), stored);
    const std::uint64_t arrayLba = Le64(header, 72);
    EXPECT_EQ(arrayLba, lba == 1 ? 2u : last - 32);
    const std::size_t arrayBytes = std::size_t{Le32(header, 80)} * Le32(header, 84);
    EXPECT_EQ(ZlibCrc(disk.data() + arrayLba * kSector, arrayBytes), Le32(header, 88));
  }
}

TEST(SampleDisks, SgdiskFindsNoProblemInTheGpt) {
  if (const std::string missing = test::MissingTool({"sgdisk"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  int status = 0;
  const std::string out = test::Shell("sgdisk -v " + test::ShellQuote(kDisk1) + " 2>&1", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("No problems found"), std::string::npos) << out;
  const std::string info = test::Shell("sgdisk -i 1 " + test::ShellQuote(kDisk1) + " 2>&1");
  EXPECT_NE(info.find("C12A7328-F81F-11D2-BA4B-00A0C93EC93B (EFI system partition)"), std::string::npos)
      << info;
}

TEST(SampleDisks, SfdiskReadsTheExtendedChain) {
  if (const std::string missing = test::MissingTool({"sfdisk"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  const std::string out = test::Shell("sfdisk -d " + test::ShellQuote(kDisk0) + " 2>&1");
  for (const char* line : {"img1 : start=        2048, size=        8192, type=6, bootable",
                           "img2 : start=       10240, size=        4096, type=f",
                           "img3 : start=       14336, size=        2048, type=da",
                           "img5 : start=       10304, size=        1984, type=1",
                           "img6 : start=       12352, size=        1984, type=7"}) {
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  }
}

// Each volume cut out of its disk: the FAT ones pass fsck.fat, and blkid names
// every kind from its signature.
TEST(SampleDisks, VolumesAreWhatTheToolsExpect) {
  if (const std::string missing = test::MissingTool({"fsck.fat", "blkid"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  struct Volume {
    const std::string* disk;
    std::size_t lba;
    std::size_t sectors;
    const char* type;
  };
  for (const Volume& v : {Volume{&kDisk0, 2048, 8192, "vfat"}, Volume{&kDisk0, 10304, 1984, "vfat"},
                          Volume{&kDisk1, 2048, 4096, "vfat"}, Volume{&kDisk1, 10240, 2048, "ext4"},
                          Volume{&kDisk1, 12288, 2048, "swap"}}) {
    SCOPED_TRACE(std::to_string(v.lba) + " " + v.type);
    const std::vector<std::uint8_t> disk = test::ReadFileBytes(*v.disk);
    ASSERT_GE(disk.size(), (v.lba + v.sectors) * kSector);
    const auto first = disk.begin() + static_cast<long>(v.lba * kSector);
    const std::vector<std::uint8_t> bytes(first, first + static_cast<long>(v.sectors * kSector));
    const std::string volume = dir.Write("volume", bytes);
    const std::string type = test::Shell("blkid -p -o value -s TYPE " + test::ShellQuote(volume));
    EXPECT_EQ(type, std::string(v.type) + "\n");
    if (std::string(v.type) == "vfat") {
      int status = 0;
      const std::string out = test::Shell("fsck.fat -n " + test::ShellQuote(volume) + " 2>&1", &status);
      EXPECT_EQ(status, 0) << out;
    }
  }
}

}  // namespace
}  // namespace disklens
