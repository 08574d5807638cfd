// EMBR tables whose counts and Alloc values run past the 63 sectors read: the
// rows that lie wholly inside the read are printed, then the section closes.
#include <gtest/gtest.h>

#include <string>

#include "hostile/hostile_check.h"

namespace disklens::test::hostile {
namespace {

std::string Right(unsigned value, std::size_t width) {
  std::string s = std::to_string(value);
  return std::string(width > s.size() ? width - s.size() : 0, ' ') + s;
}

const std::string kEmptyMbr = R"(
======================================================================
           MBR Partition Information (HD0 - 0x00000000)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)";

const std::string kEmbrHead = R"(

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     1   Min SPT:   63   Sectors:  62   SSize:   512
  Last Cyl: 1023   Last Hd:  254   SPT:      63
-------------------------------------------------------------------------------)";

const std::string kDoubleRule =
    "\n===============================================================================";

// MBFT entry k lies at 62 + 282 k from the EMBR at LBA 1; the read holds
// 32,256 bytes, so entries 0 to 114 are whole and entry 115 is not.
TEST(HostileEmbr, AnMbftRunningPastTheReadShowsItsWholeEntriesOnly) {
  std::string expected = kEmptyMbr + kEmbrHead + R"(
                MPT Found:  Revision: 1,  Number of Entries: 1 Flag: 0
-------------------------------------------------------------------------------
  0: LINUX            Flag:    0 Start:       100 End:       199 FS: 83 ID: 1
-------------------------------------------------------------------------------
                MBFT Found: Revision: 1,  Number of Entries: 255
-------------------------------------------------------------------------------)";
  for (unsigned k = 0; k <= 114; ++k) {
    expected += "\n " + Right(k, 2) +
                ":                  LoadSeg:    0 CodeSeg:    0:   0 NumSecs:   0 Alloc: 255 ID: 0";
  }
  expected += kDoubleRule;
  ExpectReport(EmbrMbftRunsPastTheRead(), expected);
  ExpectReport(EmbrMbftRunsPastTheRead(), expected, true);
}

// The EMBR at LBA 2 sees 31,744 bytes; MDT entry k lies at 50 + 286 k, so
// entries 0 to 110 are whole.
TEST(HostileEmbr, AnMdtRunningPastTheReadShowsItsWholeEntriesOnly) {
  std::string expected = kEmptyMbr + kEmbrHead + R"(
                MPT Found:  Revision: 1,  Number of Entries: 0 Flag: 0
-------------------------------------------------------------------------------
-------------------------------------------------------------------------------
                MBFT Found: Revision: 1,  Number of Entries: 0
-------------------------------------------------------------------------------
-------------------------------------------------------------------------------
                MDT Found:  Revision: 1,  Number of Entries: 255
-------------------------------------------------------------------------------)";
  for (unsigned k = 0; k <= 110; ++k) {
    expected += "\n " + Right(k, 2) +
                ":                  Flag:  0 Start:         0 NumSecs:   0 Alloc: 255 ID: 0";
  }
  expected += kDoubleRule;
  ExpectReport(EmbrMdtRunsPastTheRead(), expected);
}

// End below Start: no sectors, rather than a count wrapped to 4,294,967,287.
TEST(HostileEmbr, AnMptRowWhoseEndLiesBelowItsStartHoldsNoSectors) {
  const std::string expected = kEmptyMbr + kEmbrHead + R"(
                MPT Found:  Revision: 1,  Number of Entries: 1 Flag: 0
-------------------------------------------------------------------------------
  0: BACKWARDS        Flag:    0 Start:        40 End:        30 FS: DA ID: 1
-------------------------------------------------------------------------------)" +
                               kDoubleRule + R"(
                           BOOT SECTOR INFORMATION
-------------------------------------------------------------------------------
File System ID: 0xDA   LBA: 40  Total Sectors: 0   ID: 0x1
-------------------------------------------------------------------------------)";
  ExpectReport(MptEndBelowStart(), expected);
}

}  // namespace
}  // namespace disklens::test::hostile
