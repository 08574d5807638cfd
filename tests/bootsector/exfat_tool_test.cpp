// exFAT volumes made by mkfs.exfat (exfatprogs) at several sizes and cluster
// sizes, in an MBR type 0x07 partition (sfdisk) or a GPT basic-data one
// (sgdisk), on 512- and 4096-byte sectors: every field of the row's JSON
// equals what dump.exfat reports for the volume, or the bytes mkfs.exfat
// wrote where dump.exfat is silent; the boot checksum mkfs.exfat wrote holds;
// and the check finds nothing but the note that names the volume.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

#include "bootsector/tool_support.h"
#include "check/volume_findings.h"
#include "support/program_runner.h"

namespace disklens {
namespace {

struct ToolCase {
  const char* name;
  unsigned mib;
  const char* cluster;  // mkfs.exfat -c
  bool gpt;
  bool sector4096;      // made through a loop device of 4096-byte sectors
};

std::uint64_t Le(const std::vector<std::uint8_t>& b, std::size_t at, unsigned width) {
  std::uint64_t v = 0;
  for (unsigned i = 0; i < width; ++i) v |= std::uint64_t{b.at(at + i)} << (8 * i);
  return v;
}

std::string Hex(std::uint64_t v, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(v));
  return text;
}

// Sector 0 of a 4096-byte-sector disk: one type 0x07 entry, by hand.
void PutMbr4096(const std::string& path, std::uint32_t start, std::uint32_t sectors) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  std::uint8_t entry[16] = {0, 0xFE, 0xFF, 0xFF, 0x07, 0xFE, 0xFF, 0xFF};
  for (int i = 0; i < 4; ++i) entry[8 + i] = static_cast<std::uint8_t>(start >> (8 * i));
  for (int i = 0; i < 4; ++i) entry[12 + i] = static_cast<std::uint8_t>(sectors >> (8 * i));
  f.seekp(446);
  f.write(reinterpret_cast<const char*>(entry), 16);
  f.seekp(510);
  f.write("\x55\xAA", 2);
}

// dump.exfat aligns its values with tabs.
std::uint64_t Num(const std::string& value) {
  const std::size_t at = value.find_first_not_of(" \t");
  return test::Number(at == std::string::npos ? "" : value.substr(at));
}

class ExfatTool : public testing::TestWithParam<ToolCase> {};

TEST_P(ExfatTool, JsonFieldsAgreeWithDumpExfat) {
  const ToolCase& c = GetParam();
  const std::string missing =
      test::MissingTool({"mkfs.exfat", "dump.exfat", "fsck.exfat", "sfdisk", "sgdisk"});
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed";
  test::ScratchDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string disk = dir.File("disk.img");
  const std::string vol = dir.File("vol.img");
  const std::string mib = std::to_string(c.mib);
  const unsigned sectorSize = c.sector4096 ? 4096 : 512;
  const std::uint64_t start = 1048576 / sectorSize;
  std::string dump;
  int status = 0;
  test::Shell("truncate -s " + std::to_string(c.mib + 2) + "M " + disk, &status);
  ASSERT_EQ(status, 0);
  std::vector<std::uint8_t> raw;
  if (c.sector4096) {
    // Only a block device of 4096-byte sectors makes mkfs.exfat use them.
    const std::string loop = test::Shell("losetup -o 1048576 --sizelimit " + mib +
                                         "M --sector-size 4096 -f --show " + disk + " 2>/dev/null");
    if (loop.empty()) GTEST_SKIP() << "no loop device of 4096-byte sectors here";
    const std::string dev = loop.substr(0, loop.find('\n'));
    test::Shell("mkfs.exfat -c " + std::string(c.cluster) + " " + dev + " >/dev/null 2>&1", &status);
    dump = test::Shell("dump.exfat " + dev + " 2>/dev/null");
    test::Shell("losetup -d " + dev);
    ASSERT_EQ(status, 0);
    PutMbr4096(disk, static_cast<std::uint32_t>(start), c.mib * 256);
    std::ifstream in(disk, std::ios::binary);
    in.seekg(1048576);
    raw.resize(24 * 4096);
    in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
  } else {
    test::Shell("truncate -s " + mib + "M " + vol + " && mkfs.exfat -c " + c.cluster + " " + vol +
                    " >/dev/null 2>&1",
                &status);
    ASSERT_EQ(status, 0);
    if (c.gpt) {
      test::Shell("sgdisk -n 1:2048:+" + mib + "M -t 1:0700 " + disk + " >/dev/null 2>&1", &status);
    } else {
      test::Shell("printf 'label: dos\\nstart=2048, size=" + std::to_string(c.mib * 2048) +
                      ", type=7\\n' | sfdisk " + disk + " >/dev/null 2>&1",
                  &status);
    }
    ASSERT_EQ(status, 0);
    test::Shell("dd if=" + vol + " of=" + disk + " bs=1M seek=1 conv=notrunc status=none", &status);
    ASSERT_EQ(status, 0);
    dump = test::Shell("dump.exfat " + vol + " 2>/dev/null");
    raw = test::ReadPrefix(vol, 24 * 512);
    int fsck = 0;
    test::Shell("fsck.exfat -n " + vol + " >/dev/null 2>&1", &fsck);
    EXPECT_EQ(fsck, 0) << "the peer finds the fresh volume unclean";
  }
  const auto d = test::KeyValues(dump);
  const test::ProgramRun run =
      test::RunDisklens(disk + (c.sector4096 ? "@4096" : ""), {"--json", "--check"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const nlohmann::json doc = nlohmann::json::parse(run.out);
  const nlohmann::json& disk0 = doc.at("disks").at(0);
  const nlohmann::json& row = disk0.at("boot_sectors").at(0);
  ASSERT_EQ(row.at("decoder"), "exfat");
  EXPECT_EQ(row.at("lba"), start);
  const nlohmann::json& f = row.at("fields");
  EXPECT_EQ(f.at("volume_length"), Num(d.at("Volume Length(sectors)")));
  EXPECT_EQ(f.at("fat_offset"), Num(d.at("FAT Offset(sector offset)")));
  EXPECT_EQ(f.at("fat_length"), Num(d.at("FAT Length(sectors)")));
  EXPECT_EQ(f.at("cluster_heap_offset"), Num(d.at("Cluster Heap Offset (sector offset)")));
  EXPECT_EQ(f.at("cluster_count"), Num(d.at("Cluster Count")));
  EXPECT_EQ(f.at("first_cluster_of_root_directory"),
            Num(d.at("Root Cluster (cluster offset)")));
  EXPECT_EQ(f.at("volume_serial_number"), Hex(Num(d.at("Volume Serial")), 8));
  EXPECT_EQ(f.at("bytes_per_sector_shift"), Num(d.at("Sector Size Bits")));
  EXPECT_EQ(f.at("sectors_per_cluster_shift"), Num(d.at("Sector per Cluster bits")));
  EXPECT_EQ(f.at("bytes_per_sector"), sectorSize);
  EXPECT_EQ(f.at("bytes_per_cluster"), Num(d.at("Cluster size")));
  // Where dump.exfat says nothing: the bytes mkfs.exfat wrote, at the published offsets.
  EXPECT_EQ(f.at("partition_offset"), Le(raw, 64, 8));
  EXPECT_EQ(f.at("file_system_revision"),
            std::to_string(raw.at(105)) + "." + (raw.at(104) < 10 ? "0" : "") +
                std::to_string(raw.at(104)));
  EXPECT_EQ(f.at("volume_flags"), Hex(Le(raw, 106, 2), 4));
  EXPECT_EQ(f.at("number_of_fats"), raw.at(110));
  EXPECT_EQ(f.at("drive_select"), Hex(raw.at(111), 2));
  EXPECT_EQ(f.at("percent_in_use"), raw.at(112));
  EXPECT_EQ(f.at("boot_signature"), "0xAA55");
  const nlohmann::json& region = row.at("boot_region");
  EXPECT_EQ(region.at("sector_size"), sectorSize);
  EXPECT_EQ(region.at("main_checksum").at("stored"), Hex(Le(raw, 11 * sectorSize, 4), 8));
  EXPECT_EQ(region.at("main_checksum").at("holds"), true);
  EXPECT_EQ(region.at("backup_checksum").at("stored"), Hex(Le(raw, 23 * sectorSize, 4), 8));
  EXPECT_EQ(region.at("backup_checksum").at("holds"), true);
  EXPECT_TRUE(region.at("backup_differing_fields").empty());
  const nlohmann::json findings = test::VolumeFindings(disk0.at("findings"));
  ASSERT_EQ(findings.size(), 1u) << disk0.at("findings").dump();
  EXPECT_EQ(findings.at(0).at("id"), "fs.kind");
  EXPECT_EQ(findings.at(0).at("severity"), "note");
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, ExfatTool,
    testing::Values(ToolCase{"mbr_8m_4k", 8, "4K", false, false},
                    ToolCase{"mbr_64m_32k", 64, "32K", false, false},
                    ToolCase{"gpt_32m_512", 32, "512", true, false},
                    ToolCase{"gpt_128m_128k", 128, "128K", true, false},
                    ToolCase{"mbr_4096_16m_4k", 16, "4K", false, true},
                    ToolCase{"mbr_4096_64m_64k", 64, "64K", false, true}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace disklens
