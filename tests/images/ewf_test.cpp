// EWF sets written by ewfacquire read as the raw images they were made from:
// one segment, several segments found from the first, 4096-byte sectors.
#include <gtest/gtest.h>

#include "images/container_images.h"

namespace disklens {
namespace {

// Acquires every disk of 512-byte sectors with `options`; the raw and EWF
// lists and the directory of the segments.
struct Acquired {
  std::vector<std::string> raw;
  std::vector<std::string> ewf;
};

Acquired AcquireAll(const test::TempDir& dir, const std::string& options) {
  Acquired a;
  std::filesystem::create_directory(dir.File("ewf"));
  for (const test::RawDisk& d : test::MakeRawDisks(dir)) {
    if (d.sectorSize != 512) continue;
    const std::string first = test::EwfAcquire(d.path, dir.File("ewf/" + d.name), options);
    EXPECT_FALSE(first.empty()) << d.name;
    a.raw.push_back(d.path);
    a.ewf.push_back(first);
  }
  return a;
}

TEST(EwfImages, SingleSegmentReportsAsRaw) {
  DISKLENS_NEED_TOOL("ewfacquire");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const Acquired a = AcquireAll(dir, "");
  ASSERT_EQ(a.ewf.size(), 6u);
  const auto before = test::StampAll(dir.File("ewf"));
  test::ExpectSameReports(test::JoinDisks(a.raw), test::JoinDisks(a.ewf));
  EXPECT_EQ(test::StampAll(dir.File("ewf")), before);
}

TEST(EwfImages, CompressedSegmentsReportAsRaw) {
  DISKLENS_NEED_TOOL("ewfacquire");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const Acquired a = AcquireAll(dir, "-c deflate:best");
  ASSERT_EQ(a.ewf.size(), 6u);
  test::ExpectSameReports(test::JoinDisks(a.raw), test::JoinDisks(a.ewf));
}

TEST(EwfImages, SplitSetIsFoundFromItsFirstSegment) {
  DISKLENS_NEED_TOOL("ewfacquire");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const Acquired a = AcquireAll(dir, "-S 1MiB");
  ASSERT_EQ(a.ewf.size(), 6u);
  // The 16 MiB chain disk fills many segments.
  EXPECT_TRUE(std::filesystem::exists(dir.File("ewf/mbr-chain.img.E05")));
  const auto before = test::StampAll(dir.File("ewf"));
  test::ExpectSameReports(test::JoinDisks(a.raw), test::JoinDisks(a.ewf));
  EXPECT_EQ(test::StampAll(dir.File("ewf")), before);
  // Without its last segment the set does not open: named, absent, the
  // next disk still reported.
  std::filesystem::path last;
  for (const auto& e : std::filesystem::directory_iterator(dir.File("ewf"))) {
    const std::string name = e.path().filename().string();
    if (name.rfind("mbr-chain.img.E", 0) == 0 && (last.empty() || e.path() > last)) last = e.path();
  }
  ASSERT_FALSE(last.empty());
  std::filesystem::remove(last);
  const std::string chain = a.ewf[0];
  const test::ProgramRun broken = test::RunDisklens(chain + ":" + a.ewf[2]);
  const test::ProgramRun alone = test::RunDisklens(":" + a.ewf[2]);
  EXPECT_EQ(broken.out, alone.out);
  EXPECT_EQ(broken.err.rfind("disklens: HD0: " + chain + ": libewf: ", 0), 0u) << broken.err;
  EXPECT_EQ(std::count(broken.err.begin(), broken.err.end(), '\n'), 1);
}

TEST(EwfImages, RecordedSectorSizeOf4096IsUsed) {
  DISKLENS_NEED_TOOL("ewfacquire");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  std::string raw;
  for (const test::RawDisk& d : test::MakeRawDisks(dir)) {
    if (d.sectorSize == 4096) raw = d.path;
  }
  ASSERT_FALSE(raw.empty());
  const std::string e01 = test::EwfAcquire(raw, dir.File("gpt-4k"), "-P 4096");
  ASSERT_FALSE(e01.empty());
  // The entry needs no "@4096": the set records it.
  test::ExpectSameReports(raw + "@4096", e01);
  test::ExpectSameReports(raw + "@4096", e01 + "@4096");
  const test::ProgramRun contradicted = test::RunDisklens(e01 + "@512");
  EXPECT_EQ(contradicted.out, test::RunDisklens(raw + "@4096").out);
  EXPECT_EQ(contradicted.err, "disklens: HD0: " + e01 +
                                  "@512: the container records 4096-byte sectors, not 512; 4096 used\n");
}

}  // namespace
}  // namespace disklens
