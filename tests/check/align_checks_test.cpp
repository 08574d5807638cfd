// The alignment checks over hand-built records: one partition a row, on
// disks whose physical sectors are 512 or 4096 bytes.
#include <gtest/gtest.h>

#include <string>

#include "check/align_checks.h"

namespace disklens {
namespace {

struct AlignCase {
  const char* name;
  bool gpt;                  // the partition is a GPT entry, else MBR entry 1
  std::uint64_t first;
  std::uint64_t sectors;
  std::uint32_t physical;    // DiskFacts::physicalSectorSize
  std::vector<std::string> ids;  // the findings expected, in order
};

class AlignTest : public testing::TestWithParam<AlignCase> {};

TEST_P(AlignTest, GivesTheExpectedFindings) {
  const AlignCase& c = GetParam();
  MbrRecord mbr;
  mbr.bytesRead = 512;
  GptRecord gpt;
  if (c.gpt) {
    mbr.entries[0].type = 0xEE;
    mbr.entries[0].startLba = 1;
    gpt.found = true;
    GptEntryRecord e;
    e.index = 0;
    e.firstLba = c.first;
    e.lastLba = c.first + c.sectors - 1;
    gpt.entries.push_back(e);
  } else {
    mbr.entries[0].type = 0x83;
    mbr.entries[0].startLba = static_cast<std::uint32_t>(c.first);
    mbr.entries[0].sectorCount = static_cast<std::uint32_t>(c.sectors);
  }
  DiskFacts facts{512, 1u << 20, c.physical};
  Findings out;
  CheckAlignment(mbr, MbrChains{}, gpt, facts, out);
  std::vector<std::string> ids;
  for (const Finding& f : out) {
    ids.emplace_back(f.id);
    EXPECT_EQ(f.lba, c.first);
    EXPECT_EQ(f.severity, f.id == "align.mib" ? Severity::kNote : Severity::kWarning);
  }
  EXPECT_EQ(ids, c.ids);
}

INSTANTIATE_TEST_SUITE_P(
    Partitions, AlignTest,
    testing::Values(AlignCase{"GptOnMiB", true, 2048, 2048, 4096, {}},
                    AlignCase{"GptOddStart", true, 2049, 2047, 4096, {"align.physical", "align.mib"}},
                    AlignCase{"GptOddEnd", true, 2048, 2047, 4096, {"align.physical"}},
                    AlignCase{"GptOn4KNotMiB", true, 2056, 2048, 4096, {"align.mib"}},
                    AlignCase{"PhysicalUnknown", true, 2049, 2047, 0, {"align.mib"}},
                    AlignCase{"PhysicalSameAsLogical", true, 2049, 2047, 512, {"align.mib"}},
                    AlignCase{"MbrClassicCylinder", false, 63, 16002, 0, {}},
                    AlignCase{"MbrClassicOn4K", false, 63, 16002, 4096, {"align.physical"}},
                    AlignCase{"MbrOdd", false, 100, 1000, 0, {"align.mib"}}),
    [](const testing::TestParamInfo<AlignCase>& p) { return std::string(p.param.name); });

// Extended containers, the 0xEE entry and a partition two tables describe
// are not checked (again); a logical partition counts from its EBR and gets
// no 1 MiB note.
TEST(Align, SkipsContainersAndCountsLogicalsFromTheirEbr) {
  MbrRecord mbr;
  mbr.bytesRead = 512;
  mbr.entries[0] = {0, 0, 0, 0, 0x05, 0, 0, 0, 2049, 100000};  // extended, off 1 MiB
  mbr.entries[1] = {0, 0, 0, 0, 0xEE, 0, 0, 0, 1, 200000};
  MbrChains chains;
  ChainRecord chain;
  EbrRecord ebr;
  ebr.lba = 4000;
  ebr.entries[0] = {0, 0, 0, 0, 0x83, 0, 0, 0, 100, 1000};      // at 4100: off 4 KiB
  ebr.entries[1] = {0, 0, 0, 0, 0x05, 0, 0, 0, 5000, 5000};     // the link
  chain.ebrs.push_back(ebr);
  chains[0] = chain;
  Findings out;
  CheckAlignment(mbr, chains, GptRecord{}, DiskFacts{512, 1u << 20, 4096}, out);
  ASSERT_EQ(out.size(), 1u);  // no align.mib: a logical partition gets none
  EXPECT_EQ(out[0].id, "align.physical");
  EXPECT_EQ(out[0].lba, 4100u);
}

}  // namespace
}  // namespace disklens
