// The exFAT boot checksum against the published definition, summed byte by
// byte with its three skipped bytes tested at every index, over regions whose
// zero runs start and end at every place around the skipped bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bootsector/exfat_boot_sector.h"

namespace disklens {
namespace {

// BootChecksum as Microsoft publishes it for exFAT: every byte of sectors 0 to
// 10 but VolumeFlags (106, 107) and PercentInUse (112).
std::uint32_t Reference(const std::vector<std::uint8_t>& region, std::uint32_t sectorSize) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < std::size_t{sectorSize} * 11; ++i) {
    if (i == 106 || i == 107 || i == 112) continue;
    sum = ((sum & 1) ? 0x80000000u : 0) + (sum >> 1) + region[i];
  }
  return sum;
}

struct Fill {
  std::uint32_t sectorSize;
  std::size_t zeroFrom;  // a run of zeros over [zeroFrom, zeroTo), random bytes elsewhere
  std::size_t zeroTo;
};

class ExfatChecksum : public ::testing::TestWithParam<Fill> {};

TEST_P(ExfatChecksum, EqualsTheDefinition) {
  const Fill f = GetParam();
  std::vector<std::uint8_t> region(std::size_t{f.sectorSize} * 12);
  std::mt19937 random(static_cast<std::uint32_t>(f.sectorSize + f.zeroFrom * 31 + f.zeroTo));
  for (std::uint8_t& b : region) b = static_cast<std::uint8_t>(random() | 1);  // no zero by chance
  for (std::size_t i = f.zeroFrom; i < f.zeroTo && i < region.size(); ++i) region[i] = 0;
  EXPECT_EQ(ExfatBootChecksum(ByteView{region.data(), region.size()}, f.sectorSize),
            Reference(region, f.sectorSize));
}

std::vector<Fill> Fills() {
  std::vector<Fill> fills;
  for (std::uint32_t size : {512u, 4096u}) {
    fills.push_back({size, 0, 0});             // no zero at all
    fills.push_back({size, 0, size * 12});     // all zeros
    for (std::size_t from = 96; from <= 120; from += 3) {
      for (std::size_t length : {1u, 7u, 8u, 9u, 17u}) fills.push_back({size, from, from + length});
    }
    fills.push_back({size, 120, size * 11 - 3});  // a long run ending just short of the end
  }
  return fills;
}

INSTANTIATE_TEST_SUITE_P(Regions, ExfatChecksum, ::testing::ValuesIn(Fills()));

TEST(ExfatChecksumRegion, TooShortSumsToZero) {
  std::vector<std::uint8_t> region(512 * 11 - 1, 0xAB);
  EXPECT_EQ(ExfatBootChecksum(ByteView{region.data(), region.size()}, 512), 0u);
}

}  // namespace
}  // namespace disklens
