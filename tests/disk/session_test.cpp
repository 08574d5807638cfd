#include "disk/session.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace disklens {
namespace {

std::uint8_t ClassFor(std::uint32_t platformId, std::uint32_t major) {
  FakePlatform fake;
  fake.platformId = platformId;
  fake.majorVersion = major;
  StartDiskAccess(1);
  const std::uint8_t c = Session().osClass;
  EndDiskAccess();
  return c;
}

TEST(Session, PlatformClassFollowsTheReportedVersion) {
  EXPECT_EQ(ClassFor(kVerPlatformWin32Nt, 3), kOsNt4);
  EXPECT_EQ(ClassFor(kVerPlatformWin32Nt, 4), kOsNt4);
  EXPECT_EQ(ClassFor(kVerPlatformWin32Nt, 5), kOsNt5);
  EXPECT_EQ(ClassFor(kVerPlatformWin32Nt, 6), kOsNt6);
  EXPECT_EQ(ClassFor(kVerPlatformWin32Nt, 10), kOsNt6);
  EXPECT_EQ(ClassFor(kVerPlatformWin32Windows, 4), kOsWin9x);
}

TEST(Session, Win9xLoadsDkhlp32WithoutAnErrorBoxAndResolvesOrdinals213) {
  FakePlatform fake;
  fake.platformId = kVerPlatformWin32Windows;
  StartDiskAccess(1);
  const DiskAccessSession& s = Session();
  EXPECT_TRUE(s.ready);
  EXPECT_NE(s.library, 0u);
  EXPECT_NE(s.dkReadSectors, nullptr);
  EXPECT_NE(s.dkWriteSectors, nullptr);
  EXPECT_NE(s.dkDriveParameters, nullptr);
  const auto modes = fake.Calls("SetErrorMode");
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(modes[0].size, kSemNoOpenFileErrorBox);
  EXPECT_EQ(modes[1].size, 0u);  // the previous mode, restored
  const auto procs = fake.Calls("GetProcAddress");
  ASSERT_EQ(procs.size(), 3u);
  EXPECT_EQ(procs[0].size, 2u);
  EXPECT_EQ(procs[1].size, 3u);
  EXPECT_EQ(procs[2].size, 1u);
  EndDiskAccess();
  EXPECT_EQ(fake.Count("FreeLibrary"), 1u);
  EXPECT_EQ(s.library, 0u);
}

TEST(Session, MissingDkhlp32LeavesTheSessionReadyWithoutEntryPoints) {
  FakePlatform fake;
  fake.platformId = kVerPlatformWin32Windows;
  fake.dkhlp32Present = false;
  StartDiskAccess(1);
  EXPECT_TRUE(Session().ready);
  EXPECT_EQ(Session().dkReadSectors, nullptr);
  EndDiskAccess();
  EXPECT_EQ(fake.Count("FreeLibrary"), 0u);
}

TEST(Session, UnknownPlatformOrFailedVersionQueryIsNotReady) {
  {
    FakePlatform fake;
    fake.platformId = 3;
    StartDiskAccess(1);
    EXPECT_FALSE(Session().ready);
    EXPECT_EQ(fake.Count("CreateMutexA"), 0u);
    StartDiskAccess(1);  // later starts only count
    EXPECT_FALSE(Session().ready);
    EndDiskAccess();
    EndDiskAccess();
    EXPECT_EQ(Session().refCount, 0);
  }
  {
    FakePlatform fake;
    fake.failOnCall["GetVersionExA"] = {1};
    StartDiskAccess(1);
    EXPECT_FALSE(Session().ready);
    EndDiskAccess();
  }
}

TEST(Session, StartsAndEndsPairUpAndTheLastEndReleasesEverything) {
  FakePlatform fake;
  fake.platformId = kVerPlatformWin32Windows;
  StartDiskAccess(1);
  StartDiskAccess(1);
  EndDiskAccess();
  EXPECT_TRUE(Session().ready);
  EXPECT_EQ(fake.OpenHandles(), 1u);  // TransferLock
  EXPECT_EQ(fake.LiveAllocations(), 1u);  // TransferBuffer
  EndDiskAccess();
  EXPECT_FALSE(Session().ready);
  EXPECT_EQ(Session().transferLock, 0u);
  EXPECT_EQ(Session().transferBuffer, nullptr);
  EXPECT_EQ(Session().transferBufferSize, 0u);
  EXPECT_EQ(fake.OpenHandles(), 0u);
  EXPECT_EQ(fake.LiveAllocations(), 0u);
  EXPECT_EQ(fake.Count("FreeLibrary"), 1u);
}

TEST(Session, TransferBufferIsSetUpOnlyWhenAskedAndPageAligned) {
  FakePlatform fake;
  StartDiskAccess(0);
  EXPECT_TRUE(Session().ready);
  EXPECT_EQ(Session().transferBufferSize, 0u);
  EXPECT_EQ(fake.Count("CreateMutexA"), 0u);
  StartDiskAccess(1);  // a later start on a ready session sets it up
  EXPECT_EQ(Session().transferBufferSize, kTransferBufferSize);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(Session().transferBuffer) % 4096, 0u);
  EndDiskAccess();
  EndDiskAccess();
}

TEST(Session, FirstStartWithoutLockOrBufferIsNotReady) {
  {
    FakePlatform fake;
    fake.failOnCall["CreateMutexA"] = {1};
    StartDiskAccess(1);
    EXPECT_FALSE(Session().ready);
    EndDiskAccess();
  }
  {
    FakePlatform fake;
    fake.failOnCall["VirtualAlloc"] = {1};
    StartDiskAccess(1);
    EXPECT_FALSE(Session().ready);
    EXPECT_EQ(Session().transferBufferSize, 0u);
    EXPECT_EQ(Session().transferLock, 0u);
    EXPECT_EQ(fake.OpenHandles(), 0u);  // the lock was closed again
    EndDiskAccess();
  }
}

}  // namespace
}  // namespace disklens
