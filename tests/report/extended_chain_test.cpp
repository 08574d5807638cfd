#include "mbr/extended_chain.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/fake_platform.h"
#include "mbr/mbr_section.h"
#include "support/capture.h"
#include "support/disk_image.h"
#include "support/report_disk.h"

namespace disklens {
namespace {

// An entry with zero CHS bytes, so that rows stay short to write out.
test::MbrEntry Plain(std::uint8_t type, std::uint32_t start, std::uint32_t sectors) {
  return test::MbrEntry{0, 0, 0, 0, type, 0, 0, 0, start, sectors};
}

class Chain : public testing::Test {
 protected:
  // The MBR section from its first table frame on.
  std::string Run(bool all = false) {
    FakeDisk& disk = fake.AddDisk(0, 0, image.SectorSize());
    disk.bytes = image.Bytes();
    disk.failingLbas = failing;
    test::ReportDisk rd(0, all);
    test::CapturedOutput out;
    PrintMbrSection(rd.state);
    targets = rd.state.bootTargets;
    const std::string text = out.Text();
    const std::size_t frame = text.find("\n+====");
    return frame == std::string::npos ? text : text.substr(frame);
  }
  void ExpectTarget(std::uint32_t row, std::uint8_t type, std::uint16_t id, std::uint32_t lba,
                    std::uint32_t sectors) {
    ASSERT_LT(row, targets.count);
    const BootTarget& t = targets.rows[row];
    EXPECT_EQ(t.fileSystemId, type) << "row " << row;
    EXPECT_EQ(t.id, id) << "row " << row;
    EXPECT_EQ(t.lba, lba) << "row " << row;
    EXPECT_EQ(t.totalSectors, sectors) << "row " << row;
  }
  static std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  test::DiskImage image{64 * 512};
  std::set<std::uint64_t> failing;
  FakePlatform fake;
  BootTargetList targets;
};

// Sector 0 with two extended entries whose first EBRs have no link.
class TwoChains : public Chain {
 protected:
  void SetUp() override {
    image.PutTable(0, {Plain(0x05, 10, 10), Plain(0x0F, 20, 10), Plain(0x06, 2, 5)});
    image.PutTable(10, {Plain(0x06, 1, 4)});
    image.U8(11 * 512, 0x5A);  // the byte behind the first EBR
    image.PutTable(20, {Plain(0x0B, 1, 8)});
    image.U8(21 * 512, 0xA5);
  }
};

TEST_F(TwoChains, WalksBothWithoutARuleAfterAFirstEbrWithoutLink) {
  EXPECT_EQ(Run(), R"(
+====+====+=============+====+=============+============+============+
| 0: |  0 |    0   0  0 |  5 |    0   0  0 |         10 |         10 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 |    0   0  0 |  6 |    0   0  0 |          1 |          4 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 1: |  0 |    0   0  0 |  f |    0   0  0 |         20 |         10 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 |    0   0  0 |  b |    0   0  0 |          1 |          8 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 2: |  0 |    0   0  0 |  6 |    0   0  0 |          2 |          5 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)");
  ASSERT_EQ(targets.count, 3u);
  ExpectTarget(0, 0x06, 0, 11, 4);
  ExpectTarget(1, 0x0B, 0, 21, 8);
  ExpectTarget(2, 0x06, 3, 2, 5);
}

TEST_F(TwoChains, AllPutsTheEntryNumberInTheHighByteOfLogicalIds) {
  Run(true);
  ASSERT_EQ(targets.count, 3u);
  ExpectTarget(0, 0x06, 0x015A, 11, 4);
  ExpectTarget(1, 0x0B, 0x02A5, 21, 8);
  ExpectTarget(2, 0x06, 3, 2, 5);
}

TEST_F(Chain, FollowsOnlyTheFirstExtendedEntryOfAnEbr) {
  image.PutEntry(0, 0, Plain(0x05, 10, 40));
  image.PutEntry(10, 0, Plain(0x06, 1, 2));
  image.PutEntry(10, 1, Plain(0x05, 10, 5));  // to LBA 20
  image.PutEntry(10, 2, Plain(0x0F, 20, 5));  // to LBA 30: never read
  image.PutBootSignature(10);
  image.PutTable(20, {Plain(0x0E, 1, 3)});
  image.PutTable(30, {Plain(0x0C, 1, 4)});
  const std::string text = Run();
  EXPECT_NE(text.find("| 2: |  0 |    0   0  0 |  f |    0   0  0 |         20 |          5 |"),
            std::string::npos);
  EXPECT_EQ(text.find("|  c |"), std::string::npos);
  EXPECT_EQ(CountOf(text, "\n+----+"), 3u);  // the head rule and one after each EBR
  ASSERT_EQ(targets.count, 2u);
  ExpectTarget(0, 0x06, 0, 11, 2);
  ExpectTarget(1, 0x0E, 0, 21, 3);
}

TEST_F(Chain, FailedReadMidChainKeepsEarlierRowsAndTheRemainingPrimaries) {
  image.PutEntry(0, 0, Plain(0x05, 10, 30));
  image.PutEntry(0, 1, Plain(0x06, 2, 5));
  image.PutEntry(10, 0, Plain(0x06, 1, 2));
  image.PutEntry(10, 1, Plain(0x05, 10, 5));
  image.PutBootSignature(10);
  failing = {20};
  EXPECT_EQ(Run(), R"(
+====+====+=============+====+=============+============+============+
| 0: |  0 |    0   0  0 |  5 |    0   0  0 |         10 |         30 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 |    0   0  0 |  6 |    0   0  0 |          1 |          2 |
| 1: |  0 |    0   0  0 |  5 |    0   0  0 |         10 |          5 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
     Error on Read

            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 1: |  0 |    0   0  0 |  6 |    0   0  0 |          2 |          5 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)");
  ASSERT_EQ(targets.count, 2u);
  ExpectTarget(0, 0x06, 0, 11, 2);
  ExpectTarget(1, 0x06, 2, 2, 5);
}

// The EBR in the disk's last sector (63 of 64) is read alone; the byte that
// would follow it counts as 0 in its partitions' ids.
TEST_F(Chain, EbrInTheLastSectorIsReadAloneWithZerosBehindIt) {
  image.PutEntry(0, 0, Plain(0x05, 10, 54));
  image.PutEntry(10, 0, Plain(0x06, 1, 2));
  image.PutEntry(10, 1, Plain(0x05, 53, 1));
  image.PutBootSignature(10);
  image.U8(11 * 512, 0x33);
  image.PutTable(63, {Plain(0x0E, 1, 3)});
  const std::string text = Run(true);
  EXPECT_EQ(text.find("Error on Read"), std::string::npos);
  ASSERT_EQ(targets.count, 2u);
  ExpectTarget(0, 0x06, 0x0133, 11, 2);
  ExpectTarget(1, 0x0E, 0x0100, 64, 3);
}

// Only the disk's end excuses the second sector: one that fails inside the
// disk still ends the walk.
TEST_F(Chain, UnreadableSectorBehindAnEbrInsideTheDiskIsAReadError) {
  image.PutEntry(0, 0, Plain(0x05, 10, 30));
  image.PutEntry(10, 0, Plain(0x06, 1, 2));
  image.PutBootSignature(10);
  failing = {11};
  const std::string text = Run();
  EXPECT_NE(text.find("+------------+\n     Error on Read\n"), std::string::npos);
  EXPECT_EQ(targets.count, 0u);
}

TEST_F(Chain, EbrWithoutBootSignatureEndsTheWalkSilently) {
  image.PutEntry(0, 0, Plain(0x05, 10, 30));
  image.PutEntry(10, 0, Plain(0x06, 1, 2));
  image.PutEntry(10, 1, Plain(0x05, 10, 5));
  image.PutBootSignature(10);
  image.PutEntry(20, 0, Plain(0x0B, 1, 3));  // no 0x55 0xAA: not listed
  const std::string text = Run();
  EXPECT_NE(text.find("+------------+\n            MBR Partition Information (HD0) Continued:"),
            std::string::npos);
  EXPECT_EQ(text.find("|  b |"), std::string::npos);
  ASSERT_EQ(targets.count, 1u);
}

TEST_F(Chain, LinkToItselfStopsWithALine) {
  image.PutEntry(0, 0, Plain(0x05, 10, 30));
  image.PutEntry(0, 1, Plain(0x06, 2, 5));
  image.PutEntry(10, 0, Plain(0x06, 1, 2));
  image.PutEntry(10, 1, Plain(0x05, 0, 5));
  image.PutBootSignature(10);
  EXPECT_EQ(Run(), R"(
+====+====+=============+====+=============+============+============+
| 0: |  0 |    0   0  0 |  5 |    0   0  0 |         10 |         30 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 |    0   0  0 |  6 |    0   0  0 |          1 |          2 |
| 1: |  0 |    0   0  0 |  5 |    0   0  0 |          0 |          5 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
     Chain loops back to LBA 10

            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 1: |  0 |    0   0  0 |  6 |    0   0  0 |          2 |          5 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)");
  ASSERT_EQ(targets.count, 2u);
}

TEST_F(Chain, LinkBackToAnEarlierEbrStopsThere) {
  image.PutEntry(0, 0, Plain(0x05, 10, 30));
  const std::uint32_t ebrs[] = {10, 15, 20};
  const std::uint32_t links[] = {5, 10, 5};  // 10 -> 15 -> 20 -> 15
  for (int k = 0; k < 3; ++k) {
    image.PutTable(ebrs[k], {Plain(0x06, 1, 1), Plain(0x05, links[k], 4)});
  }
  const std::string text = Run();
  EXPECT_EQ(CountOf(text, "\n| 0: |  0 |    0   0  0 |  6 |"), 3u);
  EXPECT_NE(text.find("+------------+\n     Chain loops back to LBA 15\n\n            MBR Partition "
                      "Information (HD0) Continued:"),
            std::string::npos);
  ASSERT_EQ(targets.count, 3u);
  ExpectTarget(2, 0x06, 0, 21, 1);
}

TEST_F(Chain, ChainOfMoreThan4096EbrsStopsAtTheLimit) {
  test::DiskImage longDisk(4200 * 512);
  longDisk.PutEntry(0, 0, Plain(0x05, 1, 4199));
  for (std::uint32_t k = 0; k < 4150; ++k) {
    longDisk.PutEntry(1 + k, 0, Plain(0x05, k + 1, 1));  // each EBR links to the next sector
    longDisk.PutBootSignature(1 + k);
  }
  image = longDisk;
  const std::string text = Run();
  EXPECT_EQ(CountOf(text, "\n| 0: |  0 |    0   0  0 |  5 |"), 4097u);  // sector 0 and 4096 EBRs
  EXPECT_NE(text.find("\n     Chain stopped after 4096 EBRs, before LBA 4097\n\n            MBR"),
            std::string::npos);
}

TEST_F(Chain, LogicalPartitionAtTheStartOfAnEarlierRowOnlyChangesItsId) {
  image.PutEntry(0, 0, Plain(0x06, 11, 5));
  image.PutEntry(0, 1, Plain(0x05, 10, 30));
  image.PutEntry(10, 0, Plain(0x0B, 1, 9));
  image.PutBootSignature(10);
  image.U8(11 * 512, 0x07);
  Run(true);
  ASSERT_EQ(targets.count, 1u);
  ExpectTarget(0, 0x06, 0x0207, 11, 5);
  // Without "/all" the logical partition's id is 0, and so becomes the row's.
  Run(false);
  ASSERT_EQ(targets.count, 1u);
  ExpectTarget(0, 0x06, 0, 11, 5);
}

TEST_F(Chain, BufferThatCannotBeHadLeavesTheHeadLinesAlone) {
  image.PutEntry(0, 0, Plain(0x05, 10, 30));
  image.PutEntry(10, 0, Plain(0x06, 1, 2));
  image.PutBootSignature(10);
  FakeDisk& disk = fake.AddDisk(0, 0);
  disk.bytes = image.Bytes();
  test::ReportDisk rd;
  fake.failOnCall["VirtualAlloc"] = {fake.Count("VirtualAlloc") + 1};
  test::CapturedOutput out;
  PrintExtendedChain(rd.state, 10, 1);
  EXPECT_EQ(out.Text(), R"(
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+)");
  EXPECT_EQ(rd.state.bootTargets.count, 0u);
}

TEST_F(Chain, WalksDisksWithSectorsLargerThanTheBufferSize) {
  image = test::DiskImage(16 * 8192, 8192);
  image.PutEntry(0, 0, Plain(0x05, 4, 10));
  image.PutEntry(4, 0, Plain(0x0C, 1, 2));
  image.PutEntry(4, 1, Plain(0x05, 2, 3));
  image.PutBootSignature(4);
  image.U8(4 * 8192 + 512, 0x33);  // offset 512 of the read, inside the EBR's own sector
  image.PutTable(6, {Plain(0x07, 1, 1)});
  Run(true);
  ASSERT_EQ(targets.count, 2u);
  ExpectTarget(0, 0x0C, 0x0133, 5, 2);
  ExpectTarget(1, 0x07, 0x0100, 7, 1);
  EXPECT_EQ(fake.LiveAllocations(), 0u);
}

}  // namespace
}  // namespace disklens
