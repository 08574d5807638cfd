#include "gpt/gpt_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/gpt_image.h"

namespace disklens {
namespace {

using test::GptHeaderFields;
using test::PutLe;

constexpr std::uint32_t kReadSectors = 128;

// The 128 sectors the section reads, from a disk of `diskSectors` sectors
// whose GPT has the header `f` and two used entries.
std::vector<std::uint8_t> ReadArea(std::uint32_t sectorSize, GptHeaderFields f = {},
                                   std::uint64_t diskSectors = 1000000) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kReadSectors) * sectorSize, 0);
  if (f.alternateLba == 0) f.alternateLba = diskSectors - 1;
  test::WriteGpt(bytes, sectorSize, f,
                 {{0, "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}",
                   "{0D3E5F71-9A2B-4C3D-8E4F-50617283A4B5}", 2048, 4095, 0, u"EFI"},
                  {5, "{0FC63DAF-8483-4772-8E79-3D69D8477DE4}",
                   "{4B5C6D7E-8F90-41A2-B3C4-D5E6F7081929}", 4096, 9999, 1, u"root"}});
  return bytes;
}

// CheckGpt over the whole area (or `length` bytes of it), asserting that the
// buffer comes back as it went in.
std::int32_t Check(const std::vector<std::uint8_t>& bytes, std::uint32_t sectorSize,
                   GptView* viewOut = nullptr, std::uint32_t length = 0) {
  const std::vector<std::uint8_t> before = bytes;
  GptView view;
  const std::int32_t result =
      CheckGpt(bytes.data(), length != 0 ? length : static_cast<std::uint32_t>(bytes.size()),
               sectorSize, view);
  EXPECT_EQ(bytes, before) << "CheckGpt changed the buffer";
  if (viewOut != nullptr) *viewOut = view;
  return result;
}

TEST(CheckGpt, AcceptsAStandardGptAndSaysWhereItLies) {
  const auto bytes = ReadArea(512);
  GptView view;
  ASSERT_EQ(Check(bytes, 512, &view), 0);
  EXPECT_EQ(view.buffer, bytes.data());
  EXPECT_EQ(view.length, 65536u);
  EXPECT_EQ(view.header, bytes.data() + 512);
  EXPECT_EQ(view.entries, bytes.data() + 1024);
  EXPECT_EQ(view.sectorSize, 512u);
  EXPECT_EQ(GptAreaBytes(ByteView{view.header, 512}, 512), 512u + 16384u);
}

TEST(CheckGpt, RejectsUsableAreaThatOverlapsEitherArray) {
  GptHeaderFields f;
  f.firstUsableLba = 33;  // 1 + 33 sectors of header and array needed
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);
  f = {};
  f.lastUsableLba = 999999 - 32;  // AlternateLBA - 32 leaves no room for the backup array
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);
  f.lastUsableLba = 999999 - 33;
  EXPECT_EQ(Check(ReadArea(512, f), 512), 0);
  f = {};
  f.lastUsableLba = 34;  // a usable area of one sector
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);
}

TEST(CheckGpt, RevisionIsTestedOnlyAfterTheHeaderCrc) {
  GptHeaderFields f;
  f.revision = 0x00010001;
  auto bytes = ReadArea(512, f);
  EXPECT_EQ(Check(bytes, 512), 76);
  bytes[512 + 20] ^= 1;  // reserved field, covered by the CRC
  EXPECT_EQ(Check(bytes, 512), 94);
}

TEST(CheckGpt, HeaderSizeUpTo512IsCoveredByTheCrc) {
  GptHeaderFields f;
  f.headerSize = 512;
  auto bytes = ReadArea(512, f);
  EXPECT_EQ(Check(bytes, 512), 0);
  bytes[512 + 400] = 0x5A;  // inside the 512 bytes covered
  EXPECT_EQ(Check(bytes, 512), 94);

  f.headerSize = 92;
  bytes = ReadArea(512, f);
  bytes[512 + 400] = 0x5A;  // beyond the 92 bytes covered
  EXPECT_EQ(Check(bytes, 512), 0);

  f.headerSize = 513;
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);
}

TEST(CheckGpt, RejectsHeaderCrcComputedOverItsOwnField) {
  auto bytes = ReadArea(512);
  PutLe(bytes, 512 + 16, 0xDEADBEEF, 4);
  PutLe(bytes, 512 + 16, test::ZlibCrc(bytes.data() + 512, 92), 4);
  EXPECT_EQ(Check(bytes, 512), 94);
}

TEST(CheckGpt, RejectsAHeaderThatIsNotThePrimaryOne) {
  GptHeaderFields f;
  f.myLba = 999999;  // a copy of the backup header
  f.alternateLba = 1;
  f.firstUsableLba = 34;
  f.lastUsableLba = 999966;
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);
  f = {};
  f.myLba = 2;
  f.firstUsableLba = 35;
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);
  f = {};
  f.entryLba = 3;  // the array one sector further on, all else in order
  f.firstUsableLba = 35;
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);

  auto bytes = ReadArea(512);
  bytes[512] = 'e';  // "eFI PART"
  test::SealGpt(bytes, 512);
  EXPECT_EQ(Check(bytes, 512), 8);
}

TEST(CheckGpt, EntrySizeAndCountLimits) {
  GptHeaderFields f;
  f.entrySize = 256;
  f.firstUsableLba = 66;
  GptView view;
  auto bytes = ReadArea(512, f);
  EXPECT_EQ(Check(bytes, 512, &view), 0);
  EXPECT_EQ(view.entries, bytes.data() + 1024);
  f.entrySize = 64;
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);
  f = {};
  f.entryCount = 0;
  f.firstUsableLba = 34;
  EXPECT_EQ(Check(ReadArea(512, f), 512), 94);
}

TEST(CheckGpt, ArrayCrcCoversExactlyTheEntrySlots) {
  auto bytes = ReadArea(512);
  bytes[1024 + 5 * 128 + 60] ^= 0x01;  // one byte of a slot's name
  EXPECT_EQ(Check(bytes, 512), 94);

  GptHeaderFields f;
  f.entryCount = 3;  // 384 bytes: the rest of the array's sector is not covered
  f.alternateLba = 999;
  bytes = std::vector<std::uint8_t>(65536, 0);
  test::WriteGpt(bytes, 512, f, {});
  bytes[1024 + 384] = 0xFF;
  EXPECT_EQ(Check(bytes, 512), 0);
  bytes[1024 + 383] = 0xFF;
  EXPECT_EQ(Check(bytes, 512), 94);
}

TEST(CheckGpt, AcceptsA4096ByteSectorGpt) {
  GptHeaderFields f;  // 128 entries of 128 bytes: four sectors, so FirstUsableLBA 6
  auto bytes = ReadArea(4096, f);
  GptView view;
  ASSERT_EQ(Check(bytes, 4096, &view), 0);
  EXPECT_EQ(view.header, bytes.data() + 4096);
  EXPECT_EQ(view.entries, bytes.data() + 8192);
  f.firstUsableLba = 5;
  EXPECT_EQ(Check(ReadArea(4096, f), 4096), 94);
}

TEST(CheckGpt, ShortBuffers) {
  const auto bytes = ReadArea(512);
  GptView view;
  EXPECT_EQ(Check(bytes, 512, &view, 1023), 61);
  EXPECT_EQ(view.header, nullptr);
  EXPECT_EQ(view.entries, nullptr);
  EXPECT_EQ(view.length, 1023u);

  // One byte short of the array's end: 63, and the length needed.
  EXPECT_EQ(Check(bytes, 512, &view, 17407), 63);
  EXPECT_EQ(view.length, 17408u);
  EXPECT_EQ(view.entries, nullptr);
  EXPECT_EQ(Check(bytes, 512, &view, 17408), 0);
}

TEST(CheckGpt, RejectsAnEntryArrayWhoseSizeWrapsIn32Bits) {
  // 2^25 slots of 128 bytes: the 32-bit product is 0, and the CRC of nothing is 0.
  // SealGpt leaves the array CRC at 0 when the array is past the buffer.
  GptHeaderFields f;
  f.entryCount = 0x02000000;
  f.alternateLba = 999999;
  f.firstUsableLba = 34;
  f.lastUsableLba = 999000;
  auto bytes = std::vector<std::uint8_t>(65536, 0);
  test::WriteGpt(bytes, 512, f, {});
  EXPECT_EQ(Check(bytes, 512), 94);

  // LBAs made to fit a 4 GiB array: still never accepted, the array is past the buffer.
  auto g = f;
  g.firstUsableLba = 0x00900000;
  g.lastUsableLba = 0x01000000;
  g.alternateLba = 0x02000000;
  bytes.assign(65536, 0);
  test::WriteGpt(bytes, 512, g, {});
  GptView view;
  EXPECT_EQ(Check(bytes, 512, &view), 63);
  EXPECT_EQ(view.entries, nullptr);

  // 0x01000001 slots of 256 bytes wrap to 256 bytes.
  g.entryCount = 0x01000001;
  g.entrySize = 256;
  bytes.assign(65536, 0);
  test::WriteGpt(bytes, 512, g, {});
  PutLe(bytes, 512 + 88, test::ZlibCrc(bytes.data() + 1024, 256), 4);
  PutLe(bytes, 512 + 16, 0, 4);
  PutLe(bytes, 512 + 16, test::ZlibCrc(bytes.data() + 512, 92), 4);
  EXPECT_EQ(Check(bytes, 512, &view), 63);
}

TEST(CheckGpt, HeaderSizeZeroStillPlacesTheArrayAtLba2) {
  GptHeaderFields f;
  f.headerSize = 0;  // the header CRC over no bytes is 0
  const auto bytes = ReadArea(512, f);
  GptView view;
  // The array ends at 17,408 although header and array round to 16,896 bytes.
  EXPECT_EQ(Check(bytes, 512, &view, 17000), 63);
  EXPECT_EQ(view.length, 17408u);
  EXPECT_EQ(Check(bytes, 512, &view, 17408), 0);
}

TEST(CheckGpt, RejectsSectorSizesThatAreNotPowersOfTwo) {
  const auto bytes = ReadArea(512);
  EXPECT_EQ(Check(bytes, 0), 94);
  EXPECT_EQ(Check(bytes, 520), 94);
  EXPECT_EQ(Check(bytes, 1000), 94);
}

}  // namespace
}  // namespace disklens
