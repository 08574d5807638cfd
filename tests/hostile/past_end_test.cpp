// Partitions that start, end or keep their backup boot sector past the end of
// the disk.
#include <gtest/gtest.h>

#include <string>

#include "hostile/expected_text.h"
#include "hostile/hostile_check.h"

namespace disklens::test::hostile {
namespace {

// The FAT32 example beside a backup area left zero by its failed read.
const std::string kFat32WithoutBackup = R"(
                          Jump: EB 58 90 (0 0 0)
                      OEM Name: FORMAT01 ()
                 Bytes Per Sec: 512 (0)
                 Sec Per Clust: 8 (0)
                   Res Sectors: 32 (0)
                      Num FATs: 2 (0)
                 Root Dir Ents: 0 (0)
                       Sectors: 0 (0)
                         Media: 0xF8 (0x0)
                  Secs Per FAT: 0 (0)
                 Sec Per Track: 63 (0)
                         Heads: 255 (0)
                   Hidden Secs: 2048 (0)
                  Huge Sectors: 20971520 (0)
             Huge Secs Per FAT: 20472 (0)
                         Flags: 0x0 (0x0)
                       Version: 0 (0)
                Root Dir Clust: 2 (0)
                   FS Info Sec: 1 (0)
                   FS Bkup Sec: 28672 (0)
                      Reserved:  0  0  0  0  0  0
                     Drive Num: 0x80 (0x0)
                           Res: 0x0 (0x0)
                      Boot Sig: 0x29 (0x0)
                        Vol ID: 0x1A2B3C4D (0x0)
                  Volume Label: SHAREDFILES ()
                       FS Type: FAT32    ()
                     Boot Flag: 0xAA55 (0x0))";

TEST(HostilePastTheEnd, ReadsPastTheEndFailOneRowOrChainAtATime) {
  const std::string expected = R"(
======================================================================
           MBR Partition Information (HD0 - 0xDEADBEEF)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 |  7 | 1023 254 63 |       5000 |        100 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |       6000 |        100 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
     Error on Read

            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 2: |  0 | 1023 254 63 | da | 1023 254 63 |         40 |       1000 |
| 3: |  0 | 1023 254 63 |  c | 1023 254 63 |         50 |         40 |
+====+====+=============+====+=============+============+============+)" +
                               kBootHeading + "\nError reading LBA 5000" + kBootRule +
                               "\nFile System ID: 0xDA   LBA: 40  Total Sectors: 1000   ID: 0x3" +
                               kBootRule +
                               "\nFile System ID: 0xC   LBA: 50  Total Sectors: 40   ID: 0x4" +
                               kFat32WithoutBackup + kBootRule;
  ExpectReport(PartitionsPastTheEnd(), expected);
}

}  // namespace
}  // namespace disklens::test::hostile
