#include "mbr/embr_section.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/fake_platform.h"
#include "mbr/mbr_section.h"
#include "support/capture.h"
#include "support/disk_image.h"
#include "support/embr_image.h"
#include "support/report_disk.h"

namespace disklens {
namespace {

constexpr char kExample[] = R"(

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     1   Min SPT:   63   Sectors:  62   SSize:   512
  Last Cyl: 1023   Last Hd:  254   SPT:      63
-------------------------------------------------------------------------------
                MPT Found:  Revision: 1,  Number of Entries: 2 Flag: 0
-------------------------------------------------------------------------------
  0: FIRST            Flag:    0 Start:        63 End:    409662 FS:  7 ID: 1
  1: SECOND           Flag:    0 Start:    409663 End:   2457662 FS:  B ID: 2
-------------------------------------------------------------------------------
                MBFT Found: Revision: 1,  Number of Entries: 1
-------------------------------------------------------------------------------
  0: MENU             LoadSeg:  7c0 CodeSeg: 2000: 100 NumSecs:  16 Alloc:  0 ID: 1
-------------------------------------------------------------------------------
                MDT Found:  Revision: 1,  Number of Entries: 1
-------------------------------------------------------------------------------
  0: DISK             Flag:  1 Start:        20 NumSecs:   8 Alloc:  0 ID: 1
===============================================================================)";

// The rows of the worked example's tables, with what the tests change.
test::MptRow Part(const std::string& name, std::uint32_t start, std::uint32_t end, std::uint8_t id,
                  std::uint8_t fs) {
  return {0, start, end, id, fs, name};
}
test::MbftRow Menu(const std::string& name, std::uint8_t id, std::uint8_t alloc) {
  return {name, 0x7C0, 0x100, 0x2000, 16, id, alloc};
}
test::MdtRow Drive(const std::string& name, std::uint8_t id, std::uint8_t alloc) {
  return {1, id, 8, 20, name, alloc};
}

class Embr : public testing::Test {
 protected:
  // The EMBR section of disk 0 after its MBR section's rows were collected.
  std::string Run(bool all = false, bool withMbr = false) {
    FakeDisk& disk = fake.AddDisk(0, 0);
    disk.bytes = image.Bytes();
    test::ReportDisk rd(0, all);
    // Bytes that earlier reads left in the WorkBuffer must never be shown.
    std::memset(rd.state.workBuffer, 'X', kWorkBufferSize);
    if (withMbr) {
      test::CapturedOutput ignored;
      PrintMbrSection(rd.state);
    }
    test::CapturedOutput out;
    PrintEmbrSection(rd.state);
    targets = rd.state.bootTargets;
    return out.Text();
  }
  void Example(std::uint64_t at) {
    test::Embr embr;
    embr.mpt = {Part("FIRST", 63, 409662, 1, 0x07), Part("SECOND", 409663, 2457662, 2, 0x0B)};
    embr.mbft = std::vector{Menu("MENU", 1, 0)};
    embr.mdt = std::vector{Drive("DISK", 1, 0)};
    test::PutEmbr(image, at, embr);
  }
  // The header alone, of revision `revision`.
  void HeaderOnly(std::uint64_t at, std::uint8_t revision = 1) {
    test::Embr embr;
    embr.revision = revision;
    embr.withMpt = false;
    test::PutEmbr(image, at, embr);
  }
  static std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  test::DiskImage image{128 * 512};
  FakePlatform fake;
  BootTargetList targets;
};

TEST_F(Embr, ReproducesTheWorkedExampleAtLba1) {
  Example(512);
  EXPECT_EQ(Run(), kExample);
  ASSERT_EQ(targets.count, 2u);
  EXPECT_EQ(targets.rows[0].fileSystemId, 0x07);
  EXPECT_EQ(targets.rows[0].id, 1);
  EXPECT_EQ(targets.rows[0].lba, 63u);
  EXPECT_EQ(targets.rows[0].totalSectors, 409600u);
  EXPECT_EQ(targets.rows[1].fileSystemId, 0x0B);
  EXPECT_EQ(targets.rows[1].id, 2);
  EXPECT_EQ(targets.rows[1].lba, 409663u);
  EXPECT_EQ(targets.rows[1].totalSectors, 2048000u);
}

TEST_F(Embr, FoundAtLba2WhenLba1HoldsNone) {
  Example(1024);
  EXPECT_EQ(Run(), kExample);
}

TEST_F(Embr, Lba1WinsWhenBothHoldOne) {
  Example(1024);
  HeaderOnly(512, 7);
  const std::string text = Run();
  EXPECT_NE(text.find("\n Revision:     7   Min SPT:"), std::string::npos);
  EXPECT_EQ(text.find("MPT Found"), std::string::npos);
}

TEST_F(Embr, NothingWithoutMagicOrWhenTheReadFails) {
  image.Text(512 + 100, "EMBR");  // neither at offset 0 nor at 512 of the read
  EXPECT_EQ(Run(), "");
  Example(512);
  fake.AddDisk(0, 0).failingLbas = {40};
  FakeDisk& disk = fake.disks[0];
  disk.bytes = image.Bytes();
  test::ReportDisk rd;
  test::CapturedOutput out;
  PrintEmbrSection(rd.state);
  EXPECT_EQ(out.Text(), "");
}

TEST_F(Embr, TablesWithoutEntriesAreLookedForBehindTheirHeaders) {
  test::Embr embr;
  embr.mbft.emplace();
  embr.mdt.emplace();
  test::PutEmbr(image, 512, embr);
  EXPECT_EQ(Run(), R"(

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     1   Min SPT:   63   Sectors:  62   SSize:   512
  Last Cyl: 1023   Last Hd:  254   SPT:      63
-------------------------------------------------------------------------------
                MPT Found:  Revision: 1,  Number of Entries: 0 Flag: 0
-------------------------------------------------------------------------------
-------------------------------------------------------------------------------
                MBFT Found: Revision: 1,  Number of Entries: 0
-------------------------------------------------------------------------------
-------------------------------------------------------------------------------
                MDT Found:  Revision: 1,  Number of Entries: 0
-------------------------------------------------------------------------------
===============================================================================)");
}

TEST_F(Embr, NoMptLeavesTheHeaderAlone) {
  HeaderOnly(512);
  EXPECT_EQ(Run(), R"(

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     1   Min SPT:   63   Sectors:  62   SSize:   512
  Last Cyl: 1023   Last Hd:  254   SPT:      63
-------------------------------------------------------------------------------
===============================================================================)");
}

TEST_F(Embr, AllocMovesTheNextEntryAndTheNextTable) {
  test::Embr embr;
  embr.mbft = std::vector{Menu("BOOT", 1, 5), Menu("MENU", 2, 3)};
  embr.mdt = std::vector{Drive("ONE", 3, 200), Drive("TWO", 4, 0)};
  test::PutEmbr(image, 512, embr);
  const std::string text = Run();
  EXPECT_NE(text.find(
                "\n  0: BOOT             LoadSeg:  7c0 CodeSeg: 2000: 100 NumSecs:  16 Alloc:  5 ID: 1"
                "\n  1: MENU             LoadSeg:  7c0 CodeSeg: 2000: 100 NumSecs:  16 Alloc:  3 ID: 2"
                "\n-------------------------------------------------------------------------------"
                "\n                MDT Found:  Revision: 1,  Number of Entries: 2"),
            std::string::npos);
  EXPECT_NE(text.find("\n  0: ONE              Flag:  1 Start:        20 NumSecs:   8 Alloc: 200 ID: 3"
                      "\n  1: TWO              Flag:  1 Start:        20 NumSecs:   8 Alloc:  0 ID: 4"
                      "\n======"),
            std::string::npos);
}

TEST_F(Embr, NamesFillTheirSixteenBytesAndControlBytesPrintAsQuestionMarks) {
  test::Embr embr;
  embr.mpt = {Part("ABCDEFGHIJKLMNOP", 1, 1, 1, 0), Part("\x1b[2J\x7f", 2, 2, 2, 0)};
  image.U8(test::PutEmbr(image, 512, embr), 0xFF);  // the byte behind the last name is not part of it
  const std::string text = Run();
  EXPECT_NE(text.find("\n  0: ABCDEFGHIJKLMNOP Flag:    0 Start:         1"), std::string::npos);
  EXPECT_NE(text.find("\n  1: ?[2J?            Flag:    0 Start:         2"), std::string::npos);
}

TEST_F(Embr, MptEntryAtTheStartOfAnMbrPartitionOnlyGivesItsId) {
  image.PutTable(0, {test::Entry(0x07, 63, 100)});
  test::Embr embr;
  embr.mpt = {Part("SAME", 63, 500, 9, 0x0B)};
  test::PutEmbr(image, 512, embr);
  Run(false, true);
  ASSERT_EQ(targets.count, 1u);
  EXPECT_EQ(targets.rows[0].fileSystemId, 0x07);
  EXPECT_EQ(targets.rows[0].id, 9);
  EXPECT_EQ(targets.rows[0].lba, 63u);
  EXPECT_EQ(targets.rows[0].totalSectors, 100u);
}

class EmbrChains : public Embr {
 protected:
  void SetUp() override {
    test::Embr embr;
    const std::uint8_t types[] = {0x05, 0x0F, 0x15, 0x1F, 0x85};
    for (std::uint32_t k = 0; k < 5; ++k) {
      const std::uint32_t ebr = 70 + 10 * k;
      embr.mpt.push_back(Part("EXT", ebr, ebr + 9, static_cast<std::uint8_t>(k + 1), types[k]));
      image.PutTable(ebr, {test::Entry(0x06, 2, 3)});
      image.U8((ebr + 1) * 512, static_cast<std::uint8_t>(0x10 + k));
    }
    embr.mpt.push_back(Part("GONE", 5000, 5009, 6, 0x0F));  // beyond the disk: its read fails
    embr.mpt.push_back(Part("HIDDEN", 120, 121, 7, 0x16));  // hidden FAT16: listed, not walked
    test::PutEmbr(image, 512, embr);
  }
};

TEST_F(EmbrChains, AllWalksEveryExtendedTypeWithTheMptIds) {
  const std::string text = Run(true);
  EXPECT_EQ(CountOf(text, "Volume Information"), 6u);
  EXPECT_EQ(CountOf(text, "\n            EMBR Partition Information (HD0) Continued:"
                          "\n====================================================================\n"),
            6u);
  EXPECT_NE(text.find("\n     Error on Read\n\n            EMBR Partition Information (HD0) "
                      "Continued:\n====================================================================\n"
                      "  6: HIDDEN"),
            std::string::npos);
  ASSERT_EQ(targets.count, 6u);
  for (std::uint32_t k = 0; k < 5; ++k) {
    EXPECT_EQ(targets.rows[k].fileSystemId, 0x06);
    EXPECT_EQ(targets.rows[k].lba, 72 + 10 * k);
    EXPECT_EQ(targets.rows[k].id, ((k + 1) << 8) + 0x10 + k);
  }
  EXPECT_EQ(targets.rows[5].fileSystemId, 0x16);
  EXPECT_EQ(targets.rows[5].id, 7);
}

TEST_F(EmbrChains, NoWalkWithoutAll) {
  const std::string text = Run(false);
  EXPECT_EQ(text.find("Volume Information"), std::string::npos);
  EXPECT_EQ(text.find("Continued"), std::string::npos);
  EXPECT_EQ(CountOf(text, " Start: "), 7u);
  ASSERT_EQ(targets.count, 1u);
  EXPECT_EQ(targets.rows[0].lba, 120u);
}

// 63 sectors of 512 bytes from LBA 1: 32,256 bytes, the EMBR at their start.
TEST_F(Embr, MbftThatRunsPastTheDataReadEndsTheSectionThere) {
  test::Embr embr;
  embr.mbft = std::vector(255, Menu("M", 1, 255));  // cut at the end of the image
  test::PutEmbr(image, 512, embr);
  const std::string text = Run();
  // Entries start at 34 and are 282 bytes long: 115 fixed parts fit in 32,256 bytes.
  EXPECT_EQ(CountOf(text, ": M "), 115u);
  EXPECT_NE(text.find("\n 114: M "), std::string::npos);
  const std::string tail = "Alloc: 255 ID: 1\n===============================================================================";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(text.find('X'), std::string::npos);
}

TEST_F(Embr, MdtThatRunsPastTheDataReadEndsTheSectionThere) {
  test::Embr embr;
  embr.mbft.emplace();
  embr.mdt = std::vector(255, Drive("D", 1, 255));  // cut at the end of the image
  test::PutEmbr(image, 512, embr);
  const std::string text = Run();
  // Entries start at 50 and are 286 bytes long: 113 fixed parts fit.
  EXPECT_EQ(CountOf(text, ": D "), 113u);
  const std::string tail = "Alloc: 255 ID: 1\n===============================================================================";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(text.find('X'), std::string::npos);
}

TEST_F(Embr, MdtHeaderCutByTheEndOfTheDataIsNotShown) {
  test::Embr embr;
  // 127 entries of 253 bytes and one of 86 put the MDT magic at 32,251:
  // the magic fits, its 16-byte header doesn't.
  embr.mbft = std::vector(127, Menu("M", 1, 226));
  embr.mbft->push_back(Menu("LAST", 2, 59));
  embr.mdt.emplace();
  embr.mdtCount = 1;
  ASSERT_EQ(test::PutEmbr(image, 512, embr), 512u + 32251u + kMdtHeaderSize);
  const std::string text = Run();
  EXPECT_EQ(text.find("MDT Found"), std::string::npos);
  const std::string tail =
      "Alloc: 59 ID: 2\n===============================================================================";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

}  // namespace
}  // namespace disklens
