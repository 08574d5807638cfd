// Disks over 2 TiB as sparse image files: an extended chain whose second EBR
// lies past 2^32, walked by the MBR and, under "/all", by an MPT entry. Each
// EBR, each logical partition and each boot sector is read where its 64-bit
// position says, never at the 32-bit remainder near the disk's start.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bootsector/example_lines.h"
#include "bootsector/example_sectors.h"
#include "disk/session.h"
#include "app/driver.h"
#include "support/capture.h"
#include "support/disk_image.h"
#include "support/embr_image.h"
#include "support/image_file.h"

namespace disklens {
namespace {

using test::Entry;

constexpr std::uint64_t k2To32 = 0x100000000ull;
constexpr std::uint32_t kBase = 0xFFFFF000u;  // the extended partition: 4,096 sectors below 2^32
constexpr std::uint32_t kLink = 0x1800;       // to the second EBR at 2^32 + 2048

// One pass of disk 0 of the installed platform.
std::string RunPass(bool all) {
  static std::vector<std::uint8_t> work(kWorkBufferSize);
  ReportState state;
  state.allOption = all;
  state.workBuffer = work.data();
  StartDiskAccess(1);
  test::CapturedOutput out;
  ReportDisk(state, 0);
  EndDiskAccess();
  return out.Text();
}

// Sector `lba` of the file as the bytes of `sector` (one or more sectors).
bool Put(const std::string& path, std::uint64_t lba, const test::DiskImage& sector) {
  return test::WriteAt(path, lba * 512, sector.Bytes());
}

class ChainPast2To32 : public testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("big.img");
    ASSERT_TRUE(test::MakeSparseFile(path_, (k2To32 + 8192) * 512)) << "no sparse file of 2 TiB";
    test::DiskImage head(4 * 512);
    head.PutDiskSignature(0x2B2B2B2B);
    head.PutTable(0, {Entry(0x05, kBase, 8192)});
    // An EMBR at LBA 1 whose one MPT entry names the same extended partition.
    // Its header fields are all 0.
    test::Embr embr = test::WithZeroHeader();
    embr.mpt = {{0, kBase, 0xFFFFFFFFu, 7, 0x05, "BIG"}};  // End holds 32 bits only
    test::PutEmbr(head, 512, embr);
    ASSERT_TRUE(Put(path_, 0, head));

    test::DiskImage first(1024);
    first.PutTable(0, {Entry(0x83, 1, 2047), Entry(0x05, kLink, 2048)});
    ASSERT_TRUE(Put(path_, kBase, first));

    // The second EBR, and the FAT16 boot sector of its logical partition.
    test::DiskImage second(2 * 512);
    second.PutTable(0, {Entry(0x06, 1, 2047)});
    test::WriteFat16Example(second, 1);
    ASSERT_TRUE(Put(path_, k2To32 + 2048, second));

    // Where 32-bit sums would land: an EBR whose rows must never show.
    test::DiskImage decoy(1024);
    decoy.PutTable(0, {Entry(0x0B, 1, 99)});
    ASSERT_TRUE(Put(path_, 2048, decoy));
  }

  test::TempDir dir_;
  std::string path_;
};

const std::string kChain = R"(
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 | 83 | 1023 254 63 |          1 |       2047 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |       6144 |       2048 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 |  6 | 1023 254 63 |          1 |       2047 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+)";

const std::string kMbr = R"(
======================================================================
           MBR Partition Information (HD0 - 0x2B2B2B2B)
           (CHS: 1023/254/63) (WCHS: 267349/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 |  5 | 1023 254 63 | 4294963200 |       8192 |
+====+====+=============+====+=============+============+============+
                         Volume Information)" + kChain + R"(
            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)";

const std::string kEmbrHead = R"(

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     0   Min SPT:    0   Sectors:   0   SSize:     0
  Last Cyl:    0   Last Hd:    0   SPT:       0
-------------------------------------------------------------------------------
                MPT Found:  Revision: 1,  Number of Entries: 1 Flag: 0
-------------------------------------------------------------------------------
  0: BIG              Flag:    0 Start: 4294963200 End: 4294967295 FS:  5 ID: 7)";

const std::string kEmbrTail = R"(
-------------------------------------------------------------------------------
===============================================================================)";

const std::string kBootHead = R"(
                           BOOT SECTOR INFORMATION
-------------------------------------------------------------------------------
File System ID: 0x6   LBA: 4294969345  Total Sectors: 2047)";
const std::string kRule =
    "\n-------------------------------------------------------------------------------";

TEST_F(ChainPast2To32, TheSecondEbrAndItsPartitionAreReadPast2To32) {
  test::InstalledImagePlatform images({DiskSource{path_, 512}});
  const std::string expected =
      kMbr + kEmbrHead + kEmbrTail + kBootHead + test::kFat16ExampleLines + kRule;
  EXPECT_EQ(RunPass(false), expected);
}

TEST_F(ChainPast2To32, TheMptWalkUnderAllReadsTheSameSectors) {
  test::InstalledImagePlatform images({DiskSource{path_, 512}});
  // The MPT entry's ID in the high byte, the boot sector's first byte (0xEB) in the low.
  const std::string expected = kMbr + kEmbrHead + R"(
+====+====+=============+====+=============+============+============+
                         Volume Information)" + kChain + R"(
            EMBR Partition Information (HD0) Continued:
====================================================================)" +
                               kEmbrTail + kBootHead + "   ID: 0x7EB" +
                               test::kFat16ExampleLines + kRule;
  EXPECT_EQ(RunPass(true), expected);
}

}  // namespace
}  // namespace disklens
