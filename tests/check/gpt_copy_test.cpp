// The field checks of one GPT copy's header, one damaged field a row, in the
// order they are made: each row names the check the header then fails.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "check/gpt_copy.h"
#include "layout/gpt.h"

namespace disklens {
namespace {

// A backup header as sgdisk writes it for a disk of 16384 512-byte sectors,
// its CRC taken by zlib after `patch`.
std::vector<std::uint8_t> BackupHeader(const std::function<void(std::uint8_t*)>& patch) {
  std::vector<std::uint8_t> h(512, 0);
  std::memcpy(h.data(), "EFI PART", 8);
  const auto put32 = [&](std::size_t o, std::uint32_t v) { std::memcpy(&h[o], &v, 4); };
  const auto put64 = [&](std::size_t o, std::uint64_t v) { std::memcpy(&h[o], &v, 8); };
  put32(gpt_header::kRevision, 0x00010000);
  put32(gpt_header::kHeaderSize, 92);
  put64(gpt_header::kMyLba, 16383);
  put64(gpt_header::kAlternateLba, 1);
  put64(gpt_header::kFirstUsableLba, 34);
  put64(gpt_header::kLastUsableLba, 16350);
  put64(gpt_header::kEntryLba, 16351);
  put32(gpt_header::kEntryCount, 128);
  put32(gpt_header::kEntrySize, 128);
  patch(h.data());
  put32(gpt_header::kHeaderCrc, 0);
  put32(gpt_header::kHeaderCrc,
        static_cast<std::uint32_t>(crc32(0, h.data(), std::min<std::uint32_t>(
                                                          512, *reinterpret_cast<std::uint32_t*>(
                                                                   &h[gpt_header::kHeaderSize])))));
  return h;
}

template <typename T>
std::function<void(std::uint8_t*)> Set(std::size_t offset, T value) {
  return [=](std::uint8_t* h) { std::memcpy(h + offset, &value, sizeof value); };
}

struct HeaderCase {
  const char* name;
  std::function<void(std::uint8_t*)> patch;
  const char* check;  // null: passes
  std::uint32_t byteOffset;
};

class GptCopyHeaderTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(GptCopyHeaderTest, NamesTheFirstCheckItFails) {
  const std::vector<std::uint8_t> h = BackupHeader(GetParam().patch);
  const GptCopyFault fault = CheckGptCopyHeader(ByteView{h.data(), h.size()}, 16383, 512);
  if (GetParam().check == nullptr) {
    EXPECT_EQ(fault.check, nullptr) << fault.check;
  } else {
    ASSERT_NE(fault.check, nullptr);
    EXPECT_STREQ(fault.check, GetParam().check);
    EXPECT_EQ(fault.byteOffset, GetParam().byteOffset);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, GptCopyHeaderTest,
    testing::Values(
        HeaderCase{"Intact", [](std::uint8_t*) {}, nullptr, 0},
        HeaderCase{"Signature", [](std::uint8_t* h) { h[7] = 'X'; }, "signature", 0},
        HeaderCase{"Revision", Set<std::uint32_t>(gpt_header::kRevision, 0x00020000), "revision", 8},
        HeaderCase{"HeaderSizeSmall", Set<std::uint32_t>(gpt_header::kHeaderSize, 91),
                   "header size", 12},
        HeaderCase{"HeaderSizeHuge", Set<std::uint32_t>(gpt_header::kHeaderSize, 0xFFFFFFFF),
                   "header size", 12},
        HeaderCase{"MyLba", Set<std::uint64_t>(gpt_header::kMyLba, 16382), "MyLBA", 24},
        HeaderCase{"UsableOrder", Set<std::uint64_t>(gpt_header::kFirstUsableLba, 16351),
                   "FirstUsableLBA/LastUsableLBA order", 40},
        HeaderCase{"HeaderInsideUsable", Set<std::uint64_t>(gpt_header::kLastUsableLba, 16383),
                   "header outside the usable area", 24},
        HeaderCase{"EntrySizeSmall", Set<std::uint32_t>(gpt_header::kEntrySize, 64), "entry size",
                   84},
        HeaderCase{"EntrySizeOdd", Set<std::uint32_t>(gpt_header::kEntrySize, 130), "entry size",
                   84},
        HeaderCase{"EntrySize256",
                   [](std::uint8_t* h) {
                     Set<std::uint32_t>(gpt_header::kEntrySize, 256)(h);
                     Set<std::uint32_t>(gpt_header::kEntryCount, 64)(h);
                   },
                   nullptr, 0},
        HeaderCase{"NoEntries", Set<std::uint32_t>(gpt_header::kEntryCount, 0), "entry count", 80},
        HeaderCase{"ArrayPastCap", Set<std::uint32_t>(gpt_header::kEntryCount, 0xFFFFFFFF),
                   "entry-array size", 80},
        HeaderCase{"ArrayOverUsable", Set<std::uint64_t>(gpt_header::kEntryLba, 16300),
                   "entry-array location", 72},
        HeaderCase{"ArrayOverHeader", Set<std::uint64_t>(gpt_header::kEntryLba, 16380),
                   "entry-array location", 72},
        HeaderCase{"ArrayAtHugeLba", Set<std::uint64_t>(gpt_header::kEntryLba, ~std::uint64_t{0}),
                   "entry-array location", 72}),
    [](const testing::TestParamInfo<HeaderCase>& p) { return std::string(p.param.name); });

// A CRC that does not match, whatever field was changed after it was taken.
TEST(GptCopyHeader, StaleCrcFailsTheHeaderCrcCheck) {
  std::vector<std::uint8_t> h = BackupHeader([](std::uint8_t*) {});
  h[gpt_header::kDiskGuid] ^= 1;
  const GptCopyFault fault = CheckGptCopyHeader(ByteView{h.data(), h.size()}, 16383, 512);
  ASSERT_NE(fault.check, nullptr);
  EXPECT_STREQ(fault.check, "header CRC-32");
  EXPECT_EQ(fault.byteOffset, 16u);
}

// A header cut short by the read is never looked at past its end.
TEST(GptCopyHeader, ShortViewFailsTheSizeCheck) {
  const std::vector<std::uint8_t> h = BackupHeader([](std::uint8_t*) {});
  const GptCopyFault fault = CheckGptCopyHeader(ByteView{h.data(), 60}, 16383, 512);
  ASSERT_NE(fault.check, nullptr);
  EXPECT_STREQ(fault.check, "header size");
}

}  // namespace
}  // namespace disklens
