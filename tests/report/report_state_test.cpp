#include "state/report_state.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"
#include "support/session_guard.h"

namespace disklens {
namespace {

class WorkBufferRead : public ::testing::Test {
 protected:
  void Open(std::uint32_t sectorSize, std::uint64_t sectors) {
    fake_.AddDisk(0, sectors * sectorSize, sectorSize);
    StartDiskAccess(1);
    state_.workBuffer = static_cast<std::uint8_t*>(fake_.VirtualAlloc(kWorkBufferSize));
    state_.disk = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
    ASSERT_NE(state_.disk, nullptr);
    fake_.ClearLog();
  }
  void TearDown() override {
    CloseDiskDevice(state_.disk);
    EndDiskAccess();
  }
  FakePlatform fake_;
  ReportState state_;
};

TEST_F(WorkBufferRead, ReadsTheWholeRunInOneCallStraightIntoTheBuffer) {
  Open(4096, 200);
  EXPECT_EQ(ReadIntoWorkBuffer(state_, 0, 128), 128u * 4096);
  const auto reads = fake_.Calls("ReadFile");
  ASSERT_EQ(reads.size(), 1u);  // page-aligned: no bounce through the TransferBuffer
  EXPECT_EQ(reads[0].size, 524288u);
  EXPECT_EQ(ReadIntoWorkBuffer(state_, 199, 2), 0u);  // past the end of the disk
}

TEST_F(WorkBufferRead, SectorsAbove4KiBNeverReachPastTheBuffer) {
  Open(16384, 200);
  EXPECT_EQ(state_.disk->sectorSize, 16384);
  EXPECT_EQ(ReadIntoWorkBuffer(state_, 0, 128), kWorkBufferSize);  // 32 sectors, not 128
  EXPECT_EQ(ReadIntoWorkBuffer(state_, 1, 63), kWorkBufferSize);
  EXPECT_EQ(ReadIntoWorkBuffer(state_, 0, 1, 4096), 16384u);
  EXPECT_EQ(ReadIntoWorkBuffer(state_, 0, 1, kWorkBufferSize - 100), 0u);  // no whole sector fits
  for (const FakeCall& c : fake_.Calls("ReadFile")) EXPECT_LE(c.size, kWorkBufferSize);
}

}  // namespace
}  // namespace disklens
