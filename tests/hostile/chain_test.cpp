// Extended chains that never end on their own: a link to itself, a link back
// to the first EBR, and chains at and past the 4,096-EBR limit.
#include <gtest/gtest.h>

#include <string>

#include "hostile/hostile_check.h"

namespace disklens::test::hostile {
namespace {

// `value` right-aligned in `width` columns.
std::string Right(std::uint32_t value, std::size_t width) {
  std::string s = std::to_string(value);
  return std::string(width > s.size() ? width - s.size() : 0, ' ') + s;
}

const std::string kLoopHead = R"(
======================================================================
           MBR Partition Information (HD0 - 0x11223344)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 |  5 | 1023 254 63 |          8 |         40 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+)";

const std::string kLoopTail = R"(
            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)";

TEST(HostileChain, ALinkToItselfEndsTheWalkWithItsMessage) {
  const std::string expected = kLoopHead + R"(
| 0: |  0 | 1023 254 63 | 83 | 1023 254 63 |          2 |          4 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |         10 |          8 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 | 83 | 1023 254 63 |          2 |          4 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |         10 |          8 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
     Chain loops back to LBA 18
)" + kLoopTail;
  ExpectReport(ChainLinksToItself(), expected);
  ExpectReport(ChainLinksToItself(), expected, true);
}

// The third EBR's link has offset 0, so no rule follows its rows.
TEST(HostileChain, ALinkBackToTheFirstEbrEndsTheWalkWithItsMessage) {
  const std::string expected = kLoopHead + R"(
| 0: |  0 | 1023 254 63 | 83 | 1023 254 63 |          2 |          4 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |         10 |          8 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 | 83 | 1023 254 63 |          2 |          4 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |         20 |          8 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 | 1023 254 63 | 83 | 1023 254 63 |          2 |          4 |
| 1: |  0 | 1023 254 63 |  5 | 1023 254 63 |          0 |          8 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
     Chain loops back to LBA 8
)" + kLoopTail;
  ExpectReport(ChainLinksBackToFirst(), expected);
}

const std::string kEmptyRows = R"(
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |)";
const std::string kRule = "\n+----+----+-------------+----+-------------+------------+------------+";

// The MBR section of LongChain(ebrs) up to the end of its walk: EBR k lies at
// LBA 2 + k and links to offset k + 1.
std::string LongChainHead(std::uint32_t walked) {
  std::string text = R"(
======================================================================
           MBR Partition Information (HD0 - 0x00000000)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 |  5 | 1023 254 63 |          2 |       4098 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+)";
  for (std::uint32_t k = 0; k < walked; ++k) {
    text += "\n| 0: |  0 | 1023 254 63 |  5 | 1023 254 63 | " + Right(k + 1, 10) + " |          1 |";
    text += kEmptyRows + kRule;
  }
  return text;
}

TEST(HostileChain, FourThousandNinetySixEbrsAreWalkedToTheEnd) {
  // The last EBR has no link: four empty rows, and its rule.
  std::string expected = LongChainHead(4095);
  expected += "\n| 0: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |";
  expected += kEmptyRows + kRule + kLoopTail;
  ExpectReport(LongChain(4096), expected);
}

TEST(HostileChain, TheWalkStopsAfterFourThousandNinetySixEbrsWithItsMessage) {
  std::string expected = LongChainHead(4096);
  expected += "\n     Chain stopped after 4096 EBRs, before LBA 4098\n" + kLoopTail;
  ExpectReport(LongChain(4097), expected);
}

}  // namespace
}  // namespace disklens::test::hostile
