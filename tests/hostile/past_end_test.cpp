// Partitions that start, end or keep their backup boot sector past the end of
// the disk.
#include <gtest/gtest.h>

#include <string>

#include "bootsector/example_lines.h"
#include "hostile/expected_text.h"
#include "hostile/hostile_check.h"

namespace disklens::test::hostile {
namespace {

// The FAT32 example beside a backup area left zero by its failed read.
const std::string kFat32WithoutBackup = Fat32LinesWithZeroBackup("28672");

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
