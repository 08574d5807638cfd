// File systems made by real tools, and the peers' FAT images, read through the
// section and checked field by field against what mtools, ntfs-3g and blkid say.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bootsector/section_harness.h"
#include "bootsector/tool_support.h"

namespace disklens {
namespace {

using test::DiskImage;
using test::Number;
using test::ReportFields;
using test::Shell;
using test::SplitPair;
using test::Unquote;

constexpr std::uint32_t kPartitionLba = 2048;
constexpr std::size_t kPrefixBytes = 64 * 1024;  // the boot sector and its backup

// The image file `image` as the only partition (type `type`) of a fake disk,
// and the section's report of it. Only its first sectors are copied: the
// section reads nothing else of a FAT or NTFS partition.
std::string SectionOf(const std::string& image, std::uint8_t type, std::uint32_t sectorSize) {
  const std::vector<std::uint8_t> prefix = test::ReadPrefix(image, kPrefixBytes);
  const auto sectors = static_cast<std::uint32_t>(std::filesystem::file_size(image) / sectorSize);
  DiskImage disk((kPartitionLba + kPrefixBytes / sectorSize) * std::size_t{sectorSize}, sectorSize);
  disk.PutTable(0, {test::Entry(type, kPartitionLba, sectors)});
  std::memcpy(disk.Sector(kPartitionLba), prefix.data(), prefix.size());
  test::SectionHarness h;
  h.UseDisk(disk);
  h.Add(type, 1, sectors, kPartitionLba);
  return h.Run();
}

enum class Kind { kNumber, kHexNumber, kText };
struct FieldMatch {
  const char* label;  // in the report
  const char* key;    // in minfo's boot sector information
  Kind kind;
};

const std::vector<FieldMatch> kFatFields = {
    {"OEM Name", "banner", Kind::kText},
    {"Bytes Per Sec", "sector size", Kind::kNumber},
    {"Sec Per Clust", "cluster size", Kind::kNumber},
    {"Res Sectors", "reserved (boot) sectors", Kind::kNumber},
    {"Num FATs", "fats", Kind::kNumber},
    {"Root Dir Ents", "max available root directory slots", Kind::kNumber},
    {"Sectors", "small size", Kind::kNumber},
    {"Media", "media descriptor byte", Kind::kNumber},
    {"Secs Per FAT", "sectors per fat", Kind::kNumber},
    {"Sec Per Track", "sectors per track", Kind::kNumber},
    {"Heads", "heads", Kind::kNumber},
    {"Hidden Secs", "hidden sectors", Kind::kNumber},
    {"Huge Sectors", "big size", Kind::kNumber},  // minfo leaves it out when "small size" is set
    {"Drive Num", "physical drive id", Kind::kNumber},
    {"Res", "reserved", Kind::kNumber},
    {"Vol ID", "serial number", Kind::kHexNumber},
    {"Volume Label", "disk label", Kind::kText},
    {"FS Type", "disk type", Kind::kText},
};
const FieldMatch kFat16Signature = {"Sig", "dos4", Kind::kNumber};
const std::vector<FieldMatch> kFat32Fields = {
    {"Boot Sig", "dos4", Kind::kNumber},
    {"Huge Secs Per FAT", "Big fatlen", Kind::kNumber},
    {"Flags", "Extended flags", Kind::kNumber},
    {"Version", "FS version", Kind::kNumber},
    {"Root Dir Clust", "rootCluster", Kind::kNumber},
    {"FS Info Sec", "infoSector location", Kind::kNumber},
    {"FS Bkup Sec", "backup boot sector", Kind::kNumber},
};

// Every field the report and minfo both show agrees; on FAT32 the backup
// column too (a fresh file system's backup equals its primary).
void ExpectAgreesWithMinfo(const std::string& report, const std::string& image, bool fat32) {
  const std::string minfoText = Shell("MTOOLS_SKIP_CHECK=1 minfo -i '" + image + "' :: 2>/dev/null");
  const auto minfo = test::KeyValues(minfoText, "bootsector information");
  const auto fields = ReportFields(report);
  ASSERT_FALSE(minfo.empty()) << minfoText;
  std::vector<FieldMatch> matches = kFatFields;
  if (fat32) {
    matches.insert(matches.end(), kFat32Fields.begin(), kFat32Fields.end());
  } else {
    matches.push_back(kFat16Signature);
  }
  for (const FieldMatch& m : matches) {
    const auto theirs = minfo.find(m.key);
    if (theirs == minfo.end() && std::string(m.key) == "big size") continue;
    ASSERT_NE(theirs, minfo.end()) << m.key << "\n" << minfoText;
    ASSERT_EQ(fields.count(m.label), 1u) << m.label << "\n" << report;
    std::string primary;
    std::string backup;
    SplitPair(fields.at(m.label), primary, backup);
    if (!fat32) primary = fields.at(m.label);
    if (m.kind == Kind::kText) {
      EXPECT_EQ(primary, Unquote(theirs->second)) << m.label;
    } else {
      const int base = m.kind == Kind::kHexNumber ? 16 : 10;
      EXPECT_EQ(Number(primary), Number(theirs->second, base)) << m.label << ": " << primary;
    }
    if (fat32) {
      EXPECT_EQ(backup, primary) << m.label;
    }
  }
}

struct MadeFat {
  const char* fatSize;
  const char* megabytes;
  std::uint8_t type;
  const char* label;
  const char* volumeId;
};

TEST(BootSectorOracle, FatFileSystemsMadeByMkfsVfatAgreeWithMinfo) {
  const std::string missing = test::MissingTool({"mkfs.vfat", "minfo", "truncate"});
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed";
  test::ScratchDir dir;
  ASSERT_TRUE(dir.Ok());
  const MadeFat made[] = {
      {"12", "4", 0x01, "TWELVE", "0A0B0C0D"},
      {"16", "32", 0x06, "SIXTEEN", "1234ABCD"},
      {"32", "64", 0x0C, "THIRTY TWO", "7E00F00D"},
  };
  for (const MadeFat& m : made) {
    SCOPED_TRACE(std::string("FAT") + m.fatSize);
    const std::string image = dir.File(std::string("fat") + m.fatSize + ".img");
    int status = 0;
    const std::string log = Shell(std::string("truncate -s ") + m.megabytes + "M '" + image +
                                      "' && mkfs.vfat -F " + m.fatSize + " -h 2048 -n '" + m.label +
                                      "' -i " + m.volumeId + " '" + image + "' 2>&1",
                                  &status);
    ASSERT_EQ(status, 0) << log;
    const std::string report = SectionOf(image, m.type, 512);
    ExpectAgreesWithMinfo(report, image, m.type == 0x0C);
    // And with what mkfs.vfat was told.
    const auto fields = ReportFields(report);
    std::string label = m.label;
    label.resize(11, ' ');
    std::string primary;
    std::string backup;
    SplitPair(fields.at("Volume Label"), primary, backup);
    EXPECT_EQ(m.type == 0x0C ? primary : fields.at("Volume Label"), label);
    SplitPair(fields.at("Hidden Secs"), primary, backup);
    EXPECT_EQ(Number(primary), 2048u);
    SplitPair(fields.at("Vol ID"), primary, backup);
    EXPECT_EQ(Number(primary), Number(m.volumeId, 16));
  }
}

TEST(BootSectorOracle, NtfsMadeByMkfsNtfsAgreesWithNtfsinfoAndBlkid) {
  const std::string missing = test::MissingTool({"mkfs.ntfs", "ntfsinfo", "truncate"});
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed";
  test::ScratchDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string image = dir.File("ntfs.img");
  int status = 0;
  const std::string log = Shell("truncate -s 24M '" + image +
                                    "' && mkfs.ntfs -F -f -q -s 512 -c 4096 -p 2048 -H 255 -S 63 '" +
                                    image + "' 2>&1",
                                &status);
  ASSERT_EQ(status, 0) << log;
  const std::string report = SectionOf(image, 0x07, 512);
  const auto fields = ReportFields(report);
  ASSERT_EQ(fields.count("Zero 1"), 1u) << "not decoded as NTFS:\n" << report;

  const std::string infoText = Shell("ntfsinfo -m '" + image + "' 2>/dev/null");
  const auto info = test::KeyValues(infoText);
  ASSERT_EQ(info.count("Sector Size"), 1u) << infoText;
  const std::uint64_t bytesPerSector = Number(fields.at("Bytes Per Sec"));
  const std::uint64_t sectorsPerCluster = Number(fields.at("Sec Per Clust"));
  EXPECT_EQ(bytesPerSector, Number(info.at("Sector Size")));
  EXPECT_EQ(bytesPerSector, 512u);
  EXPECT_EQ(bytesPerSector * sectorsPerCluster, Number(info.at("Cluster Size")));
  EXPECT_EQ(bytesPerSector * sectorsPerCluster, 4096u);
  const std::uint64_t totalSectors = Number(fields.at("Total Sectors"));
  EXPECT_EQ(totalSectors / sectorsPerCluster, Number(info.at("Volume Size in Clusters")));
  EXPECT_LE(totalSectors, 24u * 1024 * 1024 / 512);
  EXPECT_EQ(Number(fields.at("MFT LCN")), Number(info.at("LCN of Data Attribute for FILE_MFT")));
  EXPECT_EQ(Number(fields.at("MFT Mirr LCN")),
            Number(info.at("LCN of Data Attribute for File_MFTMirr")));
  // What mkfs.ntfs was told.
  EXPECT_EQ(Number(fields.at("Hidden Secs")), 2048u);
  EXPECT_EQ(Number(fields.at("Heads")), 255u);
  EXPECT_EQ(Number(fields.at("Sec Per Track")), 63u);
  EXPECT_EQ(fields.at("OEM Name"), "NTFS    ");

  if (!test::MissingTool({"blkid"}).empty()) {
    std::cout << "[  NOTE    ] blkid is not installed: volume serial not checked\n";
    return;
  }
  std::string uuid = Shell("blkid -p -o value -s UUID '" + image + "' 2>/dev/null");
  while (!uuid.empty() && (uuid.back() == '\n' || uuid.back() == ' ')) uuid.pop_back();
  ASSERT_EQ(uuid.size(), 16u) << uuid;
  EXPECT_EQ(Number(fields.at("Volume SN")), Number(uuid, 16));
}

struct PeerImage {
  const char* name;
  std::uint8_t type;
  std::uint32_t sectorSize;
  const char* label;
  // Two reserved sectors leave no room for a backup: "FS Bkup Sec" is 0, the
  // backup column shows sector 6 (FAT space, zeros), and minfo refuses it.
  bool twoReservedSectors;
};

TEST(BootSectorOracle, PeerDosfstoolsImagesShowTheirPublishedValues) {
  // The environment may name the folder where the checkout sits elsewhere.
  const char* override = std::getenv("DISKLENS_PEER_DIR");
  const std::string folder =
      std::string(override != nullptr ? override : DISKLENS_PEER_DIR) + "/dosfstools/";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << folder << " is absent";
  if (!test::MissingTool({"xxd"}).empty()) GTEST_SKIP() << "xxd is not installed";
  const bool haveMinfo = test::MissingTool({"minfo"}).empty();
  test::ScratchDir dir;
  ASSERT_TRUE(dir.Ok());
  const PeerImage peers[] = {
      {"referenceFAT12", 0x01, 512, "TESTFAT12", false},
      {"referenceFAT16", 0x06, 512, "TESTFAT16", false},
      {"referenceFAT32", 0x0C, 512, "TESTFAT32", false},
      {"referenceFAT32mbr", 0x0C, 512, "TESTFAT32", false},
      {"mkfs-fat32_2_res_sects", 0x0C, 512, "TESTFAT32", true},
      {"mkfs-fat32_4K", 0x0C, 4096, "TEST4K", false},
  };
  int used = 0;
  for (const PeerImage& p : peers) {
    const std::string dump = folder + p.name + ".xxd";
    if (!std::filesystem::exists(dump)) {
      std::cout << "[  NOTE    ] " << dump << " is absent\n";
      continue;
    }
    SCOPED_TRACE(p.name);
    ++used;
    const std::string image = dir.File(std::string(p.name) + ".img");
    int status = 0;
    const std::string log = Shell("xxd -r '" + dump + "' '" + image + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << log;
    const bool fat32 = p.type == 0x0C;
    const std::string report = SectionOf(image, p.type, p.sectorSize);
    const auto fields = ReportFields(report);
    ASSERT_EQ(fields.count("Vol ID"), 1u) << report;
    std::string label = p.label;
    label.resize(11, ' ');
    const std::string sectorSize = std::to_string(p.sectorSize);
    if (!fat32) {
      EXPECT_EQ(fields.at("Vol ID"), "0x1234ABCD");
      EXPECT_EQ(fields.at("Volume Label"), label);
      EXPECT_EQ(fields.at("Bytes Per Sec"), sectorSize);
    } else if (!p.twoReservedSectors) {
      EXPECT_EQ(fields.at("Vol ID"), "0x1234ABCD (0x1234ABCD)");
      EXPECT_EQ(fields.at("Volume Label"), label + " (" + label + ")");
      EXPECT_EQ(fields.at("Bytes Per Sec"), sectorSize + " (" + sectorSize + ")");
    } else {
      EXPECT_EQ(fields.at("Vol ID"), "0x1234ABCD (0x0)");
      EXPECT_EQ(fields.at("Volume Label"), label + " ()");
      EXPECT_EQ(fields.at("Res Sectors"), "2 (0)");
      EXPECT_EQ(fields.at("FS Bkup Sec"), "0 (0)");
    }
    if (haveMinfo && !p.twoReservedSectors) ExpectAgreesWithMinfo(report, image, fat32);
    std::filesystem::remove(image);
  }
  if (used == 0) GTEST_SKIP() << "no dosfstools image in " << folder;
  if (!haveMinfo) std::cout << "[  NOTE    ] minfo is not installed: only published values checked\n";
}

}  // namespace
}  // namespace disklens
