#include "state/boot_targets.h"

#include <gtest/gtest.h>

#include <set>

namespace disklens {
namespace {

TEST(BootTargets, AcceptsExactlyTheIdsWithADecoder) {
  const std::set<std::uint32_t> accepted = {0x01, 0x04, 0x06, 0x07, 0x0B, 0x0C, 0x0E, 0x11,
                                            0x14, 0x16, 0x17, 0x1B, 0x1C, 0x1E, 0xDA, 0xDF};
  for (std::uint32_t id = 0; id < 0x400; ++id) {
    EXPECT_EQ(IsBootTargetType(id), accepted.count(id & 0xFF) == 1) << std::hex << id;
  }
}

TEST(BootTargets, SameLbaKeepsTheFirstTypeAndSizeAndTakesTheLastId) {
  BootTargetList list;
  AddBootTarget(list, 0x06, 1, 1000, 63);
  AddBootTarget(list, 0x0C, 0, 500, 2048);
  AddBootTarget(list, 0x0B, 7, 999, 63);  // an EMBR entry at the same start
  ASSERT_EQ(list.count, 2u);
  EXPECT_EQ(list.rows[0].fileSystemId, 0x06);
  EXPECT_EQ(list.rows[0].totalSectors, 1000u);
  EXPECT_EQ(list.rows[0].id, 7);
  AddBootTarget(list, 0x07, 0, 1, 63);  // id 0 clears
  EXPECT_EQ(list.rows[0].id, 0);
  EXPECT_EQ(list.rows[1].lba, 2048u);
  ResetBootTargets(list);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.rows[0].lba, 0u);
  EXPECT_EQ(list.rows[1].fileSystemId, 0);
}

TEST(BootTargets, FullListDropsANewLbaButStillUpdatesKnownOnes) {
  BootTargetList list;
  for (std::uint32_t i = 0; i < 256; ++i) AddBootTarget(list, 0x06, 0, 1, 100 + i);
  ASSERT_EQ(list.count, BootTargetCapacity);
  EXPECT_EQ(list.rows[254].lba, 354u);
  AddBootTarget(list, 0x06, 9, 1, 354);
  EXPECT_EQ(list.count, BootTargetCapacity);
  EXPECT_EQ(list.rows[254].id, 9);
}

// Two starts that share their low 32 bits are two partitions, each with its own size.
TEST(BootTargets, StartsPast2To32AreKeptWhole) {
  BootTargetList list;
  AddBootTarget(list, 0x07, 1, 100, 2048);
  AddBootTarget(list, 0x0C, 2, 0x100000001ull, 0x100000800ull);
  ASSERT_EQ(list.count, 2u);
  EXPECT_EQ(list.rows[0].id, 1);
  EXPECT_EQ(list.rows[1].lba, 0x100000800ull);
  EXPECT_EQ(list.rows[1].totalSectors, 0x100000001ull);
}

}  // namespace
}  // namespace disklens
