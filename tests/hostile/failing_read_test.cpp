// A sector that fails to read at each step of the pass: sector 0, the EMBR
// read, the GPT read, an EBR, a probe read, a boot sector, a FAT32 backup and
// the last sector of an image partition. Each failure leaves out exactly its
// own section or row, as the full report of the same disk shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bootsector/example_lines.h"
#include "hostile/expected_text.h"
#include "hostile/hostile_check.h"

namespace disklens::test::hostile {
namespace {

// FullPass(): its MBR section, with the chain and without it.
const std::string kMbrHead = R"(
======================================================================
           MBR Partition Information (HD0 - 0xA1B2C3D4)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 |  c | 1023 254 63 |        200 |        100 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |        150 |         30 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+)";
const std::string kChain = R"(
| 0: |  0 | 1023 254 63 |  6 | 1023 254 63 |         10 |          8 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |)";
const std::string kMbrTail = R"(
            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 2: |  0 | 1023 254 63 | da | 1023 254 63 |        180 |         10 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)";
const std::string kEmbr = R"(

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     1   Min SPT:   63   Sectors:  62   SSize:   512
  Last Cyl: 1023   Last Hd:  254   SPT:      63
-------------------------------------------------------------------------------
                MPT Found:  Revision: 1,  Number of Entries: 1 Flag: 0
-------------------------------------------------------------------------------
  0: WINDOWS          Flag:    0 Start:       240 End:       249 FS:  7 ID: 5
-------------------------------------------------------------------------------
===============================================================================)";

const std::string kFat32Line = "\nFile System ID: 0xC   LBA: 200  Total Sectors: 100   ID: 0x1";
const std::string kFat16Line = "\nFile System ID: 0x6   LBA: 160  Total Sectors: 8";
const std::string kImageLine = "\nFile System ID: 0xDA   LBA: 180  Total Sectors: 10   ID: 0x3";
const std::string kTrailer = Field("Image Label", "DISK") + Field("Total Sectors (Uncomp)", "10") +
                             Field("Flag", "0x0") + Field("Unused Bytes LS", "0") +
                             Field("FS", "7") + Field("DFS", "0") +
                             Field("Total Sectors (Comp)", "0");
const std::string kNtfsRow = "\nFile System ID: 0x7   LBA: 240  Total Sectors: 10   ID: 0x5" +
                             kNtfsExampleLines + kBootRule;

const std::string kFat32Row = kFat32Line + kFat32ExampleLines + kBootRule;
const std::string kFat16Row = kFat16Line + kFat16ExampleLines + kBootRule;
const std::string kImageRow = kImageLine + kTrailer + kBootRule;
const std::string kMbr = kMbrHead + kChain + kMbrTail;

TEST(HostileFailingRead, NoSectorFails) {
  ExpectReport(FullPass(),
               kMbr + kEmbr + kBootHeading + kFat32Row + kFat16Row + kImageRow + kNtfsRow);
}

// Under "/all" the logical partition's id is 2 * 256 plus the byte at offset
// 512 of its EBR's read, 0 here.
TEST(HostileFailingRead, NoSectorFailsUnderAll) {
  const std::string fat16Row = kFat16Line + "   ID: 0x200" + kFat16ExampleLines + kBootRule;
  ExpectReport(FullPass(),
               kMbr + kEmbr + kBootHeading + kFat32Row + fat16Row + kImageRow + kNtfsRow, true);
}

// A failing sector of FullPass(), and the report that the failure leaves.
struct FailingSector { const char* name; std::uint64_t lba; std::string report; };

class HostileFailingSector : public ::testing::TestWithParam<FailingSector> {};

TEST_P(HostileFailingSector, LeavesOutExactlyItsOwnSectionOrRow) {
  ExpectReport(Failing(FullPass(), GetParam().lba), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    HostileFailingRead, HostileFailingSector,
    ::testing::Values(
        FailingSector{"SectorZeroLeavesOutTheMbrSectionAndItsRows", 0,
                      kEmbr + kBootHeading + kNtfsRow},
        FailingSector{"ASectorOfTheEmbrReadLeavesOutTheEmbrSectionAndItsRow", 30,
                      kMbr + kBootHeading + kFat32Row + kFat16Row + kImageRow},
        FailingSector{"AnEbrEndsItsChainWithErrorOnRead", 150,
                      kMbrHead + "\n     Error on Read\n" + kMbrTail + kEmbr + kBootHeading +
                          kFat32Row + kImageRow + kNtfsRow},
        FailingSector{"ABootSectorGivesErrorReadingLba", 200,
                      kMbr + kEmbr + kBootHeading + "\nError reading LBA 200" + kBootRule +
                          kFat16Row + kImageRow + kNtfsRow},
        FailingSector{"ALogicalBootSectorGivesErrorReadingLba", 160,
                      kMbr + kEmbr + kBootHeading + kFat32Row + "\nError reading LBA 160" +
                          kBootRule + kImageRow + kNtfsRow},
        FailingSector{"AFat32BackupLeavesTheBackupColumnZero", 206,
                      kMbr + kEmbr + kBootHeading + kFat32Line + Fat32LinesWithZeroBackup("6") +
                          kBootRule + kFat16Row + kImageRow + kNtfsRow},
        FailingSector{"TheLastSectorOfAnImagePartitionLeavesOnlyItsFirstLine", 189,
                      kMbr + kEmbr + kBootHeading + kFat32Row + kFat16Row + kImageLine +
                          kBootRule + kNtfsRow}),
    [](const ::testing::TestParamInfo<FailingSector>& i) { return std::string(i.param.name); });

// FullGptPass(): a protective MBR and a GPT whose NTFS partition lies at 200.
const std::string kGptMbr = R"(
======================================================================
           MBR Partition Information (HD0 - 0x00000000)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 | ee | 1023 254 63 |          1 |        299 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)";
const std::string kGpt = R"(

===============================================================================
            GPT Found (HD0) {5A1F2C3D-4B5E-4F60-8172-93A4B5C6D7E8}
-------------------------------------------------------------------------------
 Revision: 10000   Hdr Size: 92   Max Entries: 128    PE Size: 128  PE LBA: 2
 Primary LBA: 1                  Backup LBA: 299             
  FAvail LBA: 34                 LAvail LBA: 266             
-------------------------------------------------------------------------------
  Num            Name                Attr            Start            End                     GUID Type                                 GUID
 ----- ----------------------- ---------------- --------------- --------------- --------------------------------------  --------------------------------------
    0  Basic data partition                   0            200             259  {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}  {6C7D8E9F-A0B1-42C3-94D5-E6F708192A3B}
===============================================================================)";

TEST(HostileFailingRead, NoSectorOfTheGptDiskFails) {
  ExpectReport(FullGptPass(), kGptMbr + kGpt + kBootHeading +
                                  "\nFile System ID: 0x7   LBA: 200  Total Sectors: 60" +
                                  kNtfsExampleLines + kBootRule);
}

TEST(HostileFailingRead, ASectorOfTheGptReadLeavesOutTheGptSection) {
  ExpectReport(Failing(FullGptPass(), 100), kGptMbr);
}

// The probe can't read the partition's first sector: the entry is printed
// but not listed, so there is no boot sector section.
TEST(HostileFailingRead, AProbeReadLeavesThePartitionUnlisted) {
  ExpectReport(Failing(FullGptPass(), 200), kGptMbr + kGpt);
}

}  // namespace
}  // namespace disklens::test::hostile
