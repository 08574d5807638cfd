// exFAT, BitLocker and ReFS rows through the whole pass of an in-memory disk:
// the JSON decodes their own fields (expected values written by hand from the
// published layouts), the check names them, and an exFAT volume's boot
// regions are read only in --json and --check runs, once, into their own buffer.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../../fuzz/volume_seeds.h"
#include "bootsector/volume_images.h"
#include "check/disk_check.h"
#include "json/disk_json.h"
#include "json/json_writer.h"
#include "pass/disk_records.h"
#include "platform/fake_platform.h"
#include "support/disk_image.h"
#include "support/null_sink.h"
#include "support/gpt_image.h"
#include "support/report_disk.h"

namespace disklens {
namespace {

constexpr std::uint32_t kStart = 2048;

// One MBR partition of `type` at kStart, `sectors` long, starting with `volume`.
FakeDisk& VolumeDisk(FakePlatform& p, const std::vector<std::uint8_t>& volume,
                     std::uint32_t sectors, std::uint32_t sectorSize = 512,
                     std::uint8_t type = 0x07) {
  test::DiskImage d(std::size_t{kStart + sectors + 64} * sectorSize, sectorSize);
  d.PutEntry(0, 0, test::Entry(type, kStart, sectors));
  d.PutBootSignature(0);
  d.PutClipped(std::uint64_t{kStart} * sectorSize, volume);
  FakeDisk& disk = p.AddDisk(0, d.Bytes().size(), sectorSize);
  disk.bytes = d.Bytes();
  return disk;
}

nlohmann::json DiskJson(bool check = false) {
  test::ReportDisk rd;
  std::string out;
  JsonWriter json(out);
  WriteDiskJson(json, rd.state, 0, check);
  return nlohmann::json::parse(out);
}

const nlohmann::json& Row(const nlohmann::json& disk) { return disk.at("boot_sectors").at(0); }

// The findings of these volumes' own checks: the partition tables' (CHS,
// alignment) and a To Go volume's FAT32 ones are other suites' concern.
std::vector<std::string> Ids(const nlohmann::json& disk) {
  std::vector<std::string> ids;
  for (const auto& f : disk.at("findings")) {
    const std::string id = f.at("id").get<std::string>();
    if (id == "fs.kind" || id == "fs.size" || id.rfind("exfat.", 0) == 0) ids.push_back(id);
  }
  return ids;
}

using test::NullSink;

TEST(ExfatRow, DecodesTheMainBootSectorByName) {
  FakePlatform p;
  VolumeDisk(p, test::ExfatRegions(9, 8192), 8192);
  const nlohmann::json row = Row(DiskJson());
  EXPECT_EQ(row.at("decoder"), "exfat");
  EXPECT_EQ(row.at("fields"), nlohmann::json::parse(R"({
    "partition_offset": 0, "volume_length": 8192, "fat_offset": 24, "fat_length": 8,
    "cluster_heap_offset": 32, "cluster_count": 1020, "first_cluster_of_root_directory": 4,
    "volume_serial_number": "0x1234ABCD", "file_system_revision": "1.00",
    "volume_flags": "0x0002", "active_fat": 0, "volume_dirty": true, "media_failure": false,
    "bytes_per_sector_shift": 9, "bytes_per_sector": 512, "sectors_per_cluster_shift": 3,
    "sectors_per_cluster": 8, "bytes_per_cluster": 4096, "number_of_fats": 1,
    "drive_select": "0x80", "percent_in_use": 7, "boot_signature": "0xAA55"})"));
  EXPECT_FALSE(row.contains("backup_fields"));
}

struct RegionCase {
  const char* name;
  unsigned shift;           // the volume's sector size
  std::uint32_t diskSector; // the disk's
};

class ExfatRegion : public testing::TestWithParam<RegionCase> {};

// The row's boot regions as a sound volume of `ss`-byte sectors and checksum `sum` gives them.
void ExpectSoundRegion(const nlohmann::json& row, std::uint32_t sum, std::size_t ss) {
  const nlohmann::json& region = row.at("boot_region");
  EXPECT_EQ(region.at("sector_size"), ss);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(sum));
  EXPECT_EQ(region.at("main_checksum"),
            nlohmann::json({{"computed", hex}, {"stored", hex}, {"holds", true}}));
  EXPECT_EQ(region.at("backup_checksum").at("holds"), true);
}

// The checksum sits in sector 11 of the volume's own sectors, wherever those
// fall on the disk's; the extra read is one, behind the boot sector, and the
// text's pass does not make it.
TEST_P(ExfatRegion, IsReadOnceForTheJsonAndNeverForTheText) {
  const RegionCase& c = GetParam();
  std::vector<std::uint8_t> volume = test::ExfatRegions(c.shift, 1024);
  const std::size_t ss = std::size_t{1} << c.shift;
  const std::uint32_t sum = test::OwnExfatChecksum(volume.data(), ss);
  FakePlatform p;
  VolumeDisk(p, volume, static_cast<std::uint32_t>(1024 * ss / c.diskSector), c.diskSector);
  p.ClearLog();
  {
    test::ReportDisk rd;
    NullSink sink;
    ReadDiskRecords(rd.state, sink);
  }
  const std::vector<FakeCall> textReads = p.Calls("ReadFile");
  p.ClearLog();
  const nlohmann::json row = Row(DiskJson());
  std::vector<FakeCall> extra = p.Calls("ReadFile");
  // The JSON run's reads are the text run's and one request behind the boot
  // sector (which the transfer may cut in chunks).
  for (const FakeCall& read : textReads) {
    const auto same = std::find_if(extra.begin(), extra.end(), [&](const FakeCall& call) {
      return call.position == read.position && call.size == read.size;
    });
    ASSERT_NE(same, extra.end()) << "the text's read at " << read.position << " is missing";
    extra.erase(same);
  }
  ASSERT_FALSE(extra.empty());
  std::sort(extra.begin(), extra.end(),
            [](const FakeCall& a, const FakeCall& b) { return a.position < b.position; });
  const std::uint64_t diskSectors = (24 * ss + c.diskSector - 1) / c.diskSector;
  std::uint64_t next = std::uint64_t{kStart + 1} * c.diskSector;
  for (const FakeCall& call : extra) {
    EXPECT_EQ(call.position, next);
    next = call.position + call.size;
  }
  EXPECT_EQ(next, (kStart + diskSectors) * c.diskSector);
  ExpectSoundRegion(row, sum, ss);
  EXPECT_TRUE(row.at("boot_region").at("backup_differing_fields").empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExfatRegion,
                         testing::Values(RegionCase{"v512_d512", 9, 512},
                                         RegionCase{"v4096_d512", 12, 512},
                                         RegionCase{"v512_d4096", 9, 4096},
                                         RegionCase{"v4096_d4096", 12, 4096},
                                         RegionCase{"v1024_d2048", 10, 2048}),
                         [](const auto& p) { return std::string(p.param.name); });

// The same volume in a GPT partition, which the probe finds to be exFAT: the
// boot sector comes with the smallest regions exFAT allows in one request,
// and only what that request lacks is read behind it, so that every sector
// of the regions is read once and the boot sector as often as in the text.
TEST_P(ExfatRegion, InAProbedGptPartitionComesWithItsBootSector) {
  const RegionCase& c = GetParam();
  const std::vector<std::uint8_t> volume = test::ExfatRegions(c.shift, 1024);
  const std::size_t ss = std::size_t{1} << c.shift;
  const auto sectors = static_cast<std::uint32_t>(1024 * ss / c.diskSector);
  const std::uint64_t total = kStart + sectors + 64;
  test::DiskImage d(total * c.diskSector, c.diskSector);
  test::PutProtectiveMbr(d, total);
  test::GptEntryFields entry;
  entry.typeGuid = test::kBasicDataType;
  entry.uniqueGuid = "{0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9}";
  entry.startLba = kStart;
  entry.endLba = kStart + sectors - 1;
  test::WriteGptWithBackup(d, test::GptHeaderFields{}, {entry});
  d.PutClipped(std::uint64_t{kStart} * c.diskSector, volume);
  FakePlatform p;
  FakeDisk& disk = p.AddDisk(0, d.Bytes().size(), c.diskSector);
  disk.bytes = d.Bytes();
  p.ClearLog();
  const nlohmann::json row = Row(DiskJson());
  const std::vector<FakeCall> reads = p.Calls("ReadFile");

  ExpectSoundRegion(row, test::OwnExfatChecksum(volume.data(), ss), ss);

  const std::uint64_t diskSectors = (24 * ss + c.diskSector - 1) / c.diskSector;
  const std::uint64_t aheadSectors = (24 * 512 + c.diskSector - 1) / c.diskSector;
  const auto coverage = [&](std::uint64_t lba) {
    const std::uint64_t at = lba * c.diskSector;
    return std::count_if(reads.begin(), reads.end(), [at](const FakeCall& r) {
      return r.position <= at && at < r.position + r.size;
    });
  };
  EXPECT_EQ(coverage(kStart), 2) << "the probe's read and the row's";
  for (std::uint64_t s = kStart + 1; s < kStart + diskSectors; ++s) {
    ASSERT_EQ(coverage(s), 1) << "sector " << s;
  }
  // One request from the boot sector on; the rest (the transfer may cut it) behind it.
  const auto ahead = std::count_if(reads.begin(), reads.end(), [&](const FakeCall& r) {
    return r.position == kStart * c.diskSector &&
           r.size == std::min(aheadSectors, diskSectors) * c.diskSector;
  });
  EXPECT_EQ(ahead, 1);
}

struct DefectCase {
  const char* name;
  void (*damage)(std::vector<std::uint8_t>& v);
  std::vector<std::string> ids;  // besides fs.kind
  std::uint64_t lba;             // of the first of them
};

class ExfatDefect : public testing::TestWithParam<DefectCase> {};

TEST_P(ExfatDefect, GivesItsFindings) {
  const DefectCase& c = GetParam();
  std::vector<std::uint8_t> volume = test::ExfatRegions(9, 8192);
  c.damage(volume);
  FakePlatform p;
  VolumeDisk(p, volume, 8192);
  const nlohmann::json disk = DiskJson(true);
  std::vector<std::string> want = {"fs.kind"};
  want.insert(want.end(), c.ids.begin(), c.ids.end());
  EXPECT_EQ(Ids(disk), want) << disk.at("findings").dump();
  if (!c.ids.empty()) {
    for (const auto& f : disk.at("findings")) {
      if (f.at("id") == c.ids.front()) {
        EXPECT_EQ(f.at("lba"), c.lba);
      }
    }
  }
}

void Seal(std::vector<std::uint8_t>& v) {
  test::SealExfatRegion(v.data(), 512);
  test::SealExfatRegion(v.data() + 12 * 512, 512);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, ExfatDefect,
    testing::Values(
        DefectCase{"clean", [](std::vector<std::uint8_t>&) {}, {}, 0},
        // VolumeFlags and PercentInUse change in use: outside the checksum and the comparison.
        DefectCase{"flags_in_use", [](std::vector<std::uint8_t>& v) { v[106] = 1, v[112] = 90; }, {}, 0},
        DefectCase{"main_checksum", [](std::vector<std::uint8_t>& v) { v[11 * 512 + 40] ^= 1; },
                   {"exfat.checksum"}, kStart + 11},
        DefectCase{"main_boot_code", [](std::vector<std::uint8_t>& v) { v[3 * 512 + 7] ^= 1; },
                   {"exfat.checksum"}, kStart + 11},
        DefectCase{"backup_checksum", [](std::vector<std::uint8_t>& v) { v[23 * 512] ^= 1; },
                   {"exfat.checksum"}, kStart + 23},
        DefectCase{"backup_field_sealed",
                   [](std::vector<std::uint8_t>& v) {
                     v[12 * 512 + 100] ^= 0xFF;  // the backup's serial number
                     test::SealExfatRegion(v.data() + 12 * 512, 512);
                   },
                   {"exfat.backup"}, kStart + 12},
        DefectCase{"backup_field_unsealed",
                   [](std::vector<std::uint8_t>& v) { v[12 * 512 + 80] = 99; },
                   {"exfat.checksum", "exfat.backup"}, kStart + 23},
        DefectCase{"partition_offset",
                   [](std::vector<std::uint8_t>& v) {
                     test::Le(v, 64, 63, 8), test::Le(v, 12 * 512 + 64, 63, 8), Seal(v);
                   },
                   {"exfat.offset"}, kStart},
        DefectCase{"partition_offset_right",
                   [](std::vector<std::uint8_t>& v) {
                     test::Le(v, 64, kStart, 8), test::Le(v, 12 * 512 + 64, kStart, 8), Seal(v);
                   },
                   {}, 0},
        DefectCase{"longer_than_partition",
                   [](std::vector<std::uint8_t>& v) {
                     test::Le(v, 72, 8193, 8), test::Le(v, 12 * 512 + 72, 8193, 8), Seal(v);
                   },
                   {"fs.size"}, kStart},
        // A length whose bytes pass 64 bits: compared without wrapping.
        DefectCase{"length_past_64_bits",
                   [](std::vector<std::uint8_t>& v) {
                     test::Le(v, 72, 1ull << 63, 8), test::Le(v, 12 * 512 + 72, 1ull << 63, 8);
                     Seal(v);
                   },
                   {"fs.size"}, kStart}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ExfatRegion, UnreadableOrOutsideThePartitionIsNotJudged) {
  {
    FakePlatform p;
    VolumeDisk(p, test::ExfatRegions(9, 8192), 8192).failingLbas = {kStart + 20};
    const nlohmann::json disk = DiskJson(true);
    EXPECT_TRUE(Row(disk).at("boot_region").is_null());
    EXPECT_EQ(Ids(disk), std::vector<std::string>{"fs.kind"});
  }
  {
    FakePlatform p;
    VolumeDisk(p, test::ExfatRegions(9, 16), 16);  // 16 sectors: the backup lies past the end
    const nlohmann::json disk = DiskJson(true);
    EXPECT_TRUE(Row(disk).at("boot_region").is_null());
    EXPECT_EQ(Row(disk).at("fields").at("volume_length"), 16);
  }
  {
    std::vector<std::uint8_t> volume = test::ExfatRegions(9, 8192);
    volume[108] = 15;  // no sector size exFAT allows
    FakePlatform p;
    VolumeDisk(p, volume, 8192);
    const nlohmann::json row = Row(DiskJson(true));
    EXPECT_TRUE(row.at("boot_region").is_null());
    EXPECT_TRUE(row.at("fields").at("bytes_per_sector").is_null());
    EXPECT_TRUE(row.at("fields").at("bytes_per_cluster").is_null());
  }
}

struct HeaderCase {
  const char* name;
  std::vector<std::uint8_t> sector;
  std::uint8_t type;
  const char* decoder;
  const char* fields;  // the expected "fields", or for To Go its "bitlocker_to_go"
  std::uint32_t partitionSectors;
  std::vector<std::string> ids;
};

class VolumeHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(VolumeHeader, IsDecodedFieldByFieldAndNamedByTheCheck) {
  const HeaderCase& c = GetParam();
  FakePlatform p;
  VolumeDisk(p, c.sector, c.partitionSectors, 512, c.type);
  const nlohmann::json disk = DiskJson(true);
  const nlohmann::json& row = Row(disk);
  EXPECT_EQ(row.at("decoder"), c.decoder);
  const char* member = std::string(c.decoder) == "fat32" ? "bitlocker_to_go" : "fields";
  if (c.fields != nullptr) {
    EXPECT_EQ(row.at(member), nlohmann::json::parse(c.fields));
  }
  EXPECT_EQ(Ids(disk), c.ids);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, VolumeHeader,
    testing::Values(
        HeaderCase{"bitlocker_vista", test::BitLockerVista(8192), 0x07, "bitlocker", R"({
          "version": "vista", "bytes_per_sector": 512, "sectors_per_cluster": 8,
          "reserved_sectors": 0, "total_sectors_16": 0, "media": "0xF8", "sectors_per_track": 63,
          "heads": 255, "hidden_sectors": 2048, "total_sectors_32": 0, "total_sectors_64": 8192,
          "volume_serial_number": "0x0123456789ABCDEF", "identifier": null,
          "fve_metadata_cluster": 4660, "fve_metadata_offsets": [19087360]})",
                   8192, {"fs.kind"}},
        HeaderCase{"bitlocker_vista_too_long", test::BitLockerVista(8193), 0x07, "bitlocker",
                   nullptr, 8192, {"fs.kind", "fs.size"}},
        HeaderCase{"bitlocker_7", test::BitLocker7(8192), 0x07, "bitlocker", R"({
          "version": "windows_7", "bytes_per_sector": 512, "sectors_per_cluster": 8,
          "reserved_sectors": 0, "total_sectors_16": 0, "media": "0xF8", "sectors_per_track": 63,
          "heads": 255, "hidden_sectors": 2048, "total_sectors_32": 8192, "total_sectors_64": null,
          "volume_serial_number": "0xCAFEF00D",
          "identifier": "{4967D63B-2E29-4AD8-8399-F6A339E3D001}", "fve_metadata_cluster": null,
          "fve_metadata_offsets": [34603008, 303038464, 571473920]})",
                   8192, {"fs.kind"}},
        HeaderCase{"bitlocker_7_too_long", test::BitLocker7(9000), 0x07, "bitlocker", nullptr,
                   8192, {"fs.kind", "fs.size"}},
        HeaderCase{"bitlocker_to_go", test::BitLockerToGo(), 0x0C, "fat32", R"({
          "version": "to_go", "bytes_per_sector": 512, "sectors_per_cluster": 8,
          "reserved_sectors": 32, "total_sectors_16": 0, "media": "0xF8", "sectors_per_track": 63,
          "heads": 255, "hidden_sectors": 2048, "total_sectors_32": 65536, "total_sectors_64": null,
          "volume_serial_number": "0x0BADCAFE",
          "identifier": "{4967D63B-2E29-4AD8-8399-F6A339E3D001}", "fve_metadata_cluster": null,
          "fve_metadata_offsets": [16777216, 285212672, 553648128]})",
                   65536, {"fs.kind"}},
        HeaderCase{"refs", test::Refs(8192), 0x07, "refs", R"({
          "sector_count": 8192, "bytes_per_sector": 512, "sectors_per_cluster": 128,
          "version": "3.4", "volume_serial_number": "0x1122334455667788"})",
                   8192, {"fs.kind"}},
        HeaderCase{"refs_too_long", test::Refs(1ull << 60), 0x07, "refs", nullptr, 8192,
                   {"fs.kind", "fs.size"}}),
    [](const auto& p) { return std::string(p.param.name); });

// The fuzz seeds of these volumes reach their decoders, the exFAT one with
// both boot regions sound.
TEST(VolumeSeeds, ReachTheirDecoders) {
  const char* const decoders[] = {"exfat", "bitlocker", "refs"};
  const auto seeds = fuzz::VolumeSeedImages();
  ASSERT_EQ(seeds.size(), 3u);
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    FakePlatform p;
    p.AddDisk(0, seeds[i].second.Bytes().size()).bytes = seeds[i].second.Bytes();
    const nlohmann::json disk = DiskJson(true);
    EXPECT_EQ(Row(disk).at("decoder"), decoders[i]) << seeds[i].first;
    EXPECT_EQ(Ids(disk), std::vector<std::string>{"fs.kind"}) << seeds[i].first;
  }
}

}  // namespace
}  // namespace disklens
