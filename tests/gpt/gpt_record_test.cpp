// DecodeGpt: the header and the used entries as values, with the disk's bytes
// written by the test's own writer and sealed with zlib's CRC-32.
#include "gpt/gpt_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gpt/gpt_check.h"
#include "support/gpt_image.h"

namespace disklens {
namespace {

using test::GptEntryFields;
using test::GptHeaderFields;

constexpr char kBasicData[] = "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}";
constexpr char kUnique[] = "{0D3E5F71-9A2B-4C3D-8E4F-50617283A4B5}";

struct Decoded {
  std::vector<std::uint8_t> disk;
  GptRecord gpt;
};

// Writes a GPT into a disk of `sectors` sectors, checks it and decodes it
// from a buffer of the first `readBytes` bytes.
Decoded Decode(const GptHeaderFields& header, const std::vector<GptEntryFields>& entries,
               std::size_t readBytes = 128 * 512) {
  Decoded d;
  d.disk.assign(4096 * 512, 0);
  test::WriteGpt(d.disk, 512, header, entries);
  std::vector<std::uint8_t> read(d.disk.begin(), d.disk.begin() + static_cast<long>(readBytes));
  GptView view;
  EXPECT_EQ(CheckGpt(read.data(), static_cast<std::uint32_t>(read.size()), 512, view), kGptValid);
  d.gpt = DecodeGpt(view, 1);
  // The record is a value: the bytes it came from may go.
  std::fill(read.begin(), read.end(), 0xA5);
  return d;
}

TEST(GptRecord, HeaderFieldsAreTheStoredValues) {
  GptHeaderFields h;
  h.diskGuid = "{5A1F2C3D-4B5E-4F60-8172-93A4B5C6D7E8}";
  const Decoded d = Decode(h, {});
  ASSERT_TRUE(d.gpt.found);
  const GptHeaderRecord& r = d.gpt.header;
  EXPECT_EQ(d.gpt.headerLba, 1u);
  EXPECT_EQ(d.gpt.sectorSize, 512u);
  EXPECT_EQ(r.revision, 0x00010000u);
  EXPECT_EQ(r.headerSize, 92u);
  EXPECT_EQ(r.myLba, 1u);
  EXPECT_EQ(r.alternateLba, 4095u);
  EXPECT_EQ(r.firstUsableLba, 34u);
  EXPECT_EQ(r.lastUsableLba, 4095u - 1 - 32);
  EXPECT_EQ(r.entryLba, 2u);
  EXPECT_EQ(r.entryCount, 128u);
  EXPECT_EQ(r.entrySize, 128u);
  EXPECT_EQ(r.diskGuid, test::GuidBytes(h.diskGuid));
  // The CRCs as stored, worked out again by zlib over the disk's bytes.
  EXPECT_EQ(r.entryArrayCrc, test::ZlibCrc(d.disk.data() + 1024, 128 * 128));
  EXPECT_EQ(r.headerCrc, test::GetLe(d.disk, 512 + 16, 4));
  EXPECT_EQ(d.gpt.slotsRead, 128u);
  EXPECT_TRUE(d.gpt.entries.empty());
}

TEST(GptRecord, UsedSlotsOnlyWithTheirIndexAndFullValues) {
  const std::uint64_t high = (std::uint64_t{1} << 32) + 2048;
  const Decoded d = Decode(
      {}, {{0, kBasicData, kUnique, 34, 99, 0x8000000000000000u, u"EFI system partition"},
           {5, kBasicData, kUnique, high, high + 999, 1, u"abcdefghijklmnopqrstuvwxyz0123456789"}});
  ASSERT_EQ(d.gpt.entries.size(), 2u);
  const GptEntryRecord& a = d.gpt.entries[0];
  EXPECT_EQ(a.index, 0u);
  EXPECT_EQ(a.typeGuid, test::GuidBytes(kBasicData));
  EXPECT_EQ(a.uniqueGuid, test::GuidBytes(kUnique));
  EXPECT_EQ(a.firstLba, 34u);
  EXPECT_EQ(a.lastLba, 99u);
  EXPECT_EQ(a.attributes, 0x8000000000000000u);
  EXPECT_EQ(a.name[0], u'E');
  EXPECT_EQ(a.name[19], u'n');
  EXPECT_EQ(a.name[20], 0);
  EXPECT_FALSE(a.probedId.has_value());  // decoding probes nothing
  const GptEntryRecord& b = d.gpt.entries[1];
  EXPECT_EQ(b.index, 5u);
  EXPECT_EQ(b.firstLba, high);
  EXPECT_EQ(b.lastLba, high + 999);
  EXPECT_EQ(b.name[35], u'9');  // all 36 units, no terminator needed
}

// Slot i lies i * entrySize bytes on; only the first 128 bytes of a slot are read.
TEST(GptRecord, WideSlotsAreSteppedByTheirSize) {
  GptHeaderFields h;
  h.entryCount = 64;
  h.entrySize = 256;
  const Decoded d = Decode(h, {{1, kBasicData, kUnique, 40, 49, 0, u"one"},
                               {63, kBasicData, kUnique, 50, 59, 0, u"last"}});
  ASSERT_EQ(d.gpt.entries.size(), 2u);
  EXPECT_EQ(d.gpt.entries[0].index, 1u);
  EXPECT_EQ(d.gpt.entries[0].firstLba, 40u);
  EXPECT_EQ(d.gpt.entries[1].index, 63u);
  EXPECT_EQ(d.gpt.entries[1].firstLba, 50u);
}

// A view cut inside slot 3: the decode stops at the valid length and says how
// many slots it saw.
TEST(GptRecord, StopsAtTheValidLength) {
  std::vector<std::uint8_t> disk(4096 * 512, 0);
  std::vector<GptEntryFields> entries;
  for (std::uint32_t slot = 0; slot < 4; ++slot) {
    entries.push_back({slot, kBasicData, kUnique, 40 + slot, 40 + slot, 0, u"p"});
  }
  test::WriteGpt(disk, 512, {}, entries);
  const GptView view{disk.data(), 1024 + 3 * 128 + 64, disk.data() + 512, disk.data() + 1024, 512};
  const GptRecord gpt = DecodeGpt(view, 1);
  EXPECT_EQ(gpt.slotsRead, 3u);
  ASSERT_EQ(gpt.entries.size(), 3u);
  EXPECT_EQ(gpt.entries.back().index, 2u);
}

TEST(GptRecord, NoArrayNoRecord) {
  std::vector<std::uint8_t> disk(4096 * 512, 0);
  test::WriteGpt(disk, 512, {}, {});
  const GptView view{disk.data(), 1024, disk.data() + 512, nullptr, 512};
  EXPECT_FALSE(DecodeGpt(view, 1).found);
}

}  // namespace
}  // namespace disklens
