// The chain walks of one pass share one budget of EBRs: a chain that the MBR
// and 255 MPT entries all name is read 8,192 times, not a million, and a real
// chain of 200 logical partitions, walked by the MBR and an MPT entry, prints
// what it always printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "disk/session.h"
#include "hostile/chain_pass_images.h"
#include "hostile/hostile_check.h"
#include "platform/fake_platform.h"
#include "app/driver.h"
#include "support/capture.h"

namespace disklens::test::hostile {
namespace {

std::size_t CountOf(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

struct CountedPass {
  std::string text;
  std::uint32_t ebrReads = 0;  // two-sector reads inside the chain
  std::uint32_t reads = 0;     // every ReadFile
};

CountedPass RunCounted(const HostileImage& image, bool all, std::uint64_t chainFirst,
                       std::uint64_t chainEnd) {
  FakePlatform fake;
  fake.AddDisk(0, 0).bytes = image.bytes;
  static std::vector<std::uint8_t> work(kWorkBufferSize);
  ReportState state;
  state.allOption = all;
  state.workBuffer = work.data();
  CapturedOutput out;
  StartDiskAccess(1);
  ReportDisk(state, 0);
  EndDiskAccess();
  CountedPass pass{out.Text(), 0, fake.Count("ReadFile")};
  for (const FakeCall& c : fake.Calls("ReadFile")) {
    if (c.position >= chainFirst * 512 && c.position < chainEnd * 512 && c.size == 1024) {
      ++pass.ebrReads;
    }
  }
  return pass;
}

// The MBR's walk and the first MPT entry's walk read the 4,096 EBRs each; the
// other 254 entries each print the frame, the budget's line and the closing lines.
TEST(ChainPassBudget, OneChainNamedByTheMbrAndTwoHundredFiftyFiveMptEntries) {
  const HostileImage image = AmplifiedChain(4096);
  const CountedPass pass =
      RunCounted(image, true, kAmplifiedBase, kAmplifiedBase + 4096);
  EXPECT_EQ(pass.ebrReads, 8192u);
  EXPECT_LT(pass.reads, 8192u + 16u);
  EXPECT_LT(pass.text.size(), 4u << 20) << "bytes printed";
  EXPECT_EQ(CountOf(pass.text, "\n     Chain stopped after 8192 EBRs of this disk, before LBA 64\n"
                               "\n            EMBR Partition Information (HD0) Continued:"),
            254u);
  EXPECT_EQ(CountOf(pass.text, "Chain stopped after"), 254u);
  EXPECT_EQ(CountOf(pass.text, "| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |"),
            2u * 4096u + 1u);  // the EBRs' second rows, and sector 0's
  // Without "/all" the MPT's entries are not walked, and the MBR's walk is whole.
  const CountedPass plain =
      RunCounted(image, false, kAmplifiedBase, kAmplifiedBase + 4096);
  EXPECT_EQ(plain.ebrReads, 4096u);
  EXPECT_EQ(plain.text.find("Chain stopped"), std::string::npos);
}

// Four extended entries in sector 0 naming the same chain: the third walk
// stops at the budget where it began, the fourth too.
TEST(ChainPassBudget, TheBudgetCountsEveryWalkOfTheMbr) {
  HostileImage image = AmplifiedChain(4096);
  for (int i = 1; i < 4; ++i) {
    const std::size_t entry = 446 + 16 * static_cast<std::size_t>(i);
    std::copy(image.bytes.begin() + 446, image.bytes.begin() + 462,
              image.bytes.begin() + static_cast<std::ptrdiff_t>(entry));
  }
  const CountedPass pass = RunCounted(image, false, kAmplifiedBase, kAmplifiedBase + 4096);
  EXPECT_EQ(pass.ebrReads, 8192u);
  EXPECT_EQ(CountOf(pass.text, "                         Volume Information"
                               "\n+----+----+-------------+----+-------------+------------+"
                               "------------+\n     Chain stopped after 8192 EBRs of this disk, "
                               "before LBA 64\n\n            MBR Partition Information (HD0) "
                               "Continued:"),
            2u);
}

// A row of the partition tables, as the format gives it.
std::string Row(int index, const char* chs, unsigned type, const char* endChs, unsigned long lba,
                unsigned long sectors) {
  char line[128];
  std::snprintf(line, sizeof line, "\n| %i: |  0 | %s | %2x | %s | %10lu | %10lu |", index, chs,
                type, endChs, lba, sectors);
  return line;
}

constexpr char kFar[] = "1023 254 63";
constexpr char kNone[] = "   0   0  0";
const std::string kEbrRule =
    "\n+----+----+-------------+----+-------------+------------+------------+";
const std::string kFrame =
    "\n+====+====+=============+====+=============+============+============+";

// The chain of RealChain(200), written out from the layout.
std::string RealChainRows() {
  std::string text = kFrame + "\n                         Volume Information" + kEbrRule;
  for (unsigned k = 0; k < 200; ++k) {
    text += Row(0, kFar, k % 2 == 0 ? 0x83 : 0x82, kFar, 1, 7);
    text += k + 1 < 200 ? Row(1, kFar, 0x05, kFar, (k + 1) * 8ul, 8) : Row(1, kNone, 0, kNone, 0, 0);
    text += Row(2, kNone, 0, kNone, 0, 0) + Row(3, kNone, 0, kNone, 0, 0) + kEbrRule;
  }
  return text;
}

std::string RealChainReport(bool all) {
  std::string text = R"(
======================================================================
           MBR Partition Information (HD0 - 0x5EA1C4A1)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+)";
  text += Row(0, kFar, 0x05, kFar, 2048, 1600) + RealChainRows();
  text += "\n            MBR Partition Information (HD0) Continued:" + kFrame;
  for (int i = 1; i < 4; ++i) text += Row(i, kNone, 0, kNone, 0, 0);
  text += kFrame + R"(

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     1   Min SPT:   63   Sectors:  62   SSize:   512
  Last Cyl: 1023   Last Hd:  254   SPT:      63
-------------------------------------------------------------------------------
                MPT Found:  Revision: 1,  Number of Entries: 1 Flag: 0
-------------------------------------------------------------------------------
  0: CHAIN            Flag:    0 Start:      2048 End:      3647 FS:  5 ID: 1)";
  if (all) {
    text += RealChainRows() + R"(
            EMBR Partition Information (HD0) Continued:
====================================================================)";
  }
  text += R"(
-------------------------------------------------------------------------------
===============================================================================)";
  return text;
}

TEST(ChainPassBudget, ARealChainOfTwoHundredLogicalPartitionsPrintsAsBefore) {
  ExpectReport(RealChain(200), RealChainReport(false));
  ExpectReport(RealChain(200), RealChainReport(true), true);
}

}  // namespace
}  // namespace disklens::test::hostile
