// The boot-sector checks of --check on disks that sfdisk, mkfs.fat and mkntfs
// make: one defect a row, put in at a named offset, and the finding it gives;
// fsck.fat -n and ntfsfix -n, where they check the same thing, agree.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "bootsector/tool_support.h"
#include "support/program_runner.h"

namespace disklens {
namespace {

using test::Shell;

// The layout every row starts from (512-byte sectors, 64 MiB).
constexpr std::uint64_t kFat16 = 2048;    // type 0x06, 20,480 sectors
constexpr std::uint64_t kFat32 = 22528;   // type 0x0C, 73,728 sectors
constexpr std::uint64_t kNtfs = 96256;    // type 0x07, 20,480 sectors
constexpr std::uint64_t kEbr = 116736;    // the extended partition, to the disk's end
constexpr std::uint64_t kLogical = 118784;  // type 0x06, 10,240 sectors, 2048 behind its EBR
constexpr std::uint64_t kNtfsLast = kNtfs + 20480 - 1;

constexpr const char* kLayout =
    "label: dos\n"
    "start=2048, size=20480, type=6\n"
    "start=22528, size=73728, type=c\n"
    "start=96256, size=20480, type=7\n"
    "start=116736, type=5\n"
    "start=118784, size=10240, type=6\n";

struct Patch {
  std::uint64_t offset;  // in bytes from the disk's start
  std::vector<std::uint8_t> bytes;
};

std::uint64_t At(std::uint64_t lba, std::uint64_t byte) { return lba * 512 + byte; }

std::vector<std::uint8_t> Le32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

enum class Peer { kNone, kFsckFat, kNtfsfix };

struct Expected {
  std::string id;
  std::string severity;
  std::uint64_t lba;
};

struct Row {
  const char* name;
  std::vector<Patch> patches;
  std::vector<Expected> findings;  // of this family, in the order given
  int exitCode;
  Peer peer;
  std::uint64_t peerStart;    // the partition the peer checks
  std::uint64_t peerSectors;
  const char* peerSays;       // in the peer's output
  bool peerFails = true;      // the peer exits non-zero (fsck.fat passes a differing backup)
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class BootChecksOnToolDisks : public testing::TestWithParam<Row> {
 protected:
  static void SetUpTestSuite() {
    const std::string missing = test::MissingTool({"sfdisk", "mkfs.fat", "mkntfs", "fsck.fat", "ntfsfix"});
    if (!missing.empty()) {
      skip_ = "needs " + missing;
      return;
    }
    dir_ = new test::ScratchDir();
    const std::string disk = dir_->File("base.img");
    const std::string ntfs = dir_->File("ntfs.part");
    int status = 0;
    Shell("truncate -s 64M '" + disk + "' && printf '" + std::string(kLayout) + "' | sfdisk -q '" +
              disk + "' && mkfs.fat -F 16 -h 2048 --offset=2048 '" + disk +
              "' 10240 >/dev/null && mkfs.fat -F 32 -h 22528 --offset=22528 '" + disk +
              "' 36864 >/dev/null && mkfs.fat -F 16 -s 2 -h 118784 --offset=118784 '" + disk +
              "' 5120 >/dev/null && truncate -s 10M '" + ntfs + "' && mkntfs -F -Q -p 96256 -H 255 -S 63 '" +
              ntfs + "' >/dev/null 2>&1 && dd if='" + ntfs + "' of='" + disk +
              "' bs=512 seek=96256 conv=notrunc status=none",
          &status);
    made_ = status == 0;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  static test::ScratchDir* dir_;
  static std::string skip_;
  static bool made_;
};

test::ScratchDir* BootChecksOnToolDisks::dir_ = nullptr;
std::string BootChecksOnToolDisks::skip_;
bool BootChecksOnToolDisks::made_ = false;

void Apply(const std::string& path, const std::vector<Patch>& patches) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  for (const Patch& p : patches) {
    f.seekp(static_cast<std::streamoff>(p.offset));
    f.write(reinterpret_cast<const char*>(p.bytes.data()), static_cast<std::streamsize>(p.bytes.size()));
  }
}

bool OfThisFamily(const std::string& id) {
  for (const char* prefix : {"fs.", "fat.", "fat32.", "ntfs."}) {
    if (id.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

TEST_P(BootChecksOnToolDisks, GivesTheFindingAndThePeerAgrees) {
  if (!skip_.empty()) GTEST_SKIP() << skip_;
  ASSERT_TRUE(made_) << "sfdisk, mkfs.fat or mkntfs did not make the disk";
  const Row& row = GetParam();
  const std::string disk = dir_->File(std::string(row.name) + ".img");
  std::filesystem::copy_file(dir_->File("base.img"), disk, std::filesystem::copy_options::overwrite_existing);
  Apply(disk, row.patches);

  const test::ProgramRun run = test::RunDisklens(disk, {"--json", "--check"});
  const nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << run.out << run.err;
  std::vector<std::tuple<std::string, std::string, std::uint64_t>> found;
  for (const auto& f : doc["disks"][0]["findings"]) {
    const std::string id = f["id"];
    if (!OfThisFamily(id)) continue;
    found.emplace_back(id, f["severity"], f["lba"].is_number() ? f["lba"].get<std::uint64_t>() : ~0ull);
  }
  std::vector<std::tuple<std::string, std::string, std::uint64_t>> expected;
  for (const Expected& e : row.findings) expected.emplace_back(e.id, e.severity, e.lba);
  EXPECT_EQ(found, expected) << run.out;
  EXPECT_EQ(run.exitCode, row.exitCode) << run.err;

  if (row.peer == Peer::kNone) return;
  const std::string part = dir_->File(std::string(row.name) + ".part");
  int status = 0;
  Shell("dd if='" + disk + "' of='" + part + "' bs=512 skip=" + std::to_string(row.peerStart) +
            " count=" + std::to_string(row.peerSectors) + " status=none",
        &status);
  ASSERT_EQ(status, 0);
  const std::string tool = row.peer == Peer::kFsckFat ? "fsck.fat -n '" : "ntfsfix -n '";
  const std::string said = Shell(tool + part + "' 2>&1", &status);
  if (row.findings.empty()) {
    EXPECT_EQ(status, 0) << said;
  } else {
    if (row.peerFails) {
      EXPECT_NE(status, 0) << said;
    }
    EXPECT_NE(said.find(row.peerSays), std::string::npos) << said;
  }
}

const Peer kFsck = Peer::kFsckFat;
const Peer kNtfsfix = Peer::kNtfsfix;

INSTANTIATE_TEST_SUITE_P(
    Defects, BootChecksOnToolDisks,
    testing::Values(
        Row{"Clean", {}, {}, 0, kFsck, kFat16, 20480, ""},
        Row{"CleanFat32", {}, {}, 0, kFsck, kFat32, 73728, ""},
        Row{"CleanNtfs", {}, {}, 0, kNtfsfix, kNtfs, 20480, ""},
        Row{"CleanLogical", {}, {}, 0, kFsck, kLogical, 10240, ""},
        // fat.bpb, each condition of fsck.fat's read_boot
        Row{"SectorSizeZero", {{At(kFat16, 0x0B), {0, 0}}}, {{"fat.bpb", "error", kFat16}}, 3,
            kFsck, kFat16, 20480, "Logical sector size is zero"},
        Row{"ClusterSizeZero", {{At(kFat16, 0x0D), {0}}}, {{"fat.bpb", "error", kFat16}}, 3, kFsck,
            kFat16, 20480, "Cluster size is zero"},
        Row{"ClusterSizeThree", {{At(kFat16, 0x0D), {3}}}, {{"fat.bpb", "error", kFat16}}, 3,
            Peer::kNone, 0, 0, ""},
        Row{"NoFat", {{At(kFat16, 0x10), {0}}}, {{"fat.bpb", "error", kFat16}}, 3, kFsck, kFat16,
            20480, "only 1 or 2 FATs are supported"},
        Row{"FatSizeZero", {{At(kFat16, 0x16), {0, 0}}}, {{"fat.bpb", "error", kFat16}}, 3, kFsck,
            kFat16, 20480, ""},
        Row{"MoreClustersThanTheFatHolds", {{At(kFat16, 0x0D), {1}}}, {{"fat.bpb", "error", kFat16}},
            3, kFsck, kFat16, 20480, "but only space for"},
        // fs.size
        Row{"Fat32LargerThanItsPartition",
            {{At(kFat32, 0x20), Le32(80000)}, {At(kFat32 + 6, 0x20), Le32(80000)}},
            {{"fs.size", "error", kFat32}}, 3, kFsck, kFat32, 73728, "Failed to read sector"},
        Row{"Fat16MuchSmallerThanItsPartition", {{At(kFat16, 0x13), {0xE0, 0x2E}}},
            {{"fs.size", "note", kFat16}}, 0, Peer::kNone, 0, 0, ""},
        // fs.hidden-sectors
        Row{"Fat16HiddenZero", {{At(kFat16, 0x1C), Le32(0)}}, {{"fs.hidden-sectors", "warning", kFat16}},
            2, Peer::kNone, 0, 0, ""},
        Row{"Fat32Hidden63", {{At(kFat32, 0x1C), Le32(63)}, {At(kFat32 + 6, 0x1C), Le32(63)}},
            {{"fs.hidden-sectors", "warning", kFat32}}, 2, Peer::kNone, 0, 0, ""},
        Row{"NtfsHidden63", {{At(kNtfs, 0x1C), Le32(63)}, {At(kNtfsLast, 0x1C), Le32(63)}},
            {{"fs.hidden-sectors", "warning", kNtfs}}, 2, Peer::kNone, 0, 0, ""},
        Row{"LogicalHiddenFromItsEbr", {{At(kLogical, 0x1C), Le32(kLogical - kEbr)}}, {}, 0,
            Peer::kNone, 0, 0, ""},
        Row{"LogicalHidden63", {{At(kLogical, 0x1C), Le32(63)}},
            {{"fs.hidden-sectors", "warning", kLogical}}, 2, Peer::kNone, 0, 0, ""},
        // fs.type: the entry's type byte (sector 0, 446 + 16 n + 4)
        Row{"Fat16InType0C", {{450, {0x0C}}}, {{"fs.type", "warning", kFat16}}, 2, Peer::kNone, 0, 0, ""},
        Row{"Fat32InType06", {{466, {0x06}}}, {{"fs.type", "warning", kFat32}}, 2, Peer::kNone, 0, 0, ""},
        Row{"NtfsInType0C", {{482, {0x0C}}}, {{"fs.type", "warning", kNtfs}}, 2, Peer::kNone, 0, 0, ""},
        Row{"HiddenFat16InType16", {{450, {0x16}}}, {}, 0, Peer::kNone, 0, 0, ""},
        // fat.dirty
        Row{"Fat16Dirty", {{At(kFat16, 0x25), {0x01}}}, {{"fat.dirty", "note", kFat16}}, 0, kFsck,
            kFat16, 20480, "Dirty bit is set"},
        Row{"Fat32DirtyBesideACleanBackup", {{At(kFat32, 0x41), {0x01}}},
            {{"fat.dirty", "note", kFat32}, {"fat32.backup", "note", kFat32}}, 0, kFsck, kFat32, 73728,
            "Dirty bit is set"},
        // fat32.backup
        Row{"Fat32BackupOtherVolumeId", {{At(kFat32, 0x43), {0x5A}}},
            {{"fat32.backup", "warning", kFat32}}, 2, kFsck, kFat32, 73728,
            "differences between boot sector and its backup", false},
        Row{"Fat32NoBackup", {{At(kFat32, 0x32), {0, 0}}}, {{"fat32.backup", "note", kFat32}}, 0,
            Peer::kNone, 0, 0, ""},
        // fat32.fsinfo
        Row{"Fat32FsInfoWithoutLeadSignature", {{At(kFat32 + 1, 0), Le32(0)}},
            {{"fat32.fsinfo", "warning", kFat32}}, 2, kFsck, kFat32, 73728, "FSINFO sector has bad magic"},
        // ntfs.backup, at the backup's LBA
        Row{"NtfsBackupBlank", {{At(kNtfsLast, 0), std::vector<std::uint8_t>(512, 0)}},
            {{"ntfs.backup", "error", kNtfsLast}}, 3, kNtfsfix, kNtfs, 20480,
            "Checking the alternate boot sector... BAD"},
        Row{"NtfsBackupOtherSerial", {{At(kNtfsLast, 0x48), {0x5A}}},
            {{"ntfs.backup", "error", kNtfsLast}}, 3, kNtfsfix, kNtfs, 20480,
            "Checking the alternate boot sector... BAD"}),
    [](const testing::TestParamInfo<Row>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace disklens
