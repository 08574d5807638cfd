// CheckMbrLayer on records made here, where no tool writes the defect: counts
// and starts near the 32-bit limits, the cap on listed overlaps, the CHS
// markers past cylinder 1023, and a table without its signature.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "check/mbr_checks.h"
#include "check/mbr_overlap.h"

namespace disklens {
namespace {

MbrPartitionEntry Entry(std::uint8_t type, std::uint32_t start, std::uint32_t count) {
  MbrPartitionEntry e;
  e.type = type;
  e.startLba = start;
  e.sectorCount = count;
  return e;
}

MbrRecord Signed() {
  MbrRecord mbr;
  mbr.bytesRead = 512;
  mbr.bootSignature = 0xAA55;
  return mbr;
}

std::vector<std::string> Ids(const Findings& findings) {
  std::vector<std::string> ids;
  for (const Finding& f : findings) ids.emplace_back(f.id);
  return ids;
}

// A logical partition's start is the EBR's LBA plus its own: past 2^32 in
// 64 bits, not wrapped to the disk's start.
TEST(MbrLayer, LogicalStartsPastTwoTo32AreSummedIn64Bits) {
  MbrRecord mbr = Signed();
  mbr.entries[0] = Entry(0x0F, 0xFFFF0000u, 0xFFFFu);
  MbrChains chains;
  ChainRecord& chain = chains[0].emplace();
  EbrRecord& ebr = chain.ebrs.emplace_back();
  ebr.lba = 0xFFFF0000u;
  ebr.entries[0] = Entry(0x83, 0x20000u, 0x800u);
  DiskFacts facts{512, 0x100000000ull, 0};
  Findings out;
  CheckMbrLayer(mbr, chains, facts, out);
  ASSERT_EQ(Ids(out), (std::vector<std::string>{"mbr.past-end", "ebr.outside"}));
  EXPECT_EQ(out[0].lba, 0xFFFF0000ull + 0x20000u);
  EXPECT_EQ(out[0].found, "end " + std::to_string(0xFFFF0000ull + 0x20000u + 0x800u - 1));
  EXPECT_NE(out[0].message.find("4295034880 sectors (2199057858560 bytes)"), std::string::npos)
      << out[0].message;
}

TEST(MbrLayer, EntryEndingOnTheLastSectorIsOnTheDisk) {
  MbrRecord mbr = Signed();
  mbr.entries[0] = Entry(0x83, 1, 0xFFFFFFFFu);
  Findings out;
  CheckMbrLayer(mbr, {}, DiskFacts{512, 0x100000000ull, 0}, out);
  EXPECT_TRUE(out.empty()) << out[0].message;
  CheckMbrLayer(mbr, {}, DiskFacts{512, 0xFFFFFFFFull, 0}, out);
  EXPECT_EQ(Ids(out), std::vector<std::string>{"mbr.past-end"});
}

// Every EBR names the same sectors: the pairs are listed up to the cap, then
// one finding says more follow.
TEST(MbrLayer, OverlapsAreListedUpToTheCap) {
  MbrRecord mbr = Signed();
  mbr.entries[0] = Entry(0x05, 100, 100000);
  MbrChains chains;
  ChainRecord& chain = chains[0].emplace();
  for (std::uint32_t k = 0; k < 2000; ++k) {
    EbrRecord& ebr = chain.ebrs.emplace_back();
    ebr.lba = 100 + k;
    ebr.entries[0] = Entry(0x83, 5000 - k, 1000);  // all at LBA 5100
  }
  Findings out;
  CheckOverlaps(mbr, chains, out);
  ASSERT_EQ(out.size(), static_cast<std::size_t>(kMaxOverlapFindings) + 1);
  EXPECT_EQ(out[0].lba, 5100u);
  EXPECT_FALSE(out.back().lba.has_value());
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](const Finding& f) {
    return f.id == "mbr.overlap" && f.severity == Severity::kError;
  }));
}

struct ChsCase {
  const char* name;
  std::uint32_t start;
  std::uint8_t head, sectorByte, cylinderByte;  // start and end alike
  bool note;
};

class MbrLayerChs : public testing::TestWithParam<ChsCase> {};

// Geometry 1023/15/63 (16 heads): cylinder 1023 ends at LBA 1,032,191.
TEST_P(MbrLayerChs, NotesOnlyWhatTheGeometryCanExpress) {
  const ChsCase& c = GetParam();
  MbrRecord mbr = Signed();
  mbr.bios = BiosGeometry{1023, 15, 63};
  MbrPartitionEntry e = Entry(0x83, c.start, 1);
  e.startHead = e.endHead = c.head;
  e.startSectorByte = e.endSectorByte = c.sectorByte;
  e.startCylinderByte = e.endCylinderByte = c.cylinderByte;
  mbr.entries[0] = e;
  Findings out;
  CheckMbrLayer(mbr, {}, DiskFacts{512, 0, 0}, out);
  EXPECT_EQ(out.size(), c.note ? 1u : 0u);
  if (c.note) {
    EXPECT_EQ(out[0].id, "mbr.chs");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Markers, MbrLayerChs,
    testing::Values(ChsCase{"Exact", 1008 + 63 + 5, 1, 6, 1, false},  // 1/1/6
                    ChsCase{"WrongSector", 1008 + 63 + 5, 1, 7, 1, true},
                    ChsCase{"LastCylinder", 1032191, 15, 0xFF, 0xFF, false},
                    ChsCase{"MarkerOfTheGeometry", 2000000, 15, 0xFF, 0xFF, false},
                    ChsCase{"Marker254", 2000000, 254, 0xFF, 0xFF, false},
                    ChsCase{"Marker255", 2000000, 255, 0xFF, 0xFF, false},
                    ChsCase{"CylinderBelow1023PastTheLimit", 2000000, 15, 0xFF, 0xFE, true}),
    [](const testing::TestParamInfo<ChsCase>& p) { return std::string(p.param.name); });

// Without 0x55 0xAA the table is not read by Linux: one finding, whatever the
// entries hold.
TEST(MbrLayer, MissingSignatureIsTheOnlyFinding) {
  MbrRecord mbr;
  mbr.bytesRead = 512;
  mbr.bootSignature = 0x1234;
  mbr.entries[0] = Entry(0x83, 0, 0xFFFFFFFFu);
  mbr.entries[0].status = 0x33;
  mbr.entries[1] = Entry(0x83, 0, 0xFFFFFFFFu);
  Findings out;
  CheckMbrLayer(mbr, {}, DiskFacts{512, 100, 0}, out);
  ASSERT_EQ(Ids(out), std::vector<std::string>{"mbr.signature"});
  EXPECT_EQ(out[0].found, "34 12");
  EXPECT_EQ(out[0].byteOffset, 510u);
}

}  // namespace
}  // namespace disklens
