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

// The last EBR is read alone; the sector that would follow it counts as zeros.
TEST(HostilePastTheEnd, AnEbrInTheLastSectorIsRead) {
  const std::string expected = R"(
======================================================================
           MBR Partition Information (HD0 - 0x0E0E0E0E)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 |  5 | 1023 254 63 |          4 |         12 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 | 83 | 1023 254 63 |          1 |          2 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |         11 |          1 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 | 82 | 1023 254 63 |          0 |          1 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)";
  ExpectReport(EbrInTheLastSector(), expected);
  ExpectReport(EbrInTheLastSector(), expected, true);
  ExpectReport(EbrInTheLastSector(4096), expected);
}

}  // namespace
}  // namespace disklens::test::hostile
