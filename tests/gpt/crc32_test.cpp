#include "gpt/crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/gpt_image.h"

namespace disklens {
namespace {

TEST(Crc32, AgreesWithZlibAndChainsOverSplitData) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> data(70000);
  for (auto& b : data) b = static_cast<std::uint8_t>(random());
  for (std::uint32_t length : {1u, 3u, 92u, 511u, 16384u, 70000u}) {
    EXPECT_EQ(Crc32Update(0, data.data(), length), test::ZlibCrc(data.data(), length)) << length;
  }
  EXPECT_EQ(Crc32Update(0, reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0xCBF43926u);

  const std::uint32_t head = Crc32Update(0, data.data(), 1000);
  EXPECT_EQ(Crc32Update(head, data.data() + 1000, 69000), test::ZlibCrc(data.data(), 70000));
  EXPECT_EQ(Crc32Update(0, data.data(), 0), 0u);
  EXPECT_EQ(Crc32Update(0x12345678u, nullptr, 0), 0x12345678u);
}

}  // namespace
}  // namespace disklens
