#include "platform/posix_platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "disk/geometry.h"
#include "disk/session.h"
#include "disk/transfer.h"
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

// The access mode of the descriptor this process holds on `path`, or -1.
int AccessModeOf(const std::string& path) {
  const std::string target = std::filesystem::canonical(path).string();
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (std::filesystem::read_symlink(e.path(), ec).string() != target) continue;
    std::ifstream info("/proc/self/fdinfo/" + e.path().filename().string());
    std::string key;
    while (info >> key) {
      if (key == "flags:") {
        std::string octal;
        info >> octal;
        return static_cast<int>(std::stoul(octal, nullptr, 8)) & O_ACCMODE;
      }
    }
  }
  return -1;
}

struct Disk {
  DiskDevice* device = nullptr;
  ~Disk() { CloseDiskDevice(device); }
};

TEST(PosixPlatform, ImageOf512ByteSectorsIsReadAndMeasured) {
  TempDir dir;
  const auto bytes = Pattern(100 * 512);
  const std::string path = dir.Write("disk.img", bytes);
  PosixPlatform posix({{path, 512}}, false);
  ScopedPlatform use(posix);
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
  EXPECT_EQ(AccessModeOf(path), O_RDONLY);
}

TEST(PosixPlatform, SectorSizeSuffixAndAPartialLastSector) {
  TempDir dir;
  const auto bytes = Pattern(10 * 4096 + 100);
  const std::string path = dir.Write("disk4k.img", bytes);
  PosixPlatform posix({{path, 4096}}, false);
  ScopedPlatform use(posix);
  SessionGuard session;
  Disk disk{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};
  ASSERT_NE(disk.device, nullptr);
  EXPECT_EQ(disk.device->sectorSize, 4096);
  EXPECT_EQ(disk.device->sectorMask, 4095);
  std::uint32_t high = 9, low = 9, size = 0;
  ASSERT_NE(GetLastSector(disk.device, &high, &low, &size), 0);
  EXPECT_EQ(low, 9u);  // the 100 bytes behind sector 9 are no sector
  EXPECT_EQ(size, 4096u);
  alignas(4096) static std::array<std::uint8_t, 8192> buffer;
  ASSERT_NE(ReadSectors(9, 0, buffer.data(), 1, disk.device), 0);
  EXPECT_EQ(0, std::memcmp(buffer.data(), bytes.data() + 9 * 4096, 4096));
  EXPECT_EQ(ReadSectors(10, 0, buffer.data(), 1, disk.device), 0);
}

TEST(PosixPlatform, MissingFilesHolesAndIndicesBeyondTheListDoNotOpen) {
  TempDir dir;
  const std::string path = dir.Write("d.img", Pattern(4096));
  PosixPlatform posix({{dir.File("missing.img"), 512}, {"", 512}, {path, 512}}, false);
  ScopedPlatform use(posix);
  SessionGuard session;
  EXPECT_EQ(OpenDiskDevice(0, kKindHardDisk, kGenericRead), nullptr);
  EXPECT_EQ(OpenDiskDevice(1, kKindHardDisk, kGenericRead), nullptr);
  Disk disk{OpenDiskDevice(2, kKindHardDisk, kGenericRead)};
  EXPECT_NE(disk.device, nullptr);
  EXPECT_EQ(OpenDiskDevice(3, kKindHardDisk, kGenericRead), nullptr);
  // A directory is no disk.
  PosixPlatform dirs({{dir.Path(), 512}}, false);
  SetPlatform(&dirs);
  EXPECT_EQ(CurrentPlatform().CreateFileA("\\\\.\\PhysicalDrive0", kGenericRead, 3, kOpenExisting, 0),
            kInvalidHandle);
  SetPlatform(&posix);
}

TEST(PosixPlatform, ReadOnlyFileOpensAndIsReadAndStaysUnchanged) {
  TempDir dir;
  const auto bytes = Pattern(16 * 512);
  const std::string path = dir.Write("ro.img", bytes);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  PosixPlatform posix({{path, 512}}, false);
  ScopedPlatform use(posix);
  SessionGuard session;
  Disk disk{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};
  ASSERT_NE(disk.device, nullptr);
  alignas(4096) static std::array<std::uint8_t, 512> buffer;
  ASSERT_NE(ReadSectors(15, 0, buffer.data(), 1, disk.device), 0);
  EXPECT_EQ(0, std::memcmp(buffer.data(), bytes.data() + 15 * 512, 512));
  EXPECT_EQ(AccessModeOf(path), O_RDONLY);
  EXPECT_EQ(test::ReadFileBytes(path), bytes);
}

TEST(PosixPlatform, WriteAccessIsAskedOnlyWhenWanted) {
  TempDir dir;
  const std::string path = dir.Write("rw.img", Pattern(8 * 512));
  PosixPlatform posix({{path, 512}}, false);
  ScopedPlatform use(posix);
  SessionGuard session;
  Disk disk{OpenDiskDevice(0, kKindHardDisk, kGenericRead | kGenericWrite)};
  ASSERT_NE(disk.device, nullptr);
  EXPECT_EQ(AccessModeOf(path), O_RDWR);
  alignas(4096) static std::array<std::uint8_t, 512> buffer;
  buffer.fill(0xEE);
  ASSERT_NE(TransferSectors(kRequestWrite, 2, 0, buffer.data(), 1, disk.device), 0);
  EXPECT_EQ(test::ReadFileBytes(path)[2 * 512 + 17], 0xEE);
}

TEST(PosixPlatform, Win9xPathReachesTheSameBytesThroughOurDkhlp32) {
  TempDir dir;
  const auto bytes = Pattern(64 * 512);
  const std::string path = dir.Write("dk.img", bytes);
  PosixPlatform posix({{path, 512}}, true);
  ScopedPlatform use(posix);
  SessionGuard session;
  ASSERT_EQ(Session().osClass, kOsWin9x);
  Disk disk{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};
  ASSERT_NE(disk.device, nullptr);
  EXPECT_EQ(disk.device->handle, 0u);
  DriveGeometry g;
  ASSERT_NE(GetDriveGeometry(disk.device, g), 0);
  EXPECT_EQ(g.totalSectors, 64u);
  alignas(4096) static std::array<std::uint8_t, 65 * 512> buffer;
  ASSERT_NE(ReadSectors(0, 0, buffer.data() + 3, 64, disk.device), 0);
  EXPECT_EQ(0, std::memcmp(buffer.data() + 3, bytes.data(), bytes.size()));
  EXPECT_EQ(ReadSectors(63, 0, buffer.data(), 2, disk.device), 0);
  EXPECT_EQ(AccessModeOf(path), O_RDONLY);
}

// Runs a command and gives its first output line.
std::string FirstLine(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char line[512];
    if (std::fgets(line, sizeof line, p) != nullptr) out = line;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

TEST(PosixPlatform, BlockDeviceReportsTheKernelsLogicalSectorSize) {
  if (geteuid() != 0) GTEST_SKIP() << "loop devices need root";
  TempDir dir;
  const auto bytes = Pattern(256 * 4096);
  const std::string path = dir.Write("loop.img", bytes);
  const std::string loop =
      FirstLine("losetup --find --show --read-only --sector-size 4096 " + path + " 2>/dev/null");
  if (loop.rfind("/dev/loop", 0) != 0) GTEST_SKIP() << "no loop device could be attached here";
  {
    PosixPlatform posix({{loop, 512}}, false);  // the suffix is for images only
    ScopedPlatform use(posix);
    SessionGuard session;
    Disk disk{OpenDiskDevice(0, kKindHardDisk, kGenericRead)};
    ASSERT_NE(disk.device, nullptr);
    EXPECT_EQ(disk.device->sectorSize, 4096);
    DriveGeometry g;
    ASSERT_NE(GetDriveGeometry(disk.device, g), 0);
    EXPECT_EQ(g.totalSectors, 256u);
    alignas(4096) static std::array<std::uint8_t, 8192> buffer;
    ASSERT_NE(ReadSectors(100, 0, buffer.data(), 2, disk.device), 0);
    EXPECT_EQ(0, std::memcmp(buffer.data(), bytes.data() + 100 * 4096, 8192));
  }
  std::system(("losetup -d " + loop).c_str());
}

}  // namespace
}  // namespace disklens
