// The NTFS decoder and the image trailer decoder.
#include <gtest/gtest.h>

#include <string>

#include "bootsector/example_sectors.h"
#include "bootsector/fat_boot_sector.h"
#include "bootsector/image_trailer.h"
#include "bootsector/ntfs_boot_sector.h"
#include "bootsector/section_harness.h"

namespace disklens {
namespace {

using test::DiskImage;
using test::SectionHarness;

const std::string kRule =
    "\n-------------------------------------------------------------------------------";
const std::string kHeading = "\n                           BOOT SECTOR INFORMATION" + kRule;

std::string Decode(void (*decoder)(ByteView), const DiskImage& sector) {
  test::CapturedOutput out;
  decoder(ByteView{sector.Bytes().data(), sector.Bytes().size()});
  return out.Text();
}

bool Has(const std::string& text, const std::string& line) {
  return (text + "\n").find("\n" + line + "\n") != std::string::npos;
}

TEST(NtfsBootSector, WorkedExampleThroughTheSection) {
  DiskImage disk(4096 * 512);
  test::WriteNtfsExample(disk, 2048);
  SectionHarness h;
  h.UseDisk(disk);
  h.Add(0x07, 2, 204800000, 2048);
  EXPECT_EQ(h.Run(), kHeading +
                         "\nFile System ID: 0x7   LBA: 2048  Total Sectors: 204800000   ID: 0x2" +
                         R"(
                          Jump: EB 52 90
                      OEM Name: NTFS    
                 Bytes Per Sec: 512
                 Sec Per Clust: 8
                   Res Sectors: 0
                        Zero 1: 0x0
                        Zero 2: 0x0
                          NA 1: 0x0
                         Media: 0xF8
                        Zero 3: 0x0
                 Sec Per Track: 63
                         Heads: 255
                   Hidden Secs: 2048
                          NA 2: 0x0
                          NA 3: 0x800080
                 Total Sectors: 0x00C34FFFF
                       MFT LCN: 0x0000C0000
                  MFT Mirr LCN: 0x000000002
                 Clust Per FRS: 0xF6
              Clust Per IBlock: 0x1
                     Volume SN: 0x2C4A8E21D3F41B07
                      Checksum: 0x0
                     Boot Flag: 0xAA55)" + kRule);
}

TEST(NtfsBootSector, SixtyFourBitFieldsSpellTheWholeValue) {
  DiskImage sector(512);
  sector.Text(3, "NTFS");
  sector.U64(0x28, 0x100000005);          // high half 1
  sector.U64(0x30, 0x0);                  // both halves zero
  sector.U64(0x38, 0xFFFFFFFF00000000);   // low half all zeros
  sector.U64(0x48, 0x2C4A8E2100001B07);   // zeros at the front of the low half stay
  const std::string text = Decode(PrintNtfsBootSector, sector);
  EXPECT_TRUE(Has(text, "                 Total Sectors: 0x100000005")) << text;
  EXPECT_TRUE(Has(text, "                       MFT LCN: 0x000000000"));
  EXPECT_TRUE(Has(text, "                  MFT Mirr LCN: 0xFFFFFFFF00000000"));
  EXPECT_TRUE(Has(text, "                     Volume SN: 0x2C4A8E2100001B07"));
}

TEST(NtfsBootSector, ClustersPerRecordIsPrintedRawWithTheBytesBehindIt) {
  DiskImage sector(512);
  sector.U32(0x40, 0x0102A0F6);
  sector.U32(0x44, 0x000000F6);
  sector.U16(0x11, 0xBEEF);  // odd offset, 16 bits
  sector.U32(0x50, 0x80000001);
  const std::string text = Decode(PrintNtfsBootSector, sector);
  EXPECT_TRUE(Has(text, "                 Clust Per FRS: 0x102A0F6")) << text;
  EXPECT_TRUE(Has(text, "              Clust Per IBlock: 0xF6"));
  EXPECT_TRUE(Has(text, "                        Zero 2: 0xBEEF"));
  EXPECT_TRUE(Has(text, "                      Checksum: 0x80000001"));
}

TEST(ImageTrailer, PackedFieldsAndAFullLabel) {
  DiskImage sector(512);
  sector.Text(0, "IMG1");
  sector.U32(0x04, 0x00010203);  // not zero right behind the label
  sector.U16(0x08, 0xA5C3);
  sector.U16(0x0A, 511);
  sector.U8(0x0C, 200);
  sector.U8(0x0D, 7);
  sector.U32(0x0E, 0x11223344);  // across the 4-byte boundary at 0x10
  EXPECT_EQ(Decode(PrintImageTrailer, sector), R"(
                   Image Label: IMG1
        Total Sectors (Uncomp): 66051
                          Flag: 0xA5C3
               Unused Bytes LS: 511
                            FS: 200
                           DFS: 7
          Total Sectors (Comp): 287454020)");
}

TEST(ImageTrailer, SectorOfZerosAndALabelWithAControlByte) {
  DiskImage zeros(512);
  EXPECT_EQ(Decode(PrintImageTrailer, zeros), R"(
                   Image Label: 
        Total Sectors (Uncomp): 0
                          Flag: 0x0
               Unused Bytes LS: 0
                            FS: 0
                           DFS: 0
          Total Sectors (Comp): 0)");
  DiskImage label(512);
  label.Text(0, "A\x1b" "B");
  EXPECT_TRUE(Has(Decode(PrintImageTrailer, label), "                   Image Label: A?B"));
}

TEST(FatBootSector, SectorOfZerosAndFieldsAtOddOffsets) {
  DiskImage zeros(512);
  const std::string text = Decode(PrintFatBootSector, zeros);
  EXPECT_TRUE(Has(text, "                          Jump: 0 0 0")) << text;
  EXPECT_TRUE(Has(text, "                      OEM Name: "));
  EXPECT_TRUE(Has(text, "                  Volume Label: "));
  EXPECT_TRUE(Has(text, "                     Boot Flag: 0x0"));

  DiskImage sector(512);
  sector.U16(0x11, 0x1234);
  sector.U16(0x13, 0xFEDC);
  sector.U32(0x27, 0x0000BEEF);
  sector.Text(0x03, "MS");  // then zeros
  sector.Text(0x2B, "NO NAME    ");
  const std::string odd = Decode(PrintFatBootSector, sector);
  EXPECT_TRUE(Has(odd, "                 Root Dir Ents: 4660")) << odd;
  EXPECT_TRUE(Has(odd, "                       Sectors: 65244"));
  EXPECT_TRUE(Has(odd, "                        Vol ID: 0xBEEF"));
  EXPECT_TRUE(Has(odd, "                      OEM Name: MS"));
  EXPECT_TRUE(Has(odd, "                  Volume Label: NO NAME    "));
}

}  // namespace
}  // namespace disklens
