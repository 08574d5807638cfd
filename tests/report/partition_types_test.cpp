#include "report/partition_types.h"

#include <gtest/gtest.h>

namespace disklens {
namespace {

TEST(PartitionTypes, UnhidesOnlyTheNineHiddenTypes) {
  const std::uint16_t hidden[] = {0x11, 0x14, 0x15, 0x16, 0x17, 0x1B, 0x1C, 0x1E, 0x1F};
  for (const std::uint16_t t : hidden) EXPECT_EQ(UnhideType(t), t - 0x10) << std::hex << t;
  const std::uint16_t kept[] = {0x00, 0x05, 0x10, 0x12, 0x13, 0x18, 0x19, 0x1A, 0x1D, 0x85, 0x115};
  for (const std::uint16_t t : kept) EXPECT_EQ(UnhideType(t), t) << std::hex << t;
}

TEST(PartitionTypes, ExtendedTypes) {
  for (std::uint16_t t = 0; t < 0x200; ++t) {
    const bool mpt = t == 0x05 || t == 0x0F || t == 0x15 || t == 0x1F || t == 0x85;
    const bool mbr = t == 0x05 || t == 0x0F || t == 0x85;
    EXPECT_EQ(IsExtendedType(t), mpt) << std::hex << t;
    EXPECT_EQ(IsMbrExtendedType(t), mbr) << std::hex << t;
  }
}

}  // namespace
}  // namespace disklens
