#include "mbr/mbr_section.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"
#include "platform/geometry_reply.h"
#include "support/capture.h"
#include "support/disk_image.h"
#include "support/image_file.h"
#include "support/report_disk.h"

namespace disklens {
namespace {

using test::Entry;

TEST(MbrSection, OnePrimaryPartitionWithTheGeometryOfALargeDisk) {
  test::DiskImage image(64 * 1024);
  image.PutDiskSignature(0x1A2B3C4D);
  image.PutTable(0, {test::MbrEntry{0x80, 32, 33, 0, 0x07, 254, 0xFF, 0xFF, 2048, 204800000}});
  FakePlatform fake;
  FakeDisk& disk = fake.AddDisk(0, 0);
  disk.bytes = image.Bytes();
  // A disk of 30401 cylinders, far too big to hold in memory: only its reply says so.
  disk.geometryExReply.resize(kGeometryExReplySize);
  BuildGeometryExReply(SyntheticGeometry{30401ull * 255 * 63 * 512, 512, 255, 63},
                       disk.geometryExReply.data(), kGeometryExReplySize);

  test::ReportDisk rd;
  test::CapturedOutput out;
  PrintMbrSection(rd.state);
  EXPECT_EQ(out.Text(), R"(
======================================================================
           MBR Partition Information (HD0 - 0x1A2B3C4D)
           (CHS: 1023/254/63) (WCHS: 30401/255/63)
+====+====+=============+====+=============+============+============+
| 0: | 80 |    0  32 33 |  7 | 1023 254 63 |       2048 |  204800000 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)");
  ASSERT_EQ(rd.state.bootTargets.count, 1u);
  const BootTarget& t = rd.state.bootTargets.rows[0];
  EXPECT_EQ(t.fileSystemId, 0x07);
  EXPECT_EQ(t.id, 1);
  EXPECT_EQ(t.lba, 2048u);
  EXPECT_EQ(t.totalSectors, 204800000u);
}

// The second example lies at LBA 913,696 and beyond: a sparse image file.
class TwoEbrChain : public testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("chain.img");
    ASSERT_TRUE(test::MakeSparseFile(path_, 913700ull * 512));
    test::DiskImage mbr(512);
    mbr.PutTable(0, {Entry(0x07, 2048, 409600, 0x80), Entry(0x0F, 411648, 1000000)});
    ASSERT_TRUE(test::WriteAt(path_, 0, mbr.Bytes()));
    test::DiskImage ebr1(1024);
    ebr1.PutTable(0, {Entry(0x07, 2048, 500000), Entry(0x05, 502048, 497952)});
    ebr1.U8(512, 0x11);
    ASSERT_TRUE(test::WriteAt(path_, 411648ull * 512, ebr1.Bytes()));
    test::DiskImage ebr2(1024);
    ebr2.PutTable(0, {Entry(0x0B, 2048, 495904)});
    ebr2.U8(512, 0x22);
    ASSERT_TRUE(test::WriteAt(path_, 913696ull * 512, ebr2.Bytes()));
  }

  test::TempDir dir_;
  std::string path_;
};

constexpr char kSecondExample[] = R"(
+====+====+=============+====+=============+============+============+
| 0: | 80 | 1023 254 63 |  7 | 1023 254 63 |       2048 |     409600 |
| 1: |  0 | 1023 254 63 |  f | 1023 254 63 |     411648 |    1000000 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 |  7 | 1023 254 63 |       2048 |     500000 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |     502048 |     497952 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 |  b | 1023 254 63 |       2048 |     495904 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)";

TEST_F(TwoEbrChain, PrintsTheChainBetweenTheFrames) {
  test::InstalledImagePlatform images({DiskSource{path_, 512}});
  test::ReportDisk rd;
  test::CapturedOutput out;
  PrintMbrSection(rd.state);
  const std::string text = out.Text();
  const std::size_t frame = text.find("\n+====");
  ASSERT_NE(frame, std::string::npos);
  EXPECT_EQ(text.substr(frame), kSecondExample);

  const BootTargetList& list = rd.state.bootTargets;
  ASSERT_EQ(list.count, 3u);
  EXPECT_EQ(list.rows[0].fileSystemId, 0x07);
  EXPECT_EQ(list.rows[0].id, 1);
  EXPECT_EQ(list.rows[0].lba, 2048u);
  EXPECT_EQ(list.rows[0].totalSectors, 409600u);
  EXPECT_EQ(list.rows[1].fileSystemId, 0x07);
  EXPECT_EQ(list.rows[1].id, 0);
  EXPECT_EQ(list.rows[1].lba, 413696u);
  EXPECT_EQ(list.rows[1].totalSectors, 500000u);
  EXPECT_EQ(list.rows[2].fileSystemId, 0x0B);
  EXPECT_EQ(list.rows[2].id, 0);
  EXPECT_EQ(list.rows[2].lba, 915744u);
  EXPECT_EQ(list.rows[2].totalSectors, 495904u);
}

TEST_F(TwoEbrChain, AllGivesLogicalPartitionsTheEntryNumberAndTheByteBehindTheEbr) {
  test::InstalledImagePlatform images({DiskSource{path_, 512}});
  test::ReportDisk rd(0, true);
  test::CapturedOutput out;
  PrintMbrSection(rd.state);
  ASSERT_EQ(rd.state.bootTargets.count, 3u);
  EXPECT_EQ(rd.state.bootTargets.rows[0].id, 1);  // a primary keeps its entry number
  EXPECT_EQ(rd.state.bootTargets.rows[1].id, 0x0211);
  EXPECT_EQ(rd.state.bootTargets.rows[2].id, 0x0222);
}

TEST(MbrSection, PrintsSectorZeroWithoutSignatureAndZerosForFailedGeometry) {
  FakePlatform fake;
  FakeDisk& disk = fake.AddDisk(1, 64 * 1024);
  disk.refuseGeometryEx = true;
  disk.refuseGeometry = true;
  test::DiskImage image(64 * 1024);
  image.PutEntry(0, 3, Entry(0x06, 63, 1000));
  disk.bytes = image.Bytes();

  test::ReportDisk rd(1);
  test::CapturedOutput out;
  PrintMbrSection(rd.state);
  EXPECT_EQ(out.Text(), R"(
======================================================================
           MBR Partition Information (HD1 - 0x00000000)
           (CHS: 0/0/0) (WCHS: 0/0/0)
+====+====+=============+====+=============+============+============+
| 0: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 | 1023 254 63 |  6 | 1023 254 63 |         63 |       1000 |
+====+====+=============+====+=============+============+============+)");
  ASSERT_EQ(rd.state.bootTargets.count, 1u);
  EXPECT_EQ(rd.state.bootTargets.rows[0].id, 4);
}

TEST(MbrSection, UnreadableSectorZeroLeavesTheSectionOut) {
  FakePlatform fake;
  fake.AddDisk(0, 64 * 1024).failingLbas = {0};
  test::ReportDisk rd;
  test::CapturedOutput out;
  PrintMbrSection(rd.state);
  EXPECT_EQ(out.Text(), "");
  EXPECT_EQ(rd.state.bootTargets.count, 0u);
}

}  // namespace
}  // namespace disklens
