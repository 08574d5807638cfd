// The MBR and EBR checks of --check on disks partitioned by sfdisk and then
// damaged at named offsets (or built with the defect where sfdisk refuses
// it): one defect a row, found once, with its id, severity and sector; and
// sfdisk --verify complains of the same disk where it checks the same thing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "check/mbr_check_support.h"
#include "state/chain_limits.h"
#include "support/image_save.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

using test::PutByte;
using test::PutEntryAt;
using test::EntryOffset;

// Three primaries: 2048-10239 (active), 10240-18431, 18432-26623 of 40960.
constexpr char kPrimaries[] =
    "label: dos\\nstart=2048, size=8192, type=83, bootable\\n"
    "start=10240, size=8192, type=83\\nstart=18432, size=8192, type=83\\n";
// An extended partition 10240-30719 with EBRs at 10240 and 16384, whose
// logical partitions are 12288-16383 and 18432-22527.
constexpr char kLogicals[] =
    "label: dos\\nstart=2048, size=8192, type=83, bootable\\n"
    "start=10240, size=20480, type=5\\n"
    "start=12288, size=4096, type=83\\nstart=18432, size=4096, type=83\\n";

struct Expect {
  const char* id;
  const char* severity;
  std::uint64_t lba;
};

struct DefectCase {
  const char* name;
  const char* script;  // sfdisk's, for a 20 MiB disk; none: `damage` builds the disk
  std::function<bool(const std::string&)> damage;
  std::vector<Expect> expect;
  const char* sfdiskSays = nullptr;  // what sfdisk --verify prints of the same defect
};

// Two extended partitions, each with one EBR and one logical partition.
bool TwoExtended(const std::string& path) {
  test::DiskImage d(20u << 20);
  d.PutTable(0, {test::ChsEntry(0x05, 2048, 8192), test::ChsEntry(0x0F, 10240, 8192)});
  d.PutTable(2048, {test::ChsEntry(0x83, 2048, 2048, 0, 2048)});
  d.PutTable(10240, {test::ChsEntry(0x83, 2048, 2048, 0, 10240)});
  return test::SaveImage(d, path);
}

// EBRs at 2048, 2049, ... each linking to the next, one more than a walk reads.
bool LongChain(const std::string& path) {
  constexpr std::uint32_t kEbrs = kMaxChainEbrs + 1;
  test::DiskImage d(20u << 20);
  d.PutTable(0, {test::ChsEntry(0x05, 2048, 8192)});
  for (std::uint32_t k = 0; k < kEbrs; ++k) {
    d.PutTable(2048 + k, {test::ChsEntry(0x05, k + 1, 1, 0, 2048)});
  }
  return test::SaveImage(d, path);
}

class MbrDefect : public testing::TestWithParam<DefectCase> {};

TEST_P(MbrDefect, IsFoundOnceWhereItLies) {
  const DefectCase& c = GetParam();
  if (const std::string missing = test::MissingTool({"sfdisk"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string path = dir.File("disk.img");
  if (c.script != nullptr) {
    ASSERT_EQ(test::SfdiskImage(path, 20, c.script), path);
  }
  ASSERT_TRUE(c.damage(path));

  const test::CheckRun run = test::RunCheckJson(path);
  const std::vector<nlohmann::json> found = test::MbrFindings(run.findings);
  ASSERT_EQ(found.size(), c.expect.size()) << run.findings.dump(1);
  for (std::size_t i = 0; i < c.expect.size(); ++i) {
    EXPECT_EQ(found[i]["id"], c.expect[i].id) << found[i].dump();
    EXPECT_EQ(found[i]["severity"], c.expect[i].severity) << found[i].dump();
    EXPECT_EQ(found[i]["lba"], c.expect[i].lba) << found[i].dump();
  }
  // The exit status follows the worst finding of the disk, whichever family's.
  int worst = 0;
  for (const nlohmann::json& f : run.findings) {
    worst = std::max(worst, f["severity"] == "error" ? 3 : f["severity"] == "warning" ? 2 : 0);
  }
  EXPECT_EQ(run.exitCode, worst);

  if (c.sfdiskSays != nullptr) {
    const std::string verify = test::Shell("sfdisk --verify " + test::ShellQuote(path) + " 2>&1");
    EXPECT_NE(verify.find(c.sfdiskSays), std::string::npos) << verify;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Defects, MbrDefect,
    testing::Values(
        DefectCase{"NoSignature", kPrimaries,
                   [](const std::string& p) { return test::WriteAt(p, kBootSignatureOffset, {0, 0}); },
                   {{"mbr.signature", "error", 0}}},
        DefectCase{"BootIndicatorNeither00Nor80", kPrimaries,
                   [](const std::string& p) {
                     return PutByte(p, EntryOffset(0, 1) + mbr_entry::kStatus, 0x12);
                   },
                   {{"mbr.boot-flag", "warning", 0}}},
        DefectCase{"BootIndicatorOfAnEbrEntry", kLogicals,
                   [](const std::string& p) {
                     return PutByte(p, EntryOffset(16384, 0) + mbr_entry::kStatus, 0x01);
                   },
                   {{"mbr.boot-flag", "warning", 16384}}},
        DefectCase{"TwoActive", kPrimaries,
                   [](const std::string& p) {
                     return PutByte(p, EntryOffset(0, 2) + mbr_entry::kStatus, 0x80);
                   },
                   {{"mbr.active", "warning", 0}}},
        DefectCase{"EndsOneSectorPastTheEnd", kPrimaries,
                   [](const std::string& p) {
                     return PutEntryAt(p, 0, 2, 0x83, 18432, 40960 - 18432 + 1, 0);
                   },
                   {{"mbr.past-end", "error", 18432}},
                   "greater than the maximum"},
        DefectCase{"ImageCutShortBySector",
                   "label: dos\\nstart=2048, type=83\\n",
                   [](const std::string& p) {
                     std::error_code ec;
                     std::filesystem::resize_file(p, (20u << 20) - 512, ec);
                     return !ec;
                   },
                   {{"mbr.past-end", "error", 2048}},
                   "greater than the maximum"},
        DefectCase{"LogicalPastTheEnd", kLogicals,
                   [](const std::string& p) {
                     // The extended partition to the disk's end, the second logical one past it.
                     return PutEntryAt(p, 0, 1, 0x05, 10240, 40960 - 10240, 0) &&
                            PutEntryAt(p, 16384, 0, 0x83, 2048, 40960 - 18432 + 1, 16384);
                   },
                   {{"mbr.past-end", "error", 18432}, {"ebr.outside", "error", 18432}}},
        DefectCase{"PrimariesOverlap", kPrimaries,
                   [](const std::string& p) { return PutEntryAt(p, 0, 1, 0x83, 8192, 8192, 0); },
                   {{"mbr.overlap", "error", 8192}},
                   "overlaps"},
        DefectCase{"PrimaryInsideAnother", kPrimaries,
                   [](const std::string& p) { return PutEntryAt(p, 0, 2, 0x83, 4096, 1024, 0); },
                   {{"mbr.overlap", "error", 4096}},
                   "overlaps"},
        DefectCase{"PrimaryOverExtendedArea", kLogicals,
                   [](const std::string& p) { return PutEntryAt(p, 0, 2, 0x83, 28672, 4096, 0); },
                   {{"mbr.overlap", "error", 28672}}},
        DefectCase{"EbrInsideALogical", kLogicals,
                   [](const std::string& p) {
                     return PutEntryAt(p, 10240, 0, 0x83, 2048, 6144, 10240);
                   },
                   {{"mbr.overlap", "error", 16384}}},
        DefectCase{"LogicalOverItsOwnEbr", kLogicals,
                   [](const std::string& p) {
                     return PutEntryAt(p, 16384, 0, 0x83, 0, 4096, 16384);
                   },
                   {{"mbr.overlap", "error", 16384}}},
        DefectCase{"TwoExtendedEntries", nullptr, TwoExtended,
                   {{"mbr.extended-count", "warning", 0}}},
        DefectCase{"ChsStartOff", kPrimaries,
                   [](const std::string& p) {
                     return PutByte(p, EntryOffset(0, 0) + mbr_entry::kStartHead, 7);
                   },
                   {{"mbr.chs", "note", 2048}}},
        DefectCase{"EbrWithoutSignature", kLogicals,
                   [](const std::string& p) {
                     return test::WriteAt(p, 16384 * 512 + kBootSignatureOffset, {0, 0});
                   },
                   {{"ebr.signature", "error", 16384}}},
        DefectCase{"ChainLoopsBack", kLogicals,
                   [](const std::string& p) {
                     return PutEntryAt(p, 16384, 1, 0x05, 0, 6144, 10240);
                   },
                   {{"ebr.loop", "error", 10240}}},
        DefectCase{"LogicalOutsideItsExtended", kLogicals,
                   [](const std::string& p) {
                     return PutEntryAt(p, 16384, 0, 0x83, 2048, 16384, 16384);
                   },
                   {{"ebr.outside", "error", 18432}}},
        DefectCase{"LinkOutsideItsExtended", kLogicals,
                   [](const std::string& p) {
                     // To LBA 32768, past the extended partition's end (30719).
                     return PutEntryAt(p, 10240, 1, 0x05, 22528, 2048, 10240) &&
                            test::WriteAt(p, 32768u * 512 + kBootSignatureOffset, {0x55, 0xAA});
                   },
                   {{"ebr.outside", "error", 32768}}},
        DefectCase{"EbrUsesEntryThree", kLogicals,
                   [](const std::string& p) {
                     return PutEntryAt(p, 10240, 2, 0x83, 24576 - 10240, 2048, 10240);
                   },
                   {{"ebr.entries", "warning", 10240}}},
        DefectCase{"ChainCutByTheWalksCap", nullptr, LongChain,
                   {{"ebr.cap", "note", 2048 + kMaxChainEbrs}}}),
    [](const testing::TestParamInfo<DefectCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace disklens
