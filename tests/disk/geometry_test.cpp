#include "disk/geometry.h"

#include <gtest/gtest.h>

#include "bytes/bytes.h"
#include "platform/fake_platform.h"
#include "platform/geometry_reply.h"
#include "support/session_guard.h"

namespace disklens {
namespace {

// An extended geometry reply as the platform publishes it.
std::vector<std::uint8_t> ExReply(std::uint64_t cylinders, std::uint32_t heads,
                                  std::uint32_t sectors, std::uint64_t diskBytes,
                                  std::uint32_t detectionType = 0, std::uint32_t int13Cyl = 0,
                                  std::uint16_t int13Heads = 0, std::uint16_t int13Spt = 0) {
  std::vector<std::uint8_t> r(112, 0);
  PutU64(r.data(), cylinders);
  PutU32(r.data() + 8, 12);
  PutU32(r.data() + 12, heads);
  PutU32(r.data() + 16, sectors);
  PutU32(r.data() + 20, 512);
  PutU64(r.data() + 24, diskBytes);
  PutU32(r.data() + 32, 24);  // SizeOfPartitionInfo
  PutU32(r.data() + 56, 56);  // SizeOfDetectInfo
  PutU32(r.data() + 60, detectionType);
  PutU32(r.data() + 64 + 4, int13Cyl);
  PutU16(r.data() + 64 + 8, int13Spt);
  PutU16(r.data() + 64 + 10, int13Heads);
  return r;
}

struct Shapes {
  DriveGeometry drive;
  BiosGeometry bios;
  std::uint32_t lastHigh = 0, lastLow = 0, sectorBytes = 0;
};

Shapes ShapesOf(std::vector<std::uint8_t> reply) {
  FakePlatform fake;
  fake.AddDisk(0, 4096).geometryExReply = std::move(reply);
  test::SessionGuard session;
  DiskDevice* d = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  Shapes s;
  EXPECT_NE(GetDriveGeometry(d, s.drive), 0);
  EXPECT_NE(GetBiosGeometry(d, s.bios), 0);
  EXPECT_NE(GetLastSector(d, &s.lastHigh, &s.lastLow, &s.sectorBytes), 0);
  CloseDiskDevice(d);
  return s;
}

TEST(BiosGeometry, LargeDiskIsLimitedToWhatTheBiosAddresses) {
  const Shapes s = ShapesOf(ExReply(60801, 255, 63, 60801ull * 255 * 63 * 512));
  EXPECT_EQ(s.drive.cylinders, 60801u);
  EXPECT_EQ(s.drive.heads, 255u);
  EXPECT_EQ(s.drive.sectorsPerTrack, 63u);
  EXPECT_EQ(s.bios.highestCylinder, 1023);
  EXPECT_EQ(s.bios.highestHead, 254);
  EXPECT_EQ(s.bios.sectorsPerTrack, 63);
}

TEST(BiosGeometry, Int13DetectionTakesTheFirmwareValues) {
  const Shapes s = ShapesOf(ExReply(5, 7, 9, 1 << 20, kDetectionInt13, 1023, 254, 63));
  EXPECT_EQ(s.drive.detectionType, kDetectionInt13);
  EXPECT_EQ(s.bios.highestCylinder, 1023);
  EXPECT_EQ(s.bios.highestHead, 254);
  EXPECT_EQ(s.bios.sectorsPerTrack, 63);
}

TEST(BiosGeometry, OutOfRangeValuesFallToTheLimits) {
  const Shapes oneHead = ShapesOf(ExReply(100, 1, 0, 1 << 20));
  EXPECT_EQ(oneHead.bios.highestCylinder, 99);
  EXPECT_EQ(oneHead.bios.highestHead, 255);
  EXPECT_EQ(oneHead.bios.sectorsPerTrack, 63);
  const Shapes noCylinders = ShapesOf(ExReply(0, 16, 63, 1 << 20));
  EXPECT_EQ(noCylinders.bios.highestCylinder, 1023);
  EXPECT_EQ(noCylinders.bios.highestHead, 15);
}

TEST(LastSector, HalvesOfTheLastSectorNumber) {
  const Shapes big = ShapesOf(ExReply(121601, 255, 63, 1953525168ull * 512));
  EXPECT_EQ(big.lastLow, 1953525167u);
  EXPECT_EQ(big.lastHigh, 0u);
  EXPECT_EQ(big.sectorBytes, 512u);
  const Shapes exact = ShapesOf(ExReply(267349, 255, 63, (1ull << 32) * 512));
  EXPECT_EQ(exact.lastLow, 0xFFFFFFFFu);
  EXPECT_EQ(exact.lastHigh, 0u);
  const Shapes beyond = ShapesOf(ExReply(267350, 255, 63, ((1ull << 32) + 5) * 512));
  EXPECT_EQ(beyond.lastLow, 4u);
  EXPECT_EQ(beyond.lastHigh, 1u);
}

TEST(LastSector, RequestFourFillsThreeWordsAndLeavesTheHighOneWithoutAnLbaPair) {
  FakePlatform fake;
  fake.AddDisk(0, 1000 * 512);
  test::SessionGuard session;
  DiskDevice* d = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(d, nullptr);
  std::uint32_t words[3] = {77, 0, 0};
  std::uint32_t lba[2] = {0, 0};
  ASSERT_NE(d->operation(d, kRequestLastSector, nullptr, 0, words, 12), 0);
  EXPECT_EQ(words[0], 77u);
  EXPECT_EQ(words[1], 999u);
  EXPECT_EQ(words[2], 512u);
  ASSERT_NE(d->operation(d, kRequestLastSector, lba, 0, words, 12), 0);
  EXPECT_EQ(words[0], 0u);
  BiosGeometry bios;
  ASSERT_NE(d->operation(d, kRequestBiosGeometry, nullptr, 0, &bios, 0), 0);
  EXPECT_EQ(bios.highestHead, 254);
  CloseDiskDevice(d);
}

TEST(DriveGeometry, ExtendedReplyWithoutSectorSizeOrWithDetectionBeyondItIsSafe) {
  std::vector<std::uint8_t> noSize = ExReply(10, 255, 63, 1 << 20);
  PutU32(noSize.data() + 20, 0);
  const Shapes a = ShapesOf(noSize);
  EXPECT_EQ(a.drive.totalSectors, 0u);
  std::vector<std::uint8_t> farDetection = ExReply(10, 255, 63, 1 << 20, 1, 1023, 254, 63);
  PutU32(farDetection.data() + 32, 0x7FFFFFF0u);
  const Shapes b = ShapesOf(farDetection);
  EXPECT_EQ(b.drive.detectionType, 0u);
}

}  // namespace
}  // namespace disklens
