// CheckBootRow on boot sectors written by hand, for what the tools do not
// make: sizes past 32 and 64 bits, volumes of larger sectors than the disk's,
// foreign content behind a FAT or NTFS type byte, and a backup that cannot be
// read (no disk behind the row).
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bytes/bytes.h"
#include "check/boot_checks.h"

namespace disklens {
namespace {

using Sector = std::array<std::uint8_t, 512>;
using Table = PartitionOrigin::Table;

// A FAT16 volume as mkfs.fat makes one of 20,480 sectors: 4 sectors a
// cluster, 4 reserved, two FATs of 20 sectors, 512 root entries: 5,101 clusters.
Sector Fat16(std::uint32_t hidden) {
  Sector s{};
  const std::uint8_t jump[] = {0xEB, 0x3C, 0x90};
  std::memcpy(s.data(), jump, 3);
  std::memcpy(s.data() + 3, "mkfs.fat", 8);
  PutU16(s.data() + 0x0B, 512);
  s[0x0D] = 4;
  PutU16(s.data() + 0x0E, 4);
  s[0x10] = 2;
  PutU16(s.data() + 0x11, 512);
  PutU16(s.data() + 0x13, 20480);
  s[0x15] = 0xF8;
  PutU16(s.data() + 0x16, 20);
  PutU32(s.data() + 0x1C, hidden);
  s[0x26] = 0x29;
  std::memcpy(s.data() + 0x36, "FAT16   ", 8);
  s[510] = 0x55;
  s[511] = 0xAA;
  return s;
}

Sector Ntfs(std::uint32_t hidden, std::uint64_t total) {
  Sector s{};
  const std::uint8_t jump[] = {0xEB, 0x52, 0x90};
  std::memcpy(s.data(), jump, 3);
  std::memcpy(s.data() + 3, "NTFS    ", 8);
  PutU16(s.data() + 0x0B, 512);
  s[0x0D] = 8;
  s[0x15] = 0xF8;
  PutU32(s.data() + 0x1C, hidden);
  PutU64(s.data() + 0x28, total);
  s[510] = 0x55;
  s[511] = 0xAA;
  return s;
}

struct RowCase {
  const char* name;
  std::uint8_t type;
  Table table;
  std::uint64_t lba;
  std::uint64_t sectors;
  std::function<Sector()> sector;
  std::vector<std::pair<std::string, Severity>> expected;
  std::uint64_t ebrLba = 0;
};

BootDecoder DecoderOf(std::uint8_t type, const Sector& s) {
  if (type == 0x0B || type == 0x0C) return BootDecoder::kFat32;
  if (type == 0x07 && std::memcmp(s.data() + 3, "NTFS", 4) == 0) return BootDecoder::kNtfs;
  return BootDecoder::kFat;
}

class CheckBootRowTest : public testing::TestWithParam<RowCase> {};

TEST_P(CheckBootRowTest, GivesExactlyTheseFindings) {
  const RowCase& c = GetParam();
  const Sector sector = c.sector();
  BootRowRecord row;
  row.row = BootTarget{c.type, 1, c.lba, c.sectors};
  row.read = true;
  row.decoder = DecoderOf(c.type, sector);
  row.sector = ByteView{sector.data(), sector.size()};
  PartitionOrigin origin;
  origin.table = c.table;
  origin.typeByte = c.type;
  origin.ebrLba = c.ebrLba;
  origin.entrySectors = c.sectors;
  ReportState state;  // no disk: every read of the check fails
  DiskFacts facts;
  facts.sectorSize = 512;
  Findings out;
  CheckBootRow(state, row, origin, facts, out);
  std::vector<std::pair<std::string, Severity>> got;
  for (const Finding& f : out) got.emplace_back(f.id, f.severity);
  EXPECT_EQ(got, c.expected);
  for (const Finding& f : out) {
    EXPECT_FALSE(f.message.empty());
    EXPECT_TRUE(std::islower(static_cast<unsigned char>(f.message[0]))) << f.message;
    EXPECT_NE(f.message.back(), '.') << f.message;
  }
}

const auto kNone = std::vector<std::pair<std::string, Severity>>{};

INSTANTIATE_TEST_SUITE_P(
    Rows, CheckBootRowTest,
    testing::Values(
        RowCase{"CleanFat16", 0x06, Table::kMbr, 2048, 20480, [] { return Fat16(2048); }, kNone},
        RowCase{"TooManyClustersForFat16", 0x06, Table::kMbr, 2048, 600000,
                [] {
                  Sector s = Fat16(2048);
                  s[0x0D] = 1;
                  PutU16(s.data() + 0x13, 0);
                  PutU32(s.data() + 0x20, 600000);
                  PutU16(s.data() + 0x16, 2400);
                  return s;
                },
                {{"fat.bpb", Severity::kError}}},
        // 4,096-byte volume sectors on a disk of 512: the sizes are compared in bytes.
        RowCase{"LargeSectorsFillingThePartition", 0x06, Table::kMbr, 2048, 20480,
                [] {
                  Sector s = Fat16(2048);
                  PutU16(s.data() + 0x0B, 4096);
                  s[0x0D] = 1;
                  PutU16(s.data() + 0x11, 128);
                  PutU16(s.data() + 0x13, 2560);
                  PutU16(s.data() + 0x16, 2);
                  return s;
                },
                kNone},
        RowCase{"LargeSectorsOneTooMany", 0x06, Table::kMbr, 2048, 20480,
                [] {
                  Sector s = Fat16(2048);
                  PutU16(s.data() + 0x0B, 4096);
                  s[0x0D] = 1;
                  PutU16(s.data() + 0x11, 128);
                  PutU16(s.data() + 0x13, 2561);
                  PutU16(s.data() + 0x16, 2);
                  return s;
                },
                {{"fs.size", Severity::kError}}},
        RowCase{"SectorSize1536", 0x06, Table::kMbr, 2048, 20480,
                [] {
                  Sector s = Fat16(2048);
                  PutU16(s.data() + 0x0B, 1536);
                  return s;
                },
                {{"fat.bpb", Severity::kError}}},
        // A total that does not fit 64 bits once the backup sector is counted.
        RowCase{"NtfsTotalPast64Bits", 0x07, Table::kMbr, 2048, 20480,
                [] { return Ntfs(2048, UINT64_MAX); }, {{"fs.size", Severity::kError}}},
        RowCase{"NtfsBackupUnreadable", 0x07, Table::kMbr, 2048, 20480,
                [] { return Ntfs(2048, 20479); }, {{"ntfs.backup", Severity::kError}}},
        // A GPT partition past 2^32: the 32-bit field cannot name its start.
        RowCase{"HiddenPast32Bits", 0x06, Table::kGpt, 0x100000800ull, 20480,
                [] { return Fat16(0x800); }, kNone},
        RowCase{"LogicalRelativeHidden", 0x06, Table::kLogical, 10304, 20480,
                [] { return Fat16(64); }, kNone, 10240},
        RowCase{"LogicalOtherHidden", 0x06, Table::kLogical, 10304, 20480,
                [] { return Fat16(63); }, {{"fs.hidden-sectors", Severity::kWarning}}, 10240},
        // fs.type is for MBR entries: a GPT row's id comes from its content.
        RowCase{"GptRowOfAnyType", 0x0C, Table::kGpt, 2048, 20480, [] { return Fat16(2048); }, kNone},
        RowCase{"Fat16InType0B", 0x0B, Table::kMbr, 2048, 20480, [] { return Fat16(2048); },
                {{"fs.type", Severity::kWarning}}},
        // Content that is no FAT or NTFS volume is left alone.
        RowCase{"BlankSector", 0x06, Table::kMbr, 2048, 20480, [] { return Sector{}; }, kNone},
        RowCase{"ExfatInType07", 0x07, Table::kMbr, 2048, 20480,
                [] {
                  Sector s{};
                  const std::uint8_t jump[] = {0xEB, 0x76, 0x90};
                  std::memcpy(s.data(), jump, 3);
                  std::memcpy(s.data() + 3, "EXFAT   ", 8);
                  s[510] = 0x55;
                  s[511] = 0xAA;
                  return s;
                },
                kNone},
        RowCase{"HpfsInType07", 0x07, Table::kMbr, 2048, 20480,
                [] {
                  Sector s = Fat16(2048);
                  std::memcpy(s.data() + 3, "IBM 20.0", 8);
                  std::memcpy(s.data() + 0x36, "HPFS    ", 8);
                  return s;
                },
                kNone}),
    [](const testing::TestParamInfo<RowCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace disklens
