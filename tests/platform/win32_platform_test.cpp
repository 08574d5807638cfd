// The Win32 back end against the real system (Wine in CI): image files through
// DISKLENS_DISKS, and the kernel calls that the disk layer makes.
#include "platform/win32_platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>

#include "disk/geometry.h"
#include "disk/session.h"
#include "disk/transfer.h"
#include "platform/geometry_reply.h"
#include "support/scoped_platform.h"
#include "support/session_guard.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

using test::ScopedPlatform;
using test::SessionGuard;
using test::TempDir;

std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 9));
  return v;
}

struct Disk {
  DiskDevice* device = nullptr;
  ~Disk() { CloseDiskDevice(device); }
};

// Sets DISKLENS_DISKS (or removes it, for null) and puts the old value back.
class DiskListVariableGuard {
 public:
  explicit DiskListVariableGuard(const char* value) : old_(DiskListVariable()) {
    ::SetEnvironmentVariableA("DISKLENS_DISKS", value);
  }
  ~DiskListVariableGuard() {
    ::SetEnvironmentVariableA("DISKLENS_DISKS", old_ ? old_->c_str() : nullptr);
  }
  DiskListVariableGuard(const DiskListVariableGuard&) = delete;
  DiskListVariableGuard& operator=(const DiskListVariableGuard&) = delete;

 private:
  std::optional<std::string> old_;
};

TEST(Win32Platform, ImageOf512ByteSectorsIsReadAndMeasuredAsOnLinux) {
  TempDir dir;
  const auto bytes = Pattern(100 * 512);
  Win32Platform win({{dir.Write("disk.img", bytes), 512}});
  ScopedPlatform use(win);
  SessionGuard session;
  Disk disk{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};
  ASSERT_NE(disk.device, nullptr);
  EXPECT_EQ(disk.device->sectorSize, 512);
  DriveGeometry g;
  ASSERT_NE(GetDriveGeometry(disk.device, g), 0);
  EXPECT_EQ(g.totalSectors, 100u);
  EXPECT_EQ(g.heads, 255u);
  EXPECT_EQ(g.sectorsPerTrack, 63u);
  EXPECT_EQ(g.cylinders, 0u);
  EXPECT_EQ(g.mediaType, kFixedMedia);
  EXPECT_EQ(g.detectionType, 0u);
  alignas(4096) static std::array<std::uint8_t, 8192> buffer;
  ASSERT_NE(ReadSectors(7, 0, buffer.data() + 1, 3, disk.device), 0);
  EXPECT_EQ(0, std::memcmp(buffer.data() + 1, bytes.data() + 7 * 512, 3 * 512));
  EXPECT_EQ(ReadSectors(99, 0, buffer.data(), 2, disk.device), 0);  // past the end
}

TEST(Win32Platform, DiskListVariableWithDriveLettersHolesAndSectorSizes) {
  TempDir dir;
  const auto small = Pattern(8 * 512);
  const auto large = Pattern(10 * 4096 + 100);
  const std::string a = std::filesystem::absolute(dir.Write("a.img", small)).string();
  const std::string b = std::filesystem::absolute(dir.Write("b.img", large)).string();
  ASSERT_EQ(a[1], ':');  // a drive letter: the reason for ";"
  DiskListVariableGuard variable((a + ";;" + b + "@4096;" + dir.File("missing.img")).c_str());
  Win32Platform win;  // reads the variable at its first open
  ScopedPlatform use(win);
  SessionGuard session;
  Disk first{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};
  ASSERT_NE(first.device, nullptr);
  EXPECT_EQ(first.device->sectorSize, 512);
  EXPECT_EQ(OpenDiskDevice(1, kKindHardDisk, kGenericRead), nullptr);  // the hole
  Disk third{OpenDiskDevice(2, kKindHardDisk, kGenericRead)};
  ASSERT_NE(third.device, nullptr);
  EXPECT_EQ(third.device->sectorSize, 4096);
  std::uint32_t high = 9, low = 9, size = 0;
  ASSERT_NE(GetLastSector(third.device, &high, &low, &size), 0);
  EXPECT_EQ(low, 9u);  // the 100 bytes behind sector 9 are no sector
  EXPECT_EQ(size, 4096u);
  alignas(4096) static std::array<std::uint8_t, 4096> buffer;
  ASSERT_NE(ReadSectors(9, 0, buffer.data(), 1, third.device), 0);
  EXPECT_EQ(0, std::memcmp(buffer.data(), large.data() + 9 * 4096, 4096));
  EXPECT_EQ(OpenDiskDevice(3, kKindHardDisk, kGenericRead), nullptr);  // missing file
  EXPECT_EQ(OpenDiskDevice(4, kKindHardDisk, kGenericRead), nullptr);  // beyond the list
}

TEST(Win32Platform, EmptyDiskListIsNoDiskAndDiffersFromNone) {
  {
    DiskListVariableGuard variable("");
    ASSERT_TRUE(DiskListVariable().has_value());
    EXPECT_EQ(*DiskListVariable(), "");
    Win32Platform win;
    EXPECT_EQ(win.CreateFileA("\\\\.\\PhysicalDrive0", kGenericRead, 3, kOpenExisting, 0),
              kInvalidHandle);
    EXPECT_EQ(win.GetLastError(), kErrorFileNotFound);
  }
  DiskListVariableGuard none(nullptr);
  EXPECT_FALSE(DiskListVariable().has_value());
  const std::string longList(1000, 'x');  // longer than the first buffer
  ::SetEnvironmentVariableA("DISKLENS_DISKS", longList.c_str());
  EXPECT_EQ(DiskListVariable(), longList);
}

TEST(Win32Platform, OperandsTakeThePlaceOfTheVariableAndTheirFailureIsRemembered) {
  TempDir dir;
  const std::string a = std::filesystem::absolute(dir.Write("a.img", Pattern(8 * 512))).string();
  DiskListVariableGuard variable((dir.File("missing.img") + ";" + a).c_str());
  Win32Platform win;
  win.UseDisks(OperandDisks({a, dir.File("gone.img"), "\\\\.\\PhysicalDrive77"}));
  ScopedPlatform use(win);
  SessionGuard session;
  testing::internal::CaptureStderr();
  Disk first{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};  // the operand, not missing.img
  EXPECT_NE(first.device, nullptr);
  EXPECT_FALSE(win.OperandNotOpened());
  EXPECT_EQ(OpenDiskDevice(1, kKindHardDisk, kGenericRead), nullptr);
  EXPECT_TRUE(win.OperandNotOpened());
  // A raw disk named is opened as one; none with that number is there.
  EXPECT_EQ(OpenDiskDevice(2, kKindHardDisk, kGenericRead), nullptr);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("disklens: HD1: " + dir.File("gone.img") + ": "), std::string::npos) << err;
  EXPECT_NE(err.find("disklens: HD2: \\\\.\\PhysicalDrive77: "), std::string::npos) << err;
  EXPECT_EQ(err.find("missing.img"), std::string::npos) << err;
  EXPECT_TRUE(win.DisksLeftOut().empty());
}

TEST(Win32Platform, ListedDisksPastHd31AreLeftOutByName) {
  std::vector<DiskSource> disks(34);
  disks[32] = ParseDiskEntry("C:\\d32.img");
  disks[33] = ParseDiskEntry("D:\\d33.img@4096");
  Win32Platform win(disks);
  EXPECT_EQ(win.DisksLeftOut(), (std::vector<std::string>{"C:\\d32.img", "D:\\d33.img@4096"}));
}

TEST(Win32Platform, ReadOnlyImageIsReadWhileWriteAccessIsAskedOnlyWhenWanted) {
  TempDir dir;
  const auto bytes = Pattern(16 * 512);
  const std::string readOnly = dir.Write("ro.img", bytes);
  ASSERT_TRUE(::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string writable = dir.Write("rw.img", bytes);
  Win32Platform win({{readOnly, 512}, {writable, 512}});
  ScopedPlatform use(win);
  SessionGuard session;
  alignas(4096) static std::array<std::uint8_t, 512> buffer;
  {
    Disk disk{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};
    ASSERT_NE(disk.device, nullptr);
    ASSERT_NE(ReadSectors(15, 0, buffer.data(), 1, disk.device), 0);
    EXPECT_EQ(0, std::memcmp(buffer.data(), bytes.data() + 15 * 512, 512));
    buffer.fill(0xEE);
    EXPECT_EQ(TransferSectors(kRequestWrite, 2, 0, buffer.data(), 1, disk.device), 0);
  }
  {
    Disk disk{OpenDiskDevice(1, kKindHardDisk, kGenericRead)};  // read access only
    ASSERT_NE(disk.device, nullptr);
    EXPECT_EQ(TransferSectors(kRequestWrite, 2, 0, buffer.data(), 1, disk.device), 0);
  }
  {
    Disk disk{OpenDiskDevice(1, kKindHardDisk, kGenericRead | kGenericWrite)};
    ASSERT_NE(disk.device, nullptr);
    ASSERT_NE(TransferSectors(kRequestWrite, 2, 0, buffer.data(), 1, disk.device), 0);
  }
  EXPECT_EQ(test::ReadFileBytes(readOnly), bytes);
  EXPECT_EQ(test::ReadFileBytes(writable)[2 * 512 + 17], 0xEE);
  ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that it can be removed
}

TEST(Win32Platform, GeometryRepliesOfAnImageMatchTheSharedBuilder) {
  TempDir dir;
  Win32Platform win({{dir.Write("g.img", Pattern(3 * 2048 + 7)), 2048}});
  const Handle h = win.CreateFileA("\\\\.\\PhysicalDrive0", kGenericRead, 3, kOpenExisting, 0);
  ASSERT_NE(h, kInvalidHandle);
  std::array<std::uint8_t, kGeometryExReplySize> got{}, want{};
  std::uint32_t returned = 0;
  ASSERT_TRUE(win.DeviceIoControl(h, kIoctlDiskGetDriveGeometryEx, nullptr, 0, got.data(),
                                  kGeometryExReplySize, &returned));
  EXPECT_EQ(returned, kGeometryExReplySize);
  BuildGeometryExReply(SyntheticGeometry{3 * 2048 + 7, 2048, 255, 63}, want.data(),
                       kGeometryExReplySize);
  EXPECT_EQ(got, want);
  ASSERT_TRUE(win.DeviceIoControl(h, kIoctlDiskGetDriveGeometry, nullptr, 0, got.data(),
                                  kGeometryReplySize, &returned));
  EXPECT_EQ(returned, kGeometryReplySize);
  BuildGeometryReply(SyntheticGeometry{3 * 2048 + 7, 2048, 255, 63}, want.data(),
                     kGeometryReplySize);
  EXPECT_EQ(0, std::memcmp(got.data(), want.data(), kGeometryReplySize));
  EXPECT_FALSE(win.DeviceIoControl(h, kIoctlDiskGetDriveGeometry, nullptr, 0, got.data(), 8,
                                   &returned));
  EXPECT_EQ(returned, 0u);
  EXPECT_TRUE(win.CloseHandle(h));
}

TEST(Win32Platform, KernelObjectsMemoryVersionAndLibraries) {
  Win32Platform win;
  OsVersionInfo info;
  ASSERT_TRUE(win.GetVersionExA(info));
  EXPECT_EQ(info.platformId, kVerPlatformWin32Nt);
  OsVersionInfo wrongSize;
  wrongSize.osVersionInfoSize = 20;
  EXPECT_FALSE(win.GetVersionExA(wrongSize));

  const Handle mutex = win.CreateMutexA();
  ASSERT_NE(mutex, 0u);
  EXPECT_EQ(win.WaitForSingleObject(mutex, kInfinite), kWaitObject0);
  EXPECT_EQ(win.WaitForSingleObject(mutex, 0), kWaitObject0);  // the owner may take it again
  EXPECT_TRUE(win.ReleaseMutex(mutex));
  EXPECT_TRUE(win.ReleaseMutex(mutex));
  EXPECT_FALSE(win.ReleaseMutex(mutex));  // no longer owned
  EXPECT_TRUE(win.CloseHandle(mutex));

  auto* memory = static_cast<std::uint8_t*>(win.VirtualAlloc(3 * 4096 + 1));
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory) % 4096, 0u);
  for (std::size_t i = 0; i < 4 * 4096; i += 511) EXPECT_EQ(memory[i], 0) << i;
  EXPECT_TRUE(win.VirtualFree(memory));

  // Nothing installs DKHLP32 here, and the system shows no box for its absence.
  const std::uint32_t previous = win.SetErrorMode(kSemNoOpenFileErrorBox);
  EXPECT_EQ(win.LoadLibraryA("DKHLP32"), 0u);
  EXPECT_EQ(win.GetLastError(), static_cast<std::uint32_t>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(win.SetErrorMode(previous), kSemNoOpenFileErrorBox);
  const LibraryHandle kernel = win.LoadLibraryA("KERNEL32");
  ASSERT_NE(kernel, 0u);
  EXPECT_EQ(win.GetProcAddress(kernel, 0xFFFF), nullptr);  // no such ordinal
  EXPECT_TRUE(win.FreeLibrary(kernel));
}

TEST(Win32Platform, AsciiNamesConvertThroughTheAnsiCodePage) {
  Win32Platform win;
  const std::u16string name = u"Basic data partition";
  char out[32] = {};
  const std::int32_t n =
      win.WideCharToMultiByte(kCpAcp, reinterpret_cast<const std::uint16_t*>(name.data()),
                              static_cast<std::int32_t>(name.size()), out, sizeof out - 1);
  EXPECT_EQ(n, 20);
  EXPECT_EQ(std::string(out, 20), "Basic data partition");
  EXPECT_EQ(win.WideCharToMultiByte(kCpAcp, reinterpret_cast<const std::uint16_t*>(name.data()), 0,
                                    out, sizeof out),
            0);  // no units: failure, as the name fallback expects
  EXPECT_EQ(win.WideCharToMultiByte(kCpAcp, reinterpret_cast<const std::uint16_t*>(name.data()),
                                    20, out, 10),
            0);  // too small
}

}  // namespace
}  // namespace disklens

namespace disklens {
namespace {

// Without the container libraries a container is named and absent, never
// reported from its raw bytes; a raw image beside it still opens.
TEST(Win32Platform, ContainerImagesAreNamedNotReadAsRaw) {
  TempDir dir;
  std::vector<std::uint8_t> vhdx = Pattern(64 * 512);
  std::memcpy(vhdx.data(), "vhdxfile", 8);
  std::vector<std::uint8_t> fixedVhd = Pattern(64 * 512);
  std::memcpy(fixedVhd.data() + fixedVhd.size() - 512, "conectix", 8);
  std::vector<std::uint8_t> ewf = Pattern(64 * 512);
  std::memcpy(ewf.data(), "EVF\x09\x0d\x0a\xff\x00", 8);
  const std::string vhdxPath = dir.Write("disk.img", vhdx);
  const std::string vhdPath = dir.Write("fixed.vhd", fixedVhd);
  const std::string ewfPath = dir.Write("case.E01", ewf);
  const std::string rawPath = dir.Write("raw.vhdx", Pattern(64 * 512));
  Win32Platform win({{vhdxPath, 512, vhdxPath + "@512"}, {vhdPath, 512, vhdPath},
                     {ewfPath, 512, ewfPath}, {rawPath, 512, rawPath}});
  ScopedPlatform use(win);
  SessionGuard session;
  testing::internal::CaptureStderr();
  for (std::uint32_t i = 0; i < 3; ++i) {
    Disk disk{OpenDiskDevice(i, kKindHardDisk, kGenericRead)};
    EXPECT_EQ(disk.device, nullptr) << i;
  }
  Disk again{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};  // said once a run
  Disk raw{OpenDiskDevice(3, kKindHardDisk, kGenericRead)};    // the name says nothing
  EXPECT_NE(raw.device, nullptr);
  const std::string tail =
      " (this build reads raw images; attach it with Disk Management or Mount-DiskImage and run "
      "disklens on the physical drive it becomes)\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "disklens: HD0: " + vhdxPath + "@512: a VHDX image" + tail + "disklens: HD1: " +
                vhdPath + ": a VHD image" + tail + "disklens: HD2: " + ewfPath + ": an EWF image" +
                tail);
}

// Nor is a segment of a split raw image read as if it were the whole disk; a
// lone first segment is an ordinary image.
TEST(Win32Platform, SplitRawSegmentsAreNamedNotReadAsWholeDisks) {
  TempDir dir;
  const std::string first = dir.Write("x.001", Pattern(64 * 512));
  const std::string second = dir.Write("x.002", Pattern(64 * 512));
  dir.Write("x.003", Pattern(3 * 512));
  const std::string lone = dir.Write("lone.001", Pattern(64 * 512));
  Win32Platform win({{first, 512, first}, {second, 512, second}, {lone, 512, lone}});
  ScopedPlatform use(win);
  SessionGuard session;
  testing::internal::CaptureStderr();
  Disk a{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};
  Disk b{OpenDiskDevice(1, kKindHardDisk, kGenericRead)};
  Disk c{OpenDiskDevice(2, kKindHardDisk, kGenericRead)};
  EXPECT_EQ(a.device, nullptr);
  EXPECT_EQ(b.device, nullptr);
  EXPECT_NE(c.device, nullptr);
  const std::string tail =
      " of a split raw image (this build reads whole raw images: join the segments into one file "
      "first, with copy /b)\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "disklens: HD0: " + first + ": the first of 3 segments" + tail + "disklens: HD1: " +
                second + ": a later segment, after " + first + "," + tail);
}

}  // namespace
}  // namespace disklens
