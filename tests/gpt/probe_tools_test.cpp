// File systems made at run time by their own tools, probed as partitions, with
// what blkid says of each image as the reference.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk/session.h"
#include "gpt/probe.h"
#include "gpt/probe_kinds.h"
#include "platform/posix_platform.h"
#include "probe_family.h"
#include "probe_support.h"

namespace disklens {
namespace {

using test::HasTool;
using test::Output;
using test::ProbeDisk;
using test::RunQuiet;
using test::TempDir;

struct MadeFs {
  const char* name;
  const char* tool;
  const char* make;  // shell command; IMG is the image file
  const char* family;
  std::uint32_t sectorSize;
};

const MadeFs kMade[] = {
    {"fat12", "mkfs.vfat", "mkfs.vfat -F 12 -C IMG 4096", "vfat", 512},
    {"fat16", "mkfs.vfat", "mkfs.vfat -F 16 -C IMG 32768", "vfat", 512},
    {"fat32", "mkfs.vfat", "mkfs.vfat -F 32 -C IMG 65536", "vfat", 512},
    {"ntfs", "mkfs.ntfs", "truncate -s 16M IMG && mkfs.ntfs -F -f -q IMG", "ntfs", 512},
    {"exfat", "mkfs.exfat", "truncate -s 16M IMG && mkfs.exfat IMG", "exfat", 512},
    {"ext2", "mkfs.ext2", "mkfs.ext2 -q -F IMG 8M", "ext2", 512},
    {"ext3", "mkfs.ext3", "mkfs.ext3 -q -F IMG 8M", "ext3", 512},
    {"ext4", "mkfs.ext4", "mkfs.ext4 -q -F IMG 8M", "ext4", 512},
    {"xfs", "mkfs.xfs", "truncate -s 300M IMG && mkfs.xfs -q -f IMG", "xfs", 512},
    {"reiserfs", "mkreiserfs", "truncate -s 64M IMG && mkreiserfs -f -q IMG", "reiserfs", 512},
    {"swap", "mkswap", "truncate -s 1M IMG && mkswap IMG", "swap", 512},
    // 4,096-byte sectors.
    {"fat32-4k", "mkfs.vfat", "mkfs.vfat -F 32 -S 4096 -C IMG 262144", "vfat", 4096},
    {"ntfs-4k", "mkfs.ntfs", "truncate -s 16M IMG && mkfs.ntfs -F -f -q -s 4096 IMG", "ntfs", 4096},
    {"ext4-4k", "mkfs.ext4", "mkfs.ext4 -q -F -b 4096 IMG 8M", "ext4", 4096},
    {"xfs-4k", "mkfs.xfs", "truncate -s 300M IMG && mkfs.xfs -q -f -s size=4096 IMG", "xfs",
     4096},
    {"swap-4k", "mkswap", "truncate -s 1M IMG && mkswap IMG", "swap", 4096},
};

std::string WithImage(std::string command, const std::string& image) {
  for (std::size_t at; (at = command.find("IMG")) != std::string::npos;) {
    command.replace(at, 3, "'" + image + "'");
  }
  return command;
}

class MadeFileSystem : public testing::TestWithParam<MadeFs> {};

TEST_P(MadeFileSystem, IsProbedToTheIdOfItsBlkidFamily) {
  const MadeFs& fs = GetParam();
  if (!HasTool(fs.tool)) GTEST_SKIP() << fs.tool << " is not installed";
  if (!HasTool("blkid")) GTEST_SKIP() << "blkid is not installed";
  TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string image = dir.File("fs.img");
  ASSERT_TRUE(RunQuiet(WithImage(fs.make, image))) << WithImage(fs.make, image);

  const std::string udev = Output("blkid -p -o udev '" + image + "'");
  const std::string family = test::UdevValue(udev, "ID_FS_TYPE");
  ASSERT_EQ(family, fs.family) << udev;
  const test::Expected want = test::ExpectedFor(family, test::UdevValue(udev, "ID_FS_VERSION"));

  // The image's head, as a partition a little way into a disk.
  const std::uint64_t start = fs.sectorSize == 512 ? 2048 : 256;
  const std::vector<std::uint8_t> head = test::ReadHead(image, 1u << 20);
  ProbeDisk d(start * fs.sectorSize + (2u << 20), fs.sectorSize);
  d.Place(start, head);
  const ProbeResult r = ProbePartition(d.Device(), start);
  EXPECT_EQ(r.status, kProbeOk);
  EXPECT_EQ(r.kind, want.kind) << family;
  std::uint16_t id = 0xFFFF;
  EXPECT_EQ(ProbePartitionType(d.Device(), static_cast<std::uint32_t>(start), 0, id), kProbeOk);
  EXPECT_EQ(id, want.id) << family;
}

INSTANTIATE_TEST_SUITE_P(Tools, MadeFileSystem, testing::ValuesIn(kMade),
                         [](const testing::TestParamInfo<MadeFs>& p) {
                           std::string name = p.param.name;
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

// The real back end over an image file: a disk of 4,096-byte sectors with an
// ext4 partition at LBA 256 and a swap partition at LBA 2048.
TEST(ProbeOverImageFile, FindsExt4AndSwapOnADiskOf4096ByteSectors) {
  if (!HasTool("mkfs.ext4") || !HasTool("mkswap")) GTEST_SKIP() << "mkfs.ext4 or mkswap missing";
  TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string disk = dir.File("disk.img");
  const std::string ext = dir.File("ext.img");
  const std::string swap = dir.File("swap.img");
  ASSERT_TRUE(RunQuiet("mkfs.ext4 -q -F -b 4096 '" + ext + "' 4M"));
  ASSERT_TRUE(RunQuiet("truncate -s 1M '" + swap + "' && mkswap '" + swap + "'"));
  ASSERT_TRUE(RunQuiet("truncate -s 16M '" + disk + "'"));
  ASSERT_TRUE(RunQuiet("dd if='" + ext + "' of='" + disk + "' bs=4096 seek=256 conv=notrunc"));
  ASSERT_TRUE(RunQuiet("dd if='" + swap + "' of='" + disk + "' bs=4096 seek=2048 conv=notrunc"));

  PosixPlatform posix({DiskSource{disk, 4096}}, false);
  SetPlatform(&posix);
  StartDiskAccess(1);
  DiskDevice* device = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->sectorSize, 4096);
  std::uint16_t id = 0;
  EXPECT_EQ(ProbePartitionType(device, 256, 0, id), kProbeOk);
  EXPECT_EQ(id, 0x83);
  EXPECT_EQ(ProbePartitionType(device, 2048, 0, id), kProbeOk);
  EXPECT_EQ(id, 0x82);
  EXPECT_EQ(ProbePartitionType(device, 1024, 0, id), kProbeOk);  // zeros
  EXPECT_EQ(id, 0);
  CloseDiskDevice(device);
  EndDiskAccess();
  SetPlatform(nullptr);
}

}  // namespace
}  // namespace disklens
