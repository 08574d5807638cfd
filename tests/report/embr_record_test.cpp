// DecodeEmbr: where the EMBR is looked for and what a table cut by the end of
// the data read keeps, as values.
#include "mbr/embr_record.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/disk_image.h"

namespace disklens {
namespace {

// An EMBR header at `at` followed by an MPT that claims `count` entries, of
// which `written` are written (start LBA 100 + k, ID k + 1).
test::DiskImage EmbrData(std::size_t bytes, std::uint64_t at, std::uint8_t count, int written) {
  test::DiskImage d(bytes);
  d.Text(at, "EMBR");
  d.U8(at + 4, 2);
  d.Text(at + 18, "MPT");
  d.U8(at + 22, count);
  for (int k = 0; k < written; ++k) {
    const std::uint64_t e = at + 28 + 28 * static_cast<std::uint64_t>(k);
    d.U32(e + 2, 100 + static_cast<std::uint32_t>(k));
    d.U8(e + 10, static_cast<std::uint8_t>(k + 1));
  }
  return d;
}

ByteView View(const test::DiskImage& d) { return {d.Bytes().data(), d.Bytes().size()}; }

TEST(EmbrRecord, FoundOneSectorOnWhenTheFirstHasNone) {
  const test::DiskImage d = EmbrData(4096, 512, 1, 1);
  const EmbrRecord r = DecodeEmbr(View(d));
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.header.revision, 2);
  ASSERT_TRUE(r.mpt);
  ASSERT_EQ(r.mpt->entries.size(), 1u);
  EXPECT_EQ(r.mpt->entries[0].startLba, 100u);
  EXPECT_FALSE(r.mbft);  // no "MBFT" mark behind the MPT
}

TEST(EmbrRecord, NoMarkNoRecord) {
  const test::DiskImage d = EmbrData(4096, 1024, 1, 1);  // two sectors on: not looked at
  EXPECT_FALSE(DecodeEmbr(View(d)).found);
}

// 200 entries claimed in 512 bytes: the whole ones are kept, the table is
// marked incomplete and nothing is looked for behind it.
TEST(EmbrRecord, TableCutByTheDataKeepsItsWholeEntries) {
  const test::DiskImage d = EmbrData(512, 0, 200, 17);
  const EmbrRecord r = DecodeEmbr(View(d));
  ASSERT_TRUE(r.mpt);
  EXPECT_FALSE(r.mpt->complete);
  EXPECT_EQ(r.mpt->entryCount, 200);
  ASSERT_EQ(r.mpt->entries.size(), 17u);  // (512 - 28) / 28 whole ones
  EXPECT_EQ(r.mpt->entries.back().id, 17);
  EXPECT_EQ(r.mpt->entries.back().startLba, 116u);
  EXPECT_FALSE(r.mbft);
  EXPECT_FALSE(r.mdt);
}

}  // namespace
}  // namespace disklens
