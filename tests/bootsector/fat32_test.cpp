// The FAT32 decoder beside its backup copy, through the section that places
// the backup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bootsector/example_lines.h"
#include "bootsector/example_sectors.h"
#include "bootsector/fat32_backup.h"
#include "bootsector/section_harness.h"

namespace disklens {
namespace {

using test::DiskImage;
using test::SectionHarness;

const std::string kRule =
    "\n-------------------------------------------------------------------------------";
const std::string kHeading = "\n                           BOOT SECTOR INFORMATION" + kRule;
const std::string kRowLine = "\nFile System ID: 0xC   LBA: 2048  Total Sectors: 20971520   ID: 0x1";

constexpr std::uint32_t kLba = 2048;

// A disk with the example sector at kLba and an identical backup at kLba + 6.
DiskImage Fat32Disk(std::uint32_t sectorSize = 512) {
  DiskImage disk(static_cast<std::size_t>(kLba + 64) * sectorSize, sectorSize);
  test::WriteFat32Example(disk, kLba);
  test::WriteFat32Example(disk, kLba + 6);
  return disk;
}

std::string RunRow(SectionHarness& h, const DiskImage& disk) {
  h.UseDisk(disk);
  h.Add(0x0C, 1, 20971520, kLba);
  return h.Run();
}

bool Has(const std::string& text, const std::string& line) {
  return text.find("\n" + line + "\n") != std::string::npos;
}

TEST(Fat32BootSector, WorkedExampleWithAnIdenticalBackup) {
  SectionHarness h;
  EXPECT_EQ(RunRow(h, Fat32Disk()), kHeading + kRowLine + test::kFat32ExampleLines + kRule);
  EXPECT_EQ(h.ReadLbas(), (std::vector<std::uint64_t>{kLba, kLba + 6}));
}

TEST(Fat32BootSector, BackupThatDiffersShowsItsOwnValues) {
  DiskImage disk = Fat32Disk();
  const std::uint64_t b = (kLba + 6) * 512;
  disk.Text(b + 0x03, "MSWIN4.1");
  disk.U16(b + 0x1A, 16);
  disk.U32(b + 0x43, 0xDEADBEEF);
  disk.U8(b + 0x55, 0);  // "FAT" and a zero
  disk.U16(b + 0x1FE, 0);
  SectionHarness h;
  const std::string text = RunRow(h, disk);
  EXPECT_TRUE(Has(text, "                      OEM Name: FORMAT01 (MSWIN4.1)")) << text;
  EXPECT_TRUE(Has(text, "                         Heads: 255 (16)"));
  EXPECT_TRUE(Has(text, "                        Vol ID: 0x1A2B3C4D (0xDEADBEEF)"));
  EXPECT_TRUE(Has(text, "                       FS Type: FAT32    (FAT)"));
  EXPECT_TRUE(text.ends_with("\n                     Boot Flag: 0xAA55 (0x0)" + kRule));
}

TEST(Fat32BootSector, BackupNumberZeroMeansSectorSix) {
  DiskImage disk = Fat32Disk();
  disk.U16(kLba * 512 + 0x32, 0);
  disk.U16((kLba + 6) * 512 + 0x1A, 240);
  SectionHarness h;
  const std::string text = RunRow(h, disk);
  EXPECT_EQ(h.ReadLbas(), (std::vector<std::uint64_t>{kLba, kLba + 6}));
  EXPECT_TRUE(Has(text, "                         Heads: 255 (240)")) << text;
  EXPECT_TRUE(Has(text, "                   FS Bkup Sec: 0 (6)"));
}

TEST(Fat32BootSector, BackupNumberFfffRepeatsThePrimaryWithoutARead) {
  DiskImage disk = Fat32Disk();
  disk.U16(kLba * 512 + 0x32, 0xFFFF);
  disk.U32(kLba * 512 + 0x2C, 0xF0000002);  // upper 4 bits are not part of the cluster
  disk.U16((kLba + 6) * 512 + 0x1A, 240);   // must not show
  SectionHarness h;
  const std::string text = RunRow(h, disk);
  EXPECT_EQ(h.ReadLbas(), (std::vector<std::uint64_t>{kLba}));
  EXPECT_TRUE(Has(text, "                         Heads: 255 (255)")) << text;
  EXPECT_TRUE(Has(text, "                   FS Bkup Sec: 65535 (65535)"));
  EXPECT_TRUE(Has(text, "                Root Dir Clust: 2 (4026531842)"));
  EXPECT_TRUE(Has(text, "                  Volume Label: SHAREDFILES (SHAREDFILES)"));
}

TEST(Fat32BootSector, UnreadableBackupIsSilentAndShowsZeros) {
  SectionHarness h;
  DiskImage disk = Fat32Disk();
  h.UseDisk(disk).failingLbas = {kLba + 6};
  h.Add(0x0C, 1, 20971520, kLba);
  EXPECT_EQ(h.Run(), kHeading + kRowLine + test::Fat32LinesWithZeroBackup("6") + kRule);
  const std::uint8_t* area = h.WorkBuffer() + kBackupAreaOffset;
  EXPECT_EQ(std::vector<std::uint8_t>(area, area + kBackupAreaSize),
            std::vector<std::uint8_t>(kBackupAreaSize, 0));
}

TEST(Fat32BootSector, RootClusterMaskAndWideReservedWords) {
  DiskImage disk = Fat32Disk();
  for (const std::uint32_t lba : {kLba, kLba + 6}) {
    const std::uint64_t o = static_cast<std::uint64_t>(lba) * 512;
    disk.U32(o + 0x2C, 0x10000007);
    const std::uint16_t words[] = {0x1234, 0xAB, 0, 0xFFFF, 5, 0x100};
    for (std::uint64_t i = 0; i < 6; ++i) disk.U16(o + 0x34 + 2 * i, words[i]);
    disk.Text(o + 0x03, "AB\x1b[2J\x7f");  // control bytes print as "?"
  }
  SectionHarness h;
  const std::string text = RunRow(h, disk);
  EXPECT_TRUE(Has(text, "                Root Dir Clust: 7 (268435463)")) << text;
  EXPECT_TRUE(Has(text, "                      Reserved: 1234 AB  0 FFFF  5 100"));
  EXPECT_TRUE(Has(text, "                      OEM Name: AB?[2J?1 (AB?[2J?1)"));
}

// Sectors larger than the BackupArea: the backup goes behind the primary,
// both keep their own values, and nothing is written past the WorkBuffer.
TEST(Fat32BootSector, LargeSectorsKeepPrimaryAndBackupApart) {
  for (const std::uint32_t sectorSize : {4096u, 8192u, 32768u}) {
    DiskImage disk = Fat32Disk(sectorSize);
    const std::uint64_t p = static_cast<std::uint64_t>(kLba) * sectorSize;
    const std::uint64_t b = static_cast<std::uint64_t>(kLba + 6) * sectorSize;
    disk.U16(p + 0x0B, static_cast<std::uint16_t>(sectorSize));
    disk.U16(b + 0x1A, 16);
    disk.U32(b + 0x43, 0xDEADBEEF);
    SectionHarness h;
    const std::string text = RunRow(h, disk);
    EXPECT_TRUE(Has(text, "                 Bytes Per Sec: " + std::to_string(sectorSize) +
                              " (512)"))
        << text;
    EXPECT_TRUE(Has(text, "                         Heads: 255 (16)"));
    EXPECT_TRUE(Has(text, "                        Vol ID: 0x1A2B3C4D (0xDEADBEEF)"));
  }
}

}  // namespace
}  // namespace disklens
