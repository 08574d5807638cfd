// Text taken from the disk that holds escape sequences and other control
// bytes: each such byte prints as "?", so that no disk can drive the terminal.
#include <gtest/gtest.h>

#include <string>

#include "bootsector/example_lines.h"
#include "hostile/expected_text.h"
#include "hostile/hostile_check.h"

namespace disklens::test::hostile {
namespace {

TEST(HostileControlBytes, BootSectorTextPrintsControlBytesAsQuestionMarks) {
  const std::string fat16 = Replaced(
      Replaced(Replaced(kFat16ExampleLines, "OEM Name: FORMAT01", "OEM Name: ?[2J?[H?"),
               "Volume Label: SHAREDFILES", "Volume Label: ?]0;pwned??"),
      "FS Type: FAT16   ", "FS Type: FAT?????");
  const std::string ntfs = Replaced(kNtfsExampleLines, "OEM Name: NTFS    ", "OEM Name: NTFS?[1m");
  const std::string fat32 = Replaced(
      Replaced(Replaced(kFat32ExampleLines, "Volume Label: SHAREDFILES (SHAREDFILES)",
                        "Volume Label: ?[31mRED?[0 (?[31mRED?[0)"),
               "FS Type: FAT32    (FAT32   )", "FS Type: FAT32\?\?\? (FAT32\?\?\?)"),
      "FS Bkup Sec: 6 (6)", "FS Bkup Sec: 65535 (65535)");
  const std::string expected =
      R"(
======================================================================
           MBR Partition Information (HD0 - 0x1B1B1B1B)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 |  6 | 1023 254 63 |         40 |          8 |
| 1: |  0 | 1023 254 63 |  7 | 1023 254 63 |         48 |          8 |
| 2: |  0 | 1023 254 63 |  b | 1023 254 63 |         56 |          8 |
| 3: |  0 | 1023 254 63 | da | 1023 254 63 |         64 |          8 |
+====+====+=============+====+=============+============+============+)" +
      kBootHeading + "\nFile System ID: 0x6   LBA: 40  Total Sectors: 8   ID: 0x1" + fat16 +
      kBootRule + "\nFile System ID: 0x7   LBA: 48  Total Sectors: 8   ID: 0x2" + ntfs + kBootRule +
      "\nFile System ID: 0xB   LBA: 56  Total Sectors: 8   ID: 0x3" + fat32 + kBootRule +
      "\nFile System ID: 0xDA   LBA: 64  Total Sectors: 8   ID: 0x4" + Field("Image Label", "?[0m") +
      Field("Total Sectors (Uncomp)", "7") + Field("Flag", "0x0") + Field("Unused Bytes LS", "0") +
      Field("FS", "0") + Field("DFS", "0") + Field("Total Sectors (Comp)", "0") + kBootRule;
  ExpectReport(ControlBytesInBootSectors(), expected);
}

TEST(HostileControlBytes, EmbrNamesPrintControlBytesAsQuestionMarks) {
  const std::string expected = R"(
======================================================================
           MBR Partition Information (HD0 - 0x00000000)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     1   Min SPT:   63   Sectors:  62   SSize:   512
  Last Cyl: 1023   Last Hd:  254   SPT:      63
-------------------------------------------------------------------------------
                MPT Found:  Revision: 1,  Number of Entries: 1 Flag: 0
-------------------------------------------------------------------------------
  0: ?[2J?[HCLEAR???? Flag:    0 Start:       100 End:       199 FS: 83 ID: 1
-------------------------------------------------------------------------------
                MBFT Found: Revision: 1,  Number of Entries: 1
-------------------------------------------------------------------------------
  0: ???BELL?c        LoadSeg:    0 CodeSeg:    0:   0 NumSecs:   0 Alloc:  0 ID: 0
-------------------------------------------------------------------------------
                MDT Found:  Revision: 1,  Number of Entries: 1
-------------------------------------------------------------------------------
  0: ?]2;title??????? Flag:  1 Start:         0 NumSecs:   0 Alloc:  0 ID: 0
===============================================================================)";
  ExpectReport(ControlBytesInEmbrNames(), expected);
}

// The names are converted from UTF-16 and cut to 23 columns; U+009B, the
// one-byte CSI of 8-bit terminals, is a control too. The third partition
// starts past the end of the disk: its probe fails, and it is printed all the same.
TEST(HostileControlBytes, GptNamesPrintControlsAsQuestionMarks) {
#if defined(_WIN32)
  GTEST_SKIP() << "names pass through the console's code page on Windows, not UTF-8";
#endif
  const std::string basic = "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}";
  const std::string expected =
      std::string(R"(
======================================================================
           MBR Partition Information (HD0 - 0x00000000)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 | ee | 1023 254 63 |          1 |        255 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+

===============================================================================
            GPT Found (HD0) {5A1F2C3D-4B5E-4F60-8172-93A4B5C6D7E8}
-------------------------------------------------------------------------------
 Revision: 10000   Hdr Size: 92   Max Entries: 128    PE Size: 128  PE LBA: 2
 Primary LBA: 1                  Backup LBA: 255             
  FAvail LBA: 34                 LAvail LBA: 222             
-------------------------------------------------------------------------------
  Num            Name                Attr            Start            End                     GUID Type                                 GUID
 ----- ----------------------- ---------------- --------------- --------------- --------------------------------------  --------------------------------------)") +
      "\n    0  ?[2J?bell" + std::string(14 + 1 + 15, ' ') + "0" + std::string(12, ' ') + "200" +
      std::string(13, ' ') + "209  " + basic + "  {6C7D8E9F-A0B1-42C3-94D5-E6F708192A3B}" +
      "\n    1  ?31m?x" + std::string(17 + 1 + 15, ' ') + "0" + std::string(12, ' ') + "210" +
      std::string(13, ' ') + "219  " + basic + "  {0D3E5F71-9A2B-4C3D-8E4F-50617283A4B5}" +
      "\n    2  " + std::string(23, '?') + std::string(1 + 15, ' ') + "0" + std::string(8, ' ') +
      "1000000" + std::string(9, ' ') + "1000099  " + basic +
      "  {4B5C6D7E-8F90-41A2-B3C4-D5E6F7081929}" +
      "\n===============================================================================";
  ExpectReport(ControlBytesInGptNames(), expected);
}

}  // namespace
}  // namespace disklens::test::hostile
