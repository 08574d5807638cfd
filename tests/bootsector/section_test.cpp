#include "bootsector/boot_sector_section.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bootsector/example_sectors.h"
#include "bootsector/section_harness.h"

namespace disklens {
namespace {

using test::DiskImage;
using test::SectionHarness;

const std::string kRule =
    "\n-------------------------------------------------------------------------------";
const std::string kHeading = "\n                           BOOT SECTOR INFORMATION" + kRule;

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(BootSectorSection, WorkedExampleOfAFat16RowAndAnUnreadableRow) {
  DiskImage disk(128 * 512);
  test::WriteFat16Example(disk, 63);
  SectionHarness h;
  h.UseDisk(disk);
  h.Add(0x06, 1, 4192902, 63);
  h.Add(0x06, 0, 1000, 4192965);  // beyond the end of the disk: the read fails
  EXPECT_EQ(h.Run(), R"(
                           BOOT SECTOR INFORMATION
-------------------------------------------------------------------------------
File System ID: 0x6   LBA: 63  Total Sectors: 4192902   ID: 0x1
                          Jump: EB 3C 90
                      OEM Name: FORMAT01
                 Bytes Per Sec: 512
                 Sec Per Clust: 64
                   Res Sectors: 1
                      Num FATs: 2
                 Root Dir Ents: 512
                       Sectors: 0
                         Media: 0xF8
                  Secs Per FAT: 256
                 Sec Per Track: 63
                         Heads: 255
                   Hidden Secs: 63
                  Huge Sectors: 4192902
                     Drive Num: 0x80
                           Res: 0x0
                           Sig: 0x29
                        Vol ID: 0x5C2E1A07
                  Volume Label: SHAREDFILES
                       FS Type: FAT16   
                     Boot Flag: 0xAA55
-------------------------------------------------------------------------------
Error reading LBA 4192965
-------------------------------------------------------------------------------)");
}

TEST(BootSectorSection, EmptyListPrintsAndReadsNothing) {
  SectionHarness h;
  h.UseDisk(DiskImage(64 * 512));
  EXPECT_EQ(h.Run(), "");
  EXPECT_EQ(h.fake.Count("ReadFile"), 0u);
}

// Each ID goes to its decoder, told apart by a label only that decoder prints.
TEST(BootSectorSection, DispatchesEveryAcceptedIdToItsDecoder) {
  struct Case {
    std::uint8_t id;
    const char* label;
  };
  const char* fat = "\n                           Sig: ";  // FAT32 has "Boot Sig"
  const char* ntfs = "Zero 1: ";
  const char* fat32 = "Huge Secs Per FAT: ";
  const char* trailer = "Image Label: ";
  const std::vector<Case> cases = {
      {0x01, fat},   {0x04, fat},   {0x06, fat},   {0x0E, fat},     {0x11, fat},   {0x14, fat},
      {0x16, fat},   {0x1E, fat},   {0xDF, fat},   {0x07, ntfs},    {0x17, ntfs},  {0x0B, fat32},
      {0x0C, fat32}, {0x1B, fat32}, {0x1C, fat32}, {0xDA, trailer},
  };
  const char* labels[] = {fat, ntfs, fat32, trailer};
  for (const Case& c : cases) {
    DiskImage disk(64 * 512);
    disk.Text(10 * 512 + 3, "NTFS");
    SectionHarness h;
    h.UseDisk(disk);
    h.Add(c.id, 0, 4, 10);
    const std::string text = h.Run();
    for (const char* label : labels) {
      EXPECT_EQ(Occurrences(text, label), std::string(label) == c.label ? 1u : 0u)
          << "ID 0x" << std::hex << int{c.id} << " label " << label;
    }
  }
}

TEST(BootSectorSection, NtfsIdWithoutTheMarkIsDecodedAsFat) {
  DiskImage disk(64 * 512);
  test::WriteFat16Example(disk, 8);
  disk.Text(8 * 512 + 3, "EXFAT   ");
  SectionHarness h;
  h.UseDisk(disk);
  h.Add(0x07, 2, 100, 8);
  const std::string text = h.Run();
  EXPECT_NE(text.find("\nFile System ID: 0x7   LBA: 8  Total Sectors: 100   ID: 0x2\n"
                      "                          Jump: EB 3C 90\n"
                      "                      OEM Name: EXFAT   \n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("                           Sig: 0x29"), std::string::npos);
}

TEST(BootSectorSection, IdTailOnlyForNonZeroIds) {
  DiskImage disk(64 * 512);
  SectionHarness h;
  h.UseDisk(disk);
  h.Add(0xDA, 0, 0, 5);       // a GPT entry at index 0
  h.Add(0xDA, 0x1234, 0, 6);  // "/all" id of a chain entry
  EXPECT_EQ(h.Run(), kHeading +
                         "\nFile System ID: 0xDA   LBA: 5  Total Sectors: 0" + kRule +
                         "\nFile System ID: 0xDA   LBA: 6  Total Sectors: 0   ID: 0x1234" +
                         kRule);
}

TEST(BootSectorSection, ImageTrailerComesFromThePartitionsLastSector) {
  DiskImage disk(64 * 512);
  disk.Text(10 * 512, "FRST");  // the first sector is read, not decoded
  disk.Text(19 * 512, "LAST");
  disk.U32(19 * 512 + 4, 77);
  SectionHarness h;
  h.UseDisk(disk);
  h.Add(0xDA, 3, 10, 10);
  const std::string text = h.Run();
  EXPECT_EQ(h.ReadLbas(), (std::vector<std::uint64_t>{10, 19}));
  EXPECT_EQ(text, kHeading + "\nFile System ID: 0xDA   LBA: 10  Total Sectors: 10   ID: 0x3" +
                      "\n                   Image Label: LAST" +
                      "\n        Total Sectors (Uncomp): 77" +
                      "\n                          Flag: 0x0" +
                      "\n               Unused Bytes LS: 0" +
                      "\n                            FS: 0" +
                      "\n                           DFS: 0" +
                      "\n          Total Sectors (Comp): 0" + kRule);
}

TEST(BootSectorSection, ImageTrailerThatCannotBeReadOrHasNoSectorsShowsOnlyTheRowLine) {
  DiskImage disk(64 * 512);
  SectionHarness h;
  h.UseDisk(disk).failingLbas = {29};
  h.Add(0xDA, 0, 10, 20);  // last sector 29 fails
  h.Add(0xDA, 0, 0, 30);   // no last sector: LBA 29 would be the one before it
  h.Add(0xDA, 0, 5, 29);   // first sector fails: the last one is never tried
  EXPECT_EQ(h.Run(), kHeading + "\nFile System ID: 0xDA   LBA: 20  Total Sectors: 10" + kRule +
                         "\nFile System ID: 0xDA   LBA: 30  Total Sectors: 0" + kRule +
                         "\nError reading LBA 29" + kRule);
  EXPECT_EQ(h.ReadLbas(), (std::vector<std::uint64_t>{20, 29, 30, 29}));
}

TEST(BootSectorSection, FullListIsPrintedInFull) {
  DiskImage disk(300 * 512);
  SectionHarness h;
  h.UseDisk(disk);
  for (std::uint32_t i = 0; i < 256; ++i) h.Add(0x06, 0, 1, i + 1);
  const std::string text = h.Run();
  EXPECT_EQ(Occurrences(text, "\nFile System ID: 0x6   LBA: "), 255u);
  EXPECT_EQ(Occurrences(text, kRule), 256u);
  EXPECT_NE(text.find("LBA: 1  Total"), std::string::npos);
  EXPECT_NE(text.find("LBA: 255  Total"), std::string::npos);
  EXPECT_EQ(text.find("LBA: 256  Total"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - kRule.size()), kRule);
}

// A disk with 256-byte sectors: the decoder sees 256 bytes, and the fields
// beyond them print as 0 rather than what the WorkBuffer held before.
TEST(BootSectorSection, ShortSectorShowsNothingBeyondWhatWasRead) {
  DiskImage disk(64 * 256, 256);
  test::WriteFat16Example(disk, 4);
  SectionHarness h;
  h.UseDisk(disk);
  h.Add(0x06, 0, 8, 4);
  const std::string text = h.Run();
  EXPECT_NE(text.find("\n                  Volume Label: SHAREDFILES"), std::string::npos);
  // The example's 0xAA55 lies in the next 256-byte sector, never read.
  EXPECT_TRUE(text.ends_with("\n                     Boot Flag: 0x0" + kRule)) << text;
}

}  // namespace
}  // namespace disklens
