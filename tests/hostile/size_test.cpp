// Disks too short for the pass's reads, and disks that end inside a sector:
// a read that reaches past the end fails, and only that read's section or
// row is left out.
#include <gtest/gtest.h>

#include <string>

#include "bootsector/example_lines.h"
#include "hostile/expected_text.h"
#include "hostile/hostile_check.h"

namespace disklens::test::hostile {
namespace {

// The 128-sector GPT read fails on 100 sectors, though LBA 1 holds a valid
// GPT; the 63-sector EMBR read and the boot sector still succeed.
TEST(HostileSize, ADiskShorterThan128SectorsShowsNoGpt) {
  const std::string expected = R"(
======================================================================
           MBR Partition Information (HD0 - 0x00000000)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 | ee | 1023 254 63 |          1 |         99 |
| 1: |  0 | 1023 254 63 |  6 | 1023 254 63 |         70 |         20 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)" +
                               kBootHeading +
                               "\nFile System ID: 0x6   LBA: 70  Total Sectors: 20   ID: 0x2" +
                               kFat16ExampleLines + kBootRule;
  ExpectReport(ShorterThan128Sectors(), expected);
}

TEST(HostileSize, ADiskOfNoBytesOpensButPrintsNothing) {
  ExpectReport(ZeroBytes(), "");
  ExpectReport(ZeroBytes(), "", true);
}

// The first image partition ends in the partial sector 64: its trailer read
// fails and the row keeps only its first line.
TEST(HostileSize, ADiskEndingInsideASectorFailsOnlyTheReadOfThatSector) {
  const std::string expected =
      R"(
======================================================================
           MBR Partition Information (HD0 - 0x0BADC0DE)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 | da | 1023 254 63 |         10 |         55 |
| 1: |  0 | 1023 254 63 | da | 1023 254 63 |         20 |         44 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)" +
      kBootHeading + "\nFile System ID: 0xDA   LBA: 10  Total Sectors: 55   ID: 0x1" + kBootRule +
      "\nFile System ID: 0xDA   LBA: 20  Total Sectors: 44   ID: 0x2" + Field("Image Label", "IMG1") +
      Field("Total Sectors (Uncomp)", "1000") + Field("Flag", "0x8001") +
      Field("Unused Bytes LS", "12") + Field("FS", "6") + Field("DFS", "7") +
      Field("Total Sectors (Comp)", "500") + kBootRule;
  ExpectReport(NotWholeSectors(), expected);
}

// A disk whose one partition, a sector long at `lba`, lies past its end: the
// MBR is shown and the boot sector's read fails.
struct OnePastEnd { const char* name; HostileImage (*image)(); const char* signature; int lba; };

class HostileSizeOnePastEnd : public ::testing::TestWithParam<OnePastEnd> {};

TEST_P(HostileSizeOnePastEnd, ShowsItsMbrAndAFailedBootSector) {
  const OnePastEnd& p = GetParam();
  const std::string lba = std::to_string(p.lba);
  const std::string expected = R"(
======================================================================
           MBR Partition Information (HD0 - 0x)" + std::string(p.signature) + R"()
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 |  6 | 1023 254 63 | )" + std::string(10 - lba.size(), ' ') + lba + R"( |          1 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)" +
                               kBootHeading + "\nError reading LBA " + lba + kBootRule;
  ExpectReport(p.image(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    HostileSize, HostileSizeOnePastEnd,
    ::testing::Values(OnePastEnd{"ADiskShorterThanTwoSectors", ShorterThanTwoSectors, "CAFEF00D", 1},
                      OnePastEnd{"ADiskOf4096ByteSectorsEndingInsideASector", NotWholeSectors4096,
                                 "40964096", 3}),
    [](const ::testing::TestParamInfo<OnePastEnd>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace disklens::test::hostile
