// --check on exFAT volumes made by mkfs.exfat and then damaged at a named
// offset, one defect a row: each gives exactly its finding (besides the note
// that names the volume) and its exit status; where fsck.exfat checks the
// same thing, it agrees.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

#include "bootsector/tool_support.h"
#include "check/volume_findings.h"
#include "support/program_runner.h"

namespace disklens {
namespace {

constexpr std::uint64_t kStart = 2048;
constexpr unsigned kMib = 16;

enum class Defect { kMainChecksum, kMainBootCode, kBackupChecksum, kBackupOfOtherVolume, kShortPartition };

struct DefectRow {
  const char* name;
  Defect defect;
  const char* id;
  const char* severity;
  std::uint64_t lba;
  int exitCode;
  bool fsckSees;  // fsck.exfat -n checks the main boot region only
};

void FlipByte(const std::string& path, std::uint64_t at) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekg(static_cast<std::streamoff>(at));
  const int byte = f.get();
  f.seekp(static_cast<std::streamoff>(at));
  f.put(static_cast<char>(byte ^ 0x01));
}

class ExfatDamage : public testing::TestWithParam<DefectRow> {};

TEST_P(ExfatDamage, GivesExactlyItsFinding) {
  const DefectRow& c = GetParam();
  const std::string missing = test::MissingTool({"mkfs.exfat", "fsck.exfat", "sfdisk"});
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed";
  test::ScratchDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string disk = dir.File("disk.img");
  const std::string vol = dir.File("vol.img");
  int status = 0;
  test::Shell("truncate -s " + std::to_string(kMib) + "M " + vol + " && mkfs.exfat -c 4K " + vol +
                  " >/dev/null 2>&1",
              &status);
  ASSERT_EQ(status, 0);
  switch (c.defect) {
    case Defect::kMainChecksum: FlipByte(vol, 11 * 512 + 8); break;
    case Defect::kMainBootCode: FlipByte(vol, 2 * 512 + 100); break;
    case Defect::kBackupChecksum: FlipByte(vol, 23 * 512 + 8); break;
    case Defect::kBackupOfOtherVolume: {
      // The backup region of another volume, whole and sealed, but with its
      // own serial number and geometry.
      const std::string other = dir.File("other.img");
      test::Shell("truncate -s " + std::to_string(kMib) + "M " + other + " && mkfs.exfat -c 64K " +
                      other + " >/dev/null 2>&1 && dd if=" + other + " of=" + vol +
                      " bs=512 skip=12 seek=12 count=12 conv=notrunc status=none",
                  &status);
      ASSERT_EQ(status, 0);
      break;
    }
    case Defect::kShortPartition: break;
  }
  const std::uint64_t partition = kMib * 2048 - (c.defect == Defect::kShortPartition ? 100 : 0);
  test::Shell("truncate -s " + std::to_string(kMib + 2) + "M " + disk + " && printf 'label: dos\\nstart=" +
                  std::to_string(kStart) + ", size=" + std::to_string(partition) +
                  ", type=7\\n' | sfdisk " + disk + " >/dev/null 2>&1 && dd if=" + vol + " of=" +
                  disk + " bs=1M seek=1 conv=notrunc status=none",
              &status);
  ASSERT_EQ(status, 0);

  const test::ProgramRun run = test::RunDisklens(disk, {"--json", "--check"});
  EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
  const nlohmann::json findings =
      test::VolumeFindings(nlohmann::json::parse(run.out).at("disks").at(0).at("findings"));
  ASSERT_EQ(findings.size(), 2u) << findings.dump();
  EXPECT_EQ(findings.at(0).at("id"), "fs.kind");
  EXPECT_EQ(findings.at(1).at("id"), c.id);
  EXPECT_EQ(findings.at(1).at("severity"), c.severity);
  EXPECT_EQ(findings.at(1).at("lba"), c.lba);

  int fsck = 0;
  test::Shell("fsck.exfat -n " + vol + " >/dev/null 2>&1", &fsck);
  EXPECT_EQ(fsck != 0, c.fsckSees);

  // The text run reports the same finding, on its CHECKS line.
  const test::ProgramRun text = test::RunDisklens(disk, {"--check"});
  EXPECT_EQ(text.exitCode, c.exitCode);
  EXPECT_NE(text.out.find(std::string(c.id) + " LBA " + std::to_string(c.lba)), std::string::npos)
      << text.out;
}

INSTANTIATE_TEST_SUITE_P(
    Defects, ExfatDamage,
    testing::Values(
        DefectRow{"main_checksum_sector", Defect::kMainChecksum, "exfat.checksum", "error",
                  kStart + 11, 3, true},
        DefectRow{"main_extended_boot_sector", Defect::kMainBootCode, "exfat.checksum", "error",
                  kStart + 11, 3, true},
        DefectRow{"backup_checksum_sector", Defect::kBackupChecksum, "exfat.checksum", "error",
                  kStart + 23, 3, false},
        DefectRow{"backup_of_another_volume", Defect::kBackupOfOtherVolume, "exfat.backup",
                  "warning", kStart + 12, 2, false},
        DefectRow{"partition_shorter_than_volume", Defect::kShortPartition, "fs.size", "error",
                  kStart, 3, false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace disklens
