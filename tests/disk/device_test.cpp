#include "disk/device.h"

#include <gtest/gtest.h>

#include "bytes/bytes.h"
#include "disk/geometry.h"
#include "disk/session.h"
#include "disk/win9x/drive_parameter_block.h"
#include "platform/dkhlp32.h"
#include "platform/fake_platform.h"
#include "support/session_guard.h"

namespace disklens {
namespace {

using test::SessionGuard;

TEST(OpenDiskDevice, OpensThePhysicalDriveOfTheIndexReadOnlyWithSharedAccess) {
  FakePlatform fake;
  fake.AddDisk(0, 4096);
  fake.AddDisk(31, 4096);
  SessionGuard session;
  DiskDevice* d0 = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  DiskDevice* d31 = OpenDiskDevice(31, kKindHardDisk, kGenericRead);
  ASSERT_NE(d0, nullptr);
  ASSERT_NE(d31, nullptr);
  const auto opens = fake.Calls("CreateFileA");
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[0].detail, "\\\\.\\PhysicalDrive0 share=3 disp=3 flags=0");
  EXPECT_EQ(opens[1].detail, "\\\\.\\PhysicalDrive31 share=3 disp=3 flags=0");
  EXPECT_EQ(opens[0].size, kGenericRead);
  EXPECT_EQ(d31->diskIndex, 31u);
  EXPECT_EQ(BiosNumber(*d31), 0x9Fu);
  EXPECT_EQ(d0->maxTransferBytes, 0x400000u);
  EXPECT_EQ(d0->lastError, 0u);
  EXPECT_NE(d0->operation, nullptr);
  EXPECT_NE(CloseDiskDevice(d0), 0);
  EXPECT_NE(CloseDiskDevice(d31), 0);
  EXPECT_EQ(fake.OpenHandles(), 1u);  // only the session's TransferLock
}

TEST(OpenDiskDevice, SectorSizeComesFromTheGeometryOr512) {
  FakePlatform fake;
  fake.AddDisk(0, 64 * 4096, 4096);
  FakeDisk& refusing = fake.AddDisk(1, 64 * 4096, 4096);
  refusing.refuseGeometry = true;
  refusing.refuseGeometryEx = true;
  SessionGuard session;
  DiskDevice* big = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  DiskDevice* unknown = OpenDiskDevice(1, kKindHardDisk, kGenericRead);
  ASSERT_NE(big, nullptr);
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(big->sectorSize, 4096);
  EXPECT_EQ(big->sectorMask, 4095);
  EXPECT_EQ(unknown->sectorSize, 512);
  EXPECT_EQ(unknown->sectorMask, 511);
  CloseDiskDevice(big);
  CloseDiskDevice(unknown);
}

TEST(OpenDiskDevice, AbsentDiskOtherKindsUnreadySessionOrNoMutexYieldNone) {
  FakePlatform fake;
  fake.AddDisk(0, 4096);
  EXPECT_EQ(OpenDiskDevice(0, kKindHardDisk, kGenericRead), nullptr);  // no session
  SessionGuard session;
  EXPECT_EQ(OpenDiskDevice(1, kKindHardDisk, kGenericRead), nullptr);
  EXPECT_EQ(OpenDiskDevice(0, kKindCdRom, kGenericRead), nullptr);
  EXPECT_EQ(OpenDiskDevice(0, 7, kGenericRead), nullptr);
  fake.failOnCall["CreateMutexA"] = {fake.Count("CreateMutexA") + 1};
  EXPECT_EQ(OpenDiskDevice(0, kKindHardDisk, kGenericRead), nullptr);
  EXPECT_EQ(fake.OpenHandles(), 1u);  // the device handle was closed again
}

TEST(CloseDiskDevice, NoneIsAcceptedAndAFailedCloseStillReleasesTheRecord) {
  FakePlatform fake;
  fake.AddDisk(0, 4096);
  SessionGuard session;
  EXPECT_NE(CloseDiskDevice(nullptr), 0);
  DiskDevice* d = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(d, nullptr);
  fake.failOnCall["CloseHandle"] = {fake.Count("CloseHandle") + 1};
  EXPECT_EQ(CloseDiskDevice(d), 0);
  // The lock went with the record (AddressSanitizer checks the record).
  EXPECT_EQ(fake.Count("CloseHandle"), 2u);
}

TEST(DiskOperation, UnknownRequestCodesDoNothing) {
  FakePlatform fake;
  fake.AddDisk(0, 4096);
  SessionGuard session;
  DiskDevice* d = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(d, nullptr);
  fake.ClearLog();
  std::uint32_t lba[2] = {0, 0};
  std::uint8_t buffer[512] = {};
  for (const std::uint32_t code : {0u, 3u, 6u, 7u, 8u, 11u, 12u, 200u}) {
    EXPECT_EQ(d->operation(d, code, lba, 8, buffer, 1), 0) << code;
  }
  EXPECT_TRUE(fake.log.empty());
  CloseDiskDevice(d);
}

TEST(DriveGeometry, PlainRequestAnswersWhenTheExtendedOneIsRefusedOrShort) {
  FakePlatform fake;
  std::vector<std::uint8_t> plain(24, 0);
  PutU64(plain.data(), 1000);
  PutU32(plain.data() + 8, 12);
  PutU32(plain.data() + 12, 16);
  PutU32(plain.data() + 16, 63);
  PutU32(plain.data() + 20, 512);
  FakeDisk& refused = fake.AddDisk(0, 4096);
  refused.refuseGeometryEx = true;
  refused.geometryReply = plain;
  FakeDisk& shortReply = fake.AddDisk(1, 4096);
  shortReply.geometryExReply.assign(31, 0);
  shortReply.geometryReply = plain;
  SessionGuard session;
  for (std::uint32_t i : {0u, 1u}) {
    DiskDevice* d = OpenDiskDevice(i, kKindHardDisk, kGenericRead);
    ASSERT_NE(d, nullptr);
    DriveGeometry g;
    ASSERT_NE(GetDriveGeometry(d, g), 0);
    EXPECT_EQ(g.totalSectors, 1008000u);
    EXPECT_EQ(g.cylinders, 1000u);
    EXPECT_EQ(g.heads, 16u);
    EXPECT_EQ(g.sectorsPerTrack, 63u);
    EXPECT_EQ(g.detectionType, 0u);
    CloseDiskDevice(d);
  }
}

TEST(DriveGeometry, BothRequestsRefusedGiveAZeroRecord) {
  FakePlatform fake;
  FakeDisk& d0 = fake.AddDisk(0, 4096);
  d0.refuseGeometry = true;
  d0.refuseGeometryEx = true;
  SessionGuard session;
  DiskDevice* d = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(d, nullptr);
  DriveGeometry g;
  g.cylinders = 99;
  EXPECT_EQ(GetDriveGeometry(d, g), 0);
  EXPECT_EQ(g.cylinders, 0u);
  EXPECT_EQ(g.bytesPerSector, 0u);
  BiosGeometry bios{7, 7, 7};
  EXPECT_EQ(GetBiosGeometry(d, bios), 0);
  EXPECT_EQ(bios.highestCylinder, 7);  // untouched
  std::uint32_t low = 5;
  EXPECT_EQ(GetLastSector(d, nullptr, &low, nullptr), 0);
  EXPECT_EQ(low, 5u);
  CloseDiskDevice(d);
}

// A Windows 9x firmware that answers in the legacy form.
std::int32_t DK_WINAPI LegacyParameters(std::uint32_t, void* block, std::uint32_t) {
  auto* b = static_cast<std::uint8_t*>(block);
  PutU32(b + 4, 0);
  PutU32(b + 8, 0xFE000000u);
  PutU32(b + 12, 0xFEFF0000u);
  PutU64(b + 16, 16450560);
  PutU16(b + 24, 0);
  return 1;
}

std::int32_t DK_WINAPI PlainParameters(std::uint32_t, void* block, std::uint32_t) {
  auto* b = static_cast<std::uint8_t*>(block);
  EncodeDriveParameterBlock(1000, 255, 63, 16065000, 0, b);
  return 1;
}

int g_parameterCalls = 0;
std::int32_t DK_WINAPI CountingParameters(std::uint32_t bios, void* block, std::uint32_t length) {
  ++g_parameterCalls;
  EXPECT_EQ(length, 30u);
  EXPECT_EQ((ByteView{static_cast<std::uint8_t*>(block), 30}.U16(0)), 30u);
  return bios == 0x80 ? PlainParameters(bios, block, length) : 0;
}

TEST(Win9x, LegacyParameterBlockIsDecodedFromTheFirmwareRegisters) {
  FakePlatform fake;
  fake.platformId = kVerPlatformWin32Windows;
  fake.dkReplacements[1] = reinterpret_cast<ProcAddress>(&LegacyParameters);
  SessionGuard session;
  DiskDevice* d = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->handle, 0u);
  EXPECT_EQ(d->maxTransferBytes, 0xFE00u);
  DriveGeometry g;
  ASSERT_NE(GetDriveGeometry(d, g), 0);
  EXPECT_EQ(g.cylinders, 1023u);
  EXPECT_EQ(g.heads, 255u);
  EXPECT_EQ(g.sectorsPerTrack, 63u);
  EXPECT_EQ(g.bytesPerSector, 512u);
  EXPECT_EQ(g.mediaType, kFixedMedia);
  EXPECT_EQ(g.totalSectors, 16450560u);
  CloseDiskDevice(d);
}

TEST(Win9x, PlainBlockIsTakenAsItStandsAndOrdinalOneIsAskedTwicePerOpen) {
  FakePlatform fake;
  fake.platformId = kVerPlatformWin32Windows;
  fake.dkReplacements[1] = reinterpret_cast<ProcAddress>(&CountingParameters);
  SessionGuard session;
  g_parameterCalls = 0;
  DiskDevice* d = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(g_parameterCalls, 2);
  DriveGeometry g;
  ASSERT_NE(GetDriveGeometry(d, g), 0);
  EXPECT_EQ(g.cylinders, 1000u);
  EXPECT_EQ(g.heads, 255u);
  EXPECT_EQ(g.sectorsPerTrack, 63u);
  EXPECT_EQ(d->sectorSize, 512);
  EXPECT_EQ(OpenDiskDevice(1, kKindHardDisk, kGenericRead), nullptr);  // nobody answers at 0x81
  CloseDiskDevice(d);
  EXPECT_EQ(fake.Count("CreateFileA"), 0u);  // no raw device on this class
}

TEST(Win9x, AMissingOrdinalMeansNoDiskOpens) {
  FakePlatform fake;
  fake.platformId = kVerPlatformWin32Windows;
  fake.AddDisk(0, 4096);
  fake.dkMissingOrdinals = {3};
  SessionGuard session;
  EXPECT_EQ(OpenDiskDevice(0, kKindHardDisk, kGenericRead), nullptr);
}

TEST(Win9x, OurDkhlp32ReachesTheDiskOfTheBiosNumber) {
  FakePlatform fake;
  FakeDisk& disk = fake.AddDisk(2, 64 * 512);
  disk.bytes[5 * 512] = 0xAB;
  fake.platformId = kVerPlatformWin32Windows;
  SessionGuard session;
  DiskDevice* d = OpenDiskDevice(2, kKindHardDisk, kGenericRead);
  ASSERT_NE(d, nullptr);
  DriveGeometry g;
  ASSERT_NE(GetDriveGeometry(d, g), 0);
  EXPECT_EQ(g.totalSectors, 64u);
  std::uint32_t lba[2] = {5, 0};
  alignas(4096) std::uint8_t buffer[512] = {};
  EXPECT_NE(d->operation(d, kRequestRead, lba, 8, buffer, 1), 0);
  EXPECT_EQ(buffer[0], 0xAB);
  // The library opened the disk read-only.
  for (const FakeCall& c : fake.Calls("CreateFileA")) EXPECT_EQ(c.size, kGenericRead);
  CloseDiskDevice(d);
}

}  // namespace
}  // namespace disklens
