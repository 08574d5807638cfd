#include "disk/transfer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "disk/session.h"
#include "platform/fake_platform.h"
#include "support/session_guard.h"

namespace disklens {
namespace {

using test::SessionGuard;

struct OperationCall {
  std::uint32_t low, high, count;
};
std::vector<OperationCall> g_calls;

// Stands in front of the real routine to see how the chunking loop cuts a request.
std::int32_t CountingOperation(DiskDevice* device, std::uint32_t request, std::uint32_t* lba,
                               std::uint32_t size, void* buffer, std::uint32_t count) {
  g_calls.push_back(OperationCall{lba[0], lba[1], count});
  return ServeDiskRequest(device, request, lba, size, buffer, count);
}

// A disk whose every byte tells its position, and a device over it.
class TransferTest : public ::testing::Test {
 protected:
  void Open(std::uint32_t majorVersion, std::uint32_t sectorSize, std::uint64_t sectors,
            std::uint32_t platformId = kVerPlatformWin32Nt) {
    fake_.platformId = platformId;
    fake_.majorVersion = majorVersion;
    FakeDisk& d = fake_.AddDisk(0, sectors * sectorSize, sectorSize);
    for (std::size_t i = 0; i < d.bytes.size(); ++i) d.bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
    StartDiskAccess(1);
    started_ = true;
    device_ = OpenDiskDevice(0, kKindHardDisk, kGenericRead | kGenericWrite);
    ASSERT_NE(device_, nullptr);
    device_->operation = &CountingOperation;
    g_calls.clear();
    fake_.ClearLog();
  }
  void TearDown() override {
    CloseDiskDevice(device_);
    if (started_) EndDiskAccess();
  }
  // A page-aligned buffer, or one byte past it.
  std::uint8_t* Buffer(bool aligned) { return memory_.data() + (aligned ? 0 : 1); }
  bool Holds(const std::uint8_t* p, std::uint64_t offset, std::size_t n) {
    return std::memcmp(p, fake_.disks[0].bytes.data() + offset, n) == 0;
  }

  FakePlatform fake_;
  bool started_ = false;
  DiskDevice* device_ = nullptr;
  alignas(4096) std::array<std::uint8_t, 0x90000> memory_{};
};

TEST_F(TransferTest, ZeroSectorsSucceedWithoutAnyCall) {
  Open(6, 512, 16);
  EXPECT_EQ(ReadSectors(0, 0, Buffer(true), 0, device_), 1);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(fake_.log.empty());
  EXPECT_EQ(ReadSectors(0, 0, Buffer(true), 1, nullptr), 0);
}

TEST_F(TransferTest, UnalignedReadBouncesThroughTheTransferBufferUnderBothLocks) {
  Open(5, 512, 16);
  ASSERT_NE(ReadSectors(0, 0, Buffer(false), 1, device_), 0);
  EXPECT_TRUE(Holds(Buffer(false), 0, 512));
  const auto seeks = fake_.Calls("SetFilePointer");
  const auto reads = fake_.Calls("ReadFile");
  ASSERT_EQ(seeks.size(), 1u);
  EXPECT_EQ(seeks[0].position, 0u);
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0].size, 512u);
  const std::string t = std::to_string(Session().transferLock);
  const std::string d = std::to_string(device_->deviceLock);
  EXPECT_EQ(fake_.lockLog, (std::vector<std::string>{"wait " + t, "wait " + d, "release " + d,
                                                     "release " + t}));
}

TEST_F(TransferTest, AlignedReadGoesStraightIntoPlaceUnderTheDeviceLockOnly) {
  Open(6, 512, 16);
  ASSERT_NE(ReadSectors(3, 0, Buffer(true), 2, device_), 0);
  EXPECT_TRUE(Holds(Buffer(true), 3 * 512, 1024));
  const std::string d = std::to_string(device_->deviceLock);
  EXPECT_EQ(fake_.lockLog, (std::vector<std::string>{"wait " + d, "release " + d}));
}

TEST_F(TransferTest, OneCallOf128SectorsOnClassOne) {
  Open(5, 512, 256);
  ASSERT_NE(ReadSectors(0, 0, Buffer(true), 128, device_), 0);
  ASSERT_EQ(g_calls.size(), 1u);
  ASSERT_EQ(fake_.Count("ReadFile"), 1u);
  EXPECT_EQ(fake_.Calls("ReadFile")[0].size, 65536u);
  fake_.ClearLog();
  g_calls.clear();
  ASSERT_NE(ReadSectors(0, 0, Buffer(false), 128, device_), 0);
  EXPECT_TRUE(Holds(Buffer(false), 0, 65536));
  EXPECT_EQ(g_calls.size(), 1u);
  ASSERT_EQ(fake_.Count("ReadFile"), 1u);
  EXPECT_EQ(fake_.Calls("ReadFile")[0].size, 65536u);
}

TEST_F(TransferTest, FourKSectorsGoInOneCallOnClassSixAndInEightOnClassOne) {
  Open(6, 4096, 128);
  ASSERT_NE(ReadSectors(0, 0, Buffer(true), 128, device_), 0);
  EXPECT_EQ(g_calls.size(), 1u);
  ASSERT_EQ(fake_.Count("ReadFile"), 1u);
  EXPECT_EQ(fake_.Calls("ReadFile")[0].size, 524288u);
  EXPECT_TRUE(Holds(Buffer(true), 0, 524288));
  fake_.ClearLog();
  g_calls.clear();
  ASSERT_NE(ReadSectors(0, 0, Buffer(false), 128, device_), 0);
  EXPECT_EQ(g_calls.size(), 1u);
  const auto reads = fake_.Calls("ReadFile");
  ASSERT_EQ(reads.size(), 8u);
  for (std::size_t i = 0; i < reads.size(); ++i) {
    EXPECT_EQ(reads[i].size, 65536u);
    EXPECT_EQ(reads[i].position, i * 65536u);
  }
  EXPECT_TRUE(Holds(Buffer(false), 0, 524288));
}

TEST_F(TransferTest, FourKSectorsOnClassOneGoInCallsOfSixteen) {
  Open(5, 4096, 128);
  ASSERT_NE(ReadSectors(0, 0, Buffer(true), 128, device_), 0);
  ASSERT_EQ(g_calls.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(g_calls[i].count, 16u);
    EXPECT_EQ(g_calls[i].low, 16 * i);
  }
  EXPECT_TRUE(Holds(Buffer(true), 0, 524288));
}

TEST_F(TransferTest, Win9xCutsAt127SectorsAndPassesOnlyTheLowHalf) {
  Open(4, 512, 256, kVerPlatformWin32Windows);
  ASSERT_NE(ReadSectors(0, 0, Buffer(false), 128, device_), 0);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].count, 127u);
  EXPECT_EQ(g_calls[1].count, 1u);
  EXPECT_EQ(g_calls[1].low, 127u);
  EXPECT_TRUE(Holds(Buffer(false), 0, 65536));
  // Our DKHLP32 did one read per call.
  EXPECT_EQ(fake_.Count("ReadFile"), 2u);
}

TEST_F(TransferTest, LbaCarriesIntoTheHighHalfBetweenCalls) {
  Open(6, 512, 16);
  device_->maxTransferBytes = 512;  // one sector per call
  ReadSectors(0xFFFFFFFFu, 0, Buffer(true), 2, device_);
  ASSERT_GE(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].low, 0xFFFFFFFFu);
  EXPECT_EQ(g_calls[0].high, 0u);
  // The first read fails (far past this small disk), so the second never comes:
  // see the byte offset that was asked for instead.
  const auto seeks = fake_.Calls("SetFilePointer");
  ASSERT_EQ(seeks.size(), 1u);
  EXPECT_EQ(seeks[0].position, 0xFFFFFFFFull * 512);
}

TEST_F(TransferTest, LbaCarriesBetweenChunksOfOneMove) {
  Open(6, 512, 16);
  // Two chunks of one bounce each: 65536-byte buffer, 129 sectors.
  const std::int32_t ok = MoveSectors(0xFFFFFF80u, 0, Buffer(false), 129, device_, kDirectionRead);
  EXPECT_EQ(ok, 0);  // far past the end of the disk
  const auto seeks = fake_.Calls("SetFilePointer");
  ASSERT_EQ(seeks.size(), 1u);
  EXPECT_EQ(seeks[0].position, 0xFFFFFF80ull * 512);
}

TEST_F(TransferTest, LbaAbove4GiBIsPositionedWithTheHighHalfOfTheOffset) {
  Open(6, 512, 16);
  ReadSectors(0x00800000u, 1, Buffer(true), 1, device_);
  const auto seeks = fake_.Calls("SetFilePointer");
  ASSERT_EQ(seeks.size(), 1u);
  EXPECT_EQ(seeks[0].position, ((1ull << 32) + 0x00800000u) * 512);
}

TEST_F(TransferTest, ShortReadFailsAndStopsTheTransfer) {
  Open(6, 512, 512);
  fake_.shortReadLimit = 1000;
  EXPECT_EQ(ReadSectors(0, 0, Buffer(false), 256, device_), 0);
  EXPECT_EQ(fake_.Count("ReadFile"), 1u);
  // The bytes that did arrive are in the caller's buffer.
  EXPECT_TRUE(Holds(Buffer(false), 0, 1000));
}

TEST_F(TransferTest, ReadPastTheEndOfTheDiskFails) {
  Open(6, 512, 16);
  EXPECT_EQ(ReadSectors(15, 0, Buffer(true), 2, device_), 0);
  EXPECT_NE(ReadSectors(15, 0, Buffer(true), 1, device_), 0);
}

TEST_F(TransferTest, FailingSectorEndsTheTransferWithTheOsErrorAndKeepsEarlierChunks) {
  Open(6, 512, 512);
  fake_.disks[0].failingLbas = {130};
  EXPECT_EQ(ReadSectors(0, 0, Buffer(false), 200, device_), 0);
  EXPECT_EQ(device_->lastError, kErrorCrc);
  EXPECT_EQ(fake_.Count("ReadFile"), 2u);
  EXPECT_TRUE(Holds(Buffer(false), 0, 130 * 512));
}

TEST(TransferWithoutBuffer, UnalignedTransferFailsWithoutTouchingTheDisk) {
  FakePlatform fake;
  fake.AddDisk(0, 16 * 512);
  SessionGuard session(0);
  DiskDevice* d = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(d, nullptr);
  alignas(4096) std::uint8_t memory[1024] = {};
  EXPECT_EQ(ReadSectors(0, 0, memory + 1, 1, d), 0);
  EXPECT_EQ(fake.Count("ReadFile"), 0u);
  EXPECT_NE(ReadSectors(0, 0, memory, 1, d), 0);
  CloseDiskDevice(d);
}

TEST_F(TransferTest, WriteDirectionMovesTheCallersBytesToTheDisk) {
  Open(6, 512, 16);
  for (int i = 0; i < 1024; ++i) Buffer(false)[i] = static_cast<std::uint8_t>(0xA5 ^ i);
  ASSERT_NE(TransferSectors(kRequestWrite, 4, 0, Buffer(false), 2, device_), 0);
  EXPECT_TRUE(Holds(Buffer(false), 4 * 512, 1024));
  for (int i = 0; i < 512; ++i) Buffer(true)[i] = 0x5A;
  ASSERT_NE(TransferSectors(kRequestWriteAlias, 9, 0, Buffer(true), 1, device_), 0);
  EXPECT_TRUE(Holds(Buffer(true), 9 * 512, 512));
  EXPECT_EQ(fake_.Count("WriteFile"), 2u);
}

int g_dkFailures = 0;
int g_dkCalls = 0;
std::int32_t DK_WINAPI FlakyRead(std::uint32_t, void* buffer, std::uint32_t count, std::uint32_t) {
  ++g_dkCalls;
  if (g_dkFailures-- > 0) return 0;
  std::memset(buffer, 0x3C, count * 512);
  return 1;
}

TEST_F(TransferTest, Win9xRetriesARefusedReadUpToThreeTimes) {
  fake_.dkReplacements[2] = reinterpret_cast<ProcAddress>(&FlakyRead);
  Open(4, 512, 16, kVerPlatformWin32Windows);
  g_dkCalls = 0;
  g_dkFailures = 2;
  EXPECT_NE(ReadSectors(0, 0, Buffer(true), 1, device_), 0);
  EXPECT_EQ(g_dkCalls, 3);
  EXPECT_EQ(Buffer(true)[0], 0x3C);
  g_dkCalls = 0;
  g_dkFailures = 3;
  EXPECT_EQ(ReadSectors(0, 0, Buffer(true), 1, device_), 0);
  EXPECT_EQ(g_dkCalls, 3);
  EXPECT_EQ(device_->lastError, 0xFFu);
}

}  // namespace
}  // namespace disklens

namespace disklens {
namespace {

TEST_F(TransferTest, LbaWhoseByteOffsetWouldWrapIsNeverPositioned) {
  Open(6, 512, 16);
  // 2^55 + 1 sectors of 512 bytes is 2^64 + 512 bytes: sector 1 if it wrapped.
  EXPECT_EQ(ReadSectors(1, 1u << 23, Buffer(true), 1, device_), 0);
  EXPECT_EQ(fake_.Count("SetFilePointer"), 0u);
  EXPECT_EQ(fake_.Count("ReadFile"), 0u);
}

TEST_F(TransferTest, Win9xRefusesSectorsAboveTwoToTheThirtySecond) {
  Open(4, 512, 16, kVerPlatformWin32Windows);
  // Only the low half would reach DKHLP32: sector 1 instead of 2^32 + 1.
  EXPECT_EQ(ReadSectors(1, 1, Buffer(true), 1, device_), 0);
  EXPECT_EQ(fake_.Count("ReadFile"), 0u);
  EXPECT_EQ(device_->lastError, 0xFFu);
}

}  // namespace
}  // namespace disklens
