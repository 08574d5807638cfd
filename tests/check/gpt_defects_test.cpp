// The protective-MBR and GPT checks of --check on images that sgdisk and
// sfdisk make, each damaged at a named offset (CRCs retaken with zlib where
// the row wants a valid one): one defect a row, with the finding it must
// give; sgdisk -v agrees where it checks the same thing.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "gpt/run_tool.h"
#include "layout/gpt.h"
#include "layout/mbr.h"
#include "support/program_runner.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

constexpr std::uint64_t kSectors = 16384;  // 8 MiB of 512-byte sectors
constexpr std::uint64_t kLast = kSectors - 1;
constexpr std::size_t kSs = 512;

// The image's bytes, patched in place.
struct Image {
  std::vector<std::uint8_t> bytes;

  std::uint8_t* At(std::uint64_t lba, std::size_t offset = 0) {
    return bytes.data() + lba * kSs + offset;
  }
  std::uint64_t U64(std::uint64_t lba, std::size_t offset) {
    std::uint64_t v = 0;
    std::memcpy(&v, At(lba, offset), 8);
    return v;
  }
  std::uint32_t U32(std::uint64_t lba, std::size_t offset) {
    std::uint32_t v = 0;
    std::memcpy(&v, At(lba, offset), 4);
    return v;
  }
  void Put32(std::uint64_t lba, std::size_t offset, std::uint32_t v) {
    std::memcpy(At(lba, offset), &v, 4);
  }
  void Put64(std::uint64_t lba, std::size_t offset, std::uint64_t v) {
    std::memcpy(At(lba, offset), &v, 8);
  }
  // Retakes the array's CRC, then the header's, of the header at `lba`.
  void Reseal(std::uint64_t lba) {
    const std::uint64_t arrayLba = U64(lba, gpt_header::kEntryLba);
    const std::uint64_t arrayBytes = static_cast<std::uint64_t>(U32(lba, gpt_header::kEntryCount)) *
                                     U32(lba, gpt_header::kEntrySize);
    Put32(lba, gpt_header::kEntryArrayCrc,
          static_cast<std::uint32_t>(crc32(0, At(arrayLba), static_cast<uInt>(arrayBytes))));
    Put32(lba, gpt_header::kHeaderCrc, 0);
    Put32(lba, gpt_header::kHeaderCrc,
          static_cast<std::uint32_t>(crc32(0, At(lba), U32(lba, gpt_header::kHeaderSize))));
  }
  // Applies `patch` to the slot of entry `number` (1-based) in both arrays.
  void PatchEntry(int number, const std::function<void(std::uint8_t*)>& patch) {
    for (const std::uint64_t header : {std::uint64_t{1}, kLast}) {
      const std::uint64_t arrayLba = U64(header, gpt_header::kEntryLba);
      patch(At(arrayLba) + static_cast<std::size_t>(number - 1) * 128);
      Reseal(header);
    }
  }
};

struct DefectCase {
  const char* name;
  std::function<void(Image&)> damage;
  const char* id;
  const char* severity;
  std::optional<std::uint64_t> lba;
  int exitCode;
  const char* inMessage;  // a part of the message, "" for none
  bool sgdiskSeesIt;      // sgdisk -v reports a problem on the damaged image
  std::uint64_t bytesAfter = 0;  // the image's new size, 0 to keep it
};

struct Made {
  test::TempDir dir;
  std::string path;
};

// A fresh sgdisk image: two 1 MiB partitions at LBAs 2048 and 4096.
bool MakeSgdiskImage(const std::string& path) {
  return test::RunTool("truncate -s 8M " + test::ShellQuote(path) + " && sgdisk -o -n 1:2048:+1M -n 2:0:+1M " +
                       test::ShellQuote(path) + " >/dev/null")
      .has_value();
}

nlohmann::json Findings(const test::ProgramRun& run) {
  const nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
  if (doc.is_discarded()) return nlohmann::json::array();
  return doc["disks"][0]["findings"];
}

// Findings of the protective-MBR, GPT and alignment families, notes left out.
std::vector<nlohmann::json> OurWarnings(const nlohmann::json& findings) {
  std::vector<nlohmann::json> ours;
  for (const auto& f : findings) {
    const std::string id = f["id"];
    const bool family = id.rfind("gpt.", 0) == 0 || id.rfind("pmbr.", 0) == 0 ||
                        id.rfind("hybrid.", 0) == 0 || id.rfind("align.", 0) == 0;
    if (family && f["severity"] != "note") ours.push_back(f);
  }
  return ours;
}

class GptDefectTest : public testing::TestWithParam<DefectCase> {};

TEST_P(GptDefectTest, GivesItsFindingAndExitStatus) {
  if (!test::HaveTool("sgdisk")) GTEST_SKIP() << "sgdisk is not installed";
  const DefectCase& c = GetParam();
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string path = dir.File("disk.img");
  ASSERT_TRUE(MakeSgdiskImage(path));
  Image image{test::ReadFileBytes(path)};
  ASSERT_EQ(image.bytes.size(), kSectors * kSs);
  c.damage(image);
  if (c.bytesAfter != 0) image.bytes.resize(c.bytesAfter, 0);
  dir.Write("disk.img", image.bytes);

  const test::ProgramRun run = test::RunDisklens(path, {"--json", "--check"});
  EXPECT_EQ(run.exitCode, c.exitCode) << run.out;
  int matches = 0;
  for (const auto& f : Findings(run)) {
    if (f["id"] != c.id) continue;
    ++matches;
    EXPECT_EQ(f["severity"], c.severity) << f.dump();
    if (c.lba) {
      EXPECT_EQ(f["lba"], *c.lba) << f.dump();
    } else {
      EXPECT_TRUE(f["lba"].is_null()) << f.dump();
    }
    EXPECT_NE(f["message"].get<std::string>().find(c.inMessage), std::string::npos) << f.dump();
  }
  EXPECT_EQ(matches, 1) << run.out;

  if (c.sgdiskSeesIt) {
    const std::optional<std::string> v = test::RunTool("sgdisk -v " + test::ShellQuote(path));
    ASSERT_TRUE(v.has_value());
    // sgdisk -v exits 0 either way; what it says tells.
    const bool problem = v->find("ERROR") != std::string::npos ||
                         v->find("Caution") != std::string::npos ||
                         v->find("Warning") != std::string::npos ||
                         v->find("Problem:") != std::string::npos ||
                         v->find("No problems found") == std::string::npos;
    EXPECT_TRUE(problem) << *v;
  }
}

void FlipByte(Image& i, std::uint64_t lba, std::size_t offset) { *i.At(lba, offset) ^= 0xFF; }

INSTANTIATE_TEST_SUITE_P(
    Damaged, GptDefectTest,
    testing::Values(
        DefectCase{"PrimaryHeaderCrc",
                   [](Image& i) { FlipByte(i, 1, gpt_header::kDiskGuid); }, "gpt.primary", "error",
                   1, 3, "header CRC-32", true},
        DefectCase{"PrimarySignature", [](Image& i) { FlipByte(i, 1, 0); }, "gpt.primary", "error",
                   1, 3, "signature", true},
        DefectCase{"PrimaryArrayCrc", [](Image& i) { FlipByte(i, 2, 0); }, "gpt.primary", "error",
                   1, 3, "entry-array CRC-32", true},
        DefectCase{"PrimaryRevisionResealed",
                   [](Image& i) {
                     i.Put32(1, gpt_header::kRevision, 0x00020000);
                     i.Reseal(1);
                   },
                   "gpt.primary", "error", 1, 3, "revision", false},
        DefectCase{"BackupHeaderCrc",
                   [](Image& i) { FlipByte(i, kLast, gpt_header::kDiskGuid); }, "gpt.backup",
                   "error", kLast, 3, "header CRC-32", true},
        DefectCase{"BackupArrayCrc", [](Image& i) { FlipByte(i, kLast - 32, 0); }, "gpt.backup",
                   "error", kLast, 3, "entry-array CRC-32", true},
        DefectCase{"BackupMyLbaResealed",
                   [](Image& i) {
                     i.Put64(kLast, gpt_header::kMyLba, kLast - 1);
                     i.Reseal(kLast);
                   },
                   "gpt.backup", "error", kLast, 3, "MyLBA", false},
        DefectCase{"BackupDiskGuidResealed",
                   [](Image& i) {
                     *i.At(kLast, gpt_header::kDiskGuid) ^= 0x01;
                     i.Reseal(kLast);
                   },
                   "gpt.differ", "error", kLast, 3, "disk GUID", false},
        DefectCase{"Grown", [](Image&) {}, "gpt.backup-not-at-end", "warning", kLast, 2,
                   "before the disk's last LBA", false, (kSectors + 2048) * kSs},
        DefectCase{"GrownPmbr", [](Image&) {}, "pmbr.size", "warning", 0, 2, "harmless", false,
                   (kSectors + 2048) * kSs},
        DefectCase{"Truncated", [](Image&) {}, "gpt.truncated", "error", 1, 3,
                   "past the disk's last LBA", false, (kSectors - 2048) * kSs},
        DefectCase{"EntrySize256",
                   [](Image& i) {
                     // 64 entries of 256 bytes in the same 16 KiB, in both copies.
                     for (const std::uint64_t h : {std::uint64_t{1}, kLast}) {
                       std::uint8_t* a = i.At(i.U64(h, gpt_header::kEntryLba));
                       std::vector<std::uint8_t> wide(16384, 0);
                       for (std::size_t k = 0; k < 64; ++k) std::memcpy(&wide[k * 256], a + k * 128, 128);
                       std::memcpy(a, wide.data(), wide.size());
                       i.Put32(h, gpt_header::kEntryCount, 64);
                       i.Put32(h, gpt_header::kEntrySize, 256);
                       i.Reseal(h);
                     }
                   },
                   "gpt.entry-size", "warning", 1, 2, "256 bytes", false},
        DefectCase{"Overlap",
                   [](Image& i) {
                     i.PatchEntry(2, [](std::uint8_t* e) {
                       const std::uint64_t start = 3000;
                       std::memcpy(e + gpt_entry::kStartLba, &start, 8);
                     });
                   },
                   "gpt.overlap", "error", 2, 3, "GPT entry 1 (Num 0) and GPT entry 2 (Num 1) share LBAs 3000 to 4095", true},
        DefectCase{"OutsideUsable",
                   [](Image& i) {
                     i.PatchEntry(2, [](std::uint8_t* e) {
                       const std::uint64_t end = kLast - 5;
                       std::memcpy(e + gpt_entry::kEndLba, &end, 8);
                     });
                   },
                   "gpt.range", "error", 2, 3, "outside the usable LBAs", true},
        DefectCase{"EndsBeforeStart",
                   [](Image& i) {
                     i.PatchEntry(1, [](std::uint8_t* e) {
                       const std::uint64_t end = 2000;
                       std::memcpy(e + gpt_entry::kEndLba, &end, 8);
                     });
                   },
                   "gpt.range", "error", 2, 3, "before it starts", false},
        DefectCase{"PmbrStart",
                   [](Image& i) {
                     i.Put32(0, kPartitionTableOffset + mbr_entry::kStartLba, 2);
                   },
                   "pmbr.start", "warning", 0, 2, "starts at LBA 2", false},
        DefectCase{"PmbrCount",
                   [](Image& i) {
                     std::memcpy(i.At(0, kPartitionTableOffset + 16), i.At(0, kPartitionTableOffset),
                                 16);
                   },
                   "pmbr.count", "warning", 0, 2, "2 entries", false},
        DefectCase{"HybridMismatch",
                   [](Image& i) {
                     std::uint8_t* e = i.At(0, kPartitionTableOffset + 16);
                     e[mbr_entry::kType] = 0x0C;
                     const std::uint32_t start = 4096;
                     const std::uint32_t size = 100;
                     std::memcpy(e + mbr_entry::kStartLba, &start, 4);
                     std::memcpy(e + mbr_entry::kSectorCount, &size, 4);
                   },
                   "hybrid.mismatch", "warning", 0, 2, "hybrid MBR entry 2", false}),
    [](const testing::TestParamInfo<DefectCase>& p) { return std::string(p.param.name); });

// Only the backup is intact: the primary's finding names the check, the JSON
// carries the backup with its entries, and the text lists them.
TEST(GptBackupOnly, IsListedInTheJsonAndTheText) {
  if (!test::HaveTool("sgdisk")) GTEST_SKIP() << "sgdisk is not installed";
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string path = dir.File("disk.img");
  ASSERT_TRUE(MakeSgdiskImage(path));
  Image image{test::ReadFileBytes(path)};
  FlipByte(image, 1, gpt_header::kHeaderCrc);
  dir.Write("disk.img", image.bytes);

  const test::ProgramRun json = test::RunDisklens(path, {"--json", "--check"});
  EXPECT_EQ(json.exitCode, 3);
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  const nlohmann::json& backup = doc["disks"][0]["gpt_backup"];
  ASSERT_TRUE(backup.is_object()) << json.out;
  ASSERT_EQ(backup["entries"].size(), 2u);
  EXPECT_EQ(backup["entries"][0]["first_lba"], 2048);
  EXPECT_EQ(backup["entries"][1]["first_lba"], 4096);
  EXPECT_EQ(backup["entries"][1]["last_lba"], 6143);

  const test::ProgramRun text = test::RunDisklens(path, {"--check"});
  EXPECT_EQ(text.exitCode, 3);
  EXPECT_NE(text.out.find("error   gpt.primary LBA 1 byte 16: the primary GPT at LBA 1 fails the "
                          "header CRC-32 check"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("Backup GPT (LBA 16383), the intact copy:"), std::string::npos)
      << text.out;
}

// Clean images straight from the tools give no warning and no error of ours.
TEST(GptCleanImages, GiveNoWarning) {
  if (!test::HaveTool("sgdisk") || !test::HaveTool("fdisk")) GTEST_SKIP() << "no sgdisk/fdisk";
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string sg = dir.File("sg.img");
  ASSERT_TRUE(MakeSgdiskImage(sg));
  const std::string k4 = dir.File("k4.img");
  // fdisk -b gives a file 4096-byte sectors, with no loop device.
  ASSERT_TRUE(test::RunTool("truncate -s 32M " + test::ShellQuote(k4) +
                            " && printf 'g\\nn\\n\\n\\n+1M\\nn\\n\\n\\n+2M\\nw\\n' | fdisk -b 4096 " +
                            test::ShellQuote(k4) + " >/dev/null")
                  .has_value());
  for (const std::string& disk : {sg, k4 + "@4096"}) {
    const test::ProgramRun run = test::RunDisklens(disk, {"--json", "--check"});
    EXPECT_EQ(run.exitCode, 0) << disk << run.out;
    EXPECT_TRUE(OurWarnings(Findings(run)).empty()) << disk << run.out;
    const nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(doc.is_discarded());
    EXPECT_TRUE(doc["disks"][0]["gpt_backup"].is_object()) << disk;
  }
  // The 4096-byte GPT read at 512: the one finding says which suffix to give.
  const test::ProgramRun wrong = test::RunDisklens(k4, {"--json", "--check"});
  EXPECT_EQ(wrong.exitCode, 2) << wrong.out;
  const std::vector<nlohmann::json> ours = OurWarnings(Findings(wrong));
  ASSERT_EQ(ours.size(), 1u) << wrong.out;
  EXPECT_EQ(ours[0]["id"], "gpt.sector-size");
  EXPECT_EQ(ours[0]["severity"], "warning");
  EXPECT_NE(ours[0]["hint"].get<std::string>().find("@4096"), std::string::npos);
}

// The sample disks and the peer images give no warning and no error of ours.
TEST(GptCleanImages, SampleAndPeerDisksGiveNoWarning) {
  std::vector<std::string> disks = {std::string(DISKLENS_SAMPLE_DIR) + "/disk0.img",
                                    std::string(DISKLENS_SAMPLE_DIR) + "/disk1.img"};
  const std::string peer = DISKLENS_PEER_DIR;
  for (const char* p : {"/gpt-rs/gpt-disk.img", "/mbrman/disk1.img", "/mbrman/disk2.img"}) {
    if (std::ifstream(peer + p).good()) disks.push_back(peer + p);
  }
  for (const std::string& disk : disks) {
    if (!std::ifstream(disk).good()) continue;
    const test::ProgramRun run = test::RunDisklens(disk, {"--json", "--check"});
    EXPECT_TRUE(OurWarnings(Findings(run)).empty()) << disk << "\n" << run.out;
  }
}

}  // namespace
}  // namespace disklens
