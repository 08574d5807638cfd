// Disks partitioned by sgdisk, read through the POSIX platform, against what
// sgdisk and sfdisk themselves say about each partition.
#include <gtest/gtest.h>

#include <cinttypes>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/posix_platform.h"
#include "run_tool.h"
#include "section_runner.h"

namespace disklens {
namespace {

struct Row {
  std::string name;  // the 23-column field as printed
  std::uint64_t attributes = 0, start = 0, end = 0;
  std::string type, unique;
};

std::map<int, Row> ParseRows(const std::string& text) {
  static const std::regex kRow(
      R"re(^   ( ?[0-9]+)  (.*) ([ 0-9A-F]{16})  ([ 0-9]{13,})   ([ 0-9]{13,})  \{([0-9A-F-]{36})\}  \{([0-9A-F-]{36})\}$)re");
  std::map<int, Row> rows;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t to = text.find('\n', from);
    if (to == std::string::npos) to = text.size();
    const std::string line = text.substr(from, to - from);
    std::smatch m;
    if (std::regex_match(line, m, kRow)) {
      rows[std::stoi(m[1])] = Row{
          m[2], std::stoull(m[3], nullptr, 16), std::stoull(m[4]), std::stoull(m[5]), m[6], m[7]};
    }
    from = to + 1;
  }
  return rows;
}

// Display columns of a code point for the names of these tests, from
// Unicode's East Asian Width (W and F) and its combining diacritical marks.
std::size_t Columns(std::uint32_t cp) {
  if (cp >= 0x0300 && cp <= 0x036F) return 0;
  const bool wide = (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
                    (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                    (cp >= 0xFFE0 && cp <= 0xFFE6);
  return wide ? 2 : 1;
}

// A UTF-8 name cut to 23 display columns and padded to 23 with spaces.
std::string NameColumn(const std::string& name) {
  std::string out;
  std::size_t columns = 0;
  for (std::size_t i = 0; i < name.size();) {
    const auto b = static_cast<unsigned char>(name[i]);
    const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    std::uint32_t cp = length == 1 ? b : b & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) cp = (cp << 6) | (name[i + k] & 0x3Fu);
    if (columns + Columns(cp) > 23) break;
    out += name.substr(i, length);
    columns += Columns(cp);
    i += length;
  }
  return out + std::string(23 - columns, ' ');
}

std::string Capture(const std::string& text, const std::string& pattern) {
  std::smatch m;
  return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : std::string();
}

// 0 where the tool said nothing.
std::uint64_t Number(const std::string& digits, int base = 10) {
  return digits.empty() ? 0 : std::stoull(digits, nullptr, base);
}

struct ToolEntry {
  std::string type, unique, name;
  std::uint64_t first = 0, last = 0, attributes = 0;
};

// What `sgdisk -i N` says of partition N.
ToolEntry SgdiskInfo(const std::string& device, int number) {
  const std::string out =
      test::RunTool("sgdisk -i " + std::to_string(number) + " " + device).value_or("");
  ToolEntry e;
  e.type = Capture(out, R"re(Partition GUID code: ([0-9A-F-]{36}))re");
  e.unique = Capture(out, R"re(Partition unique GUID: ([0-9A-F-]{36}))re");
  e.first = Number(Capture(out, R"re(First sector: (\d+))re"));
  e.last = Number(Capture(out, R"re(Last sector: (\d+))re"));
  e.attributes = Number(Capture(out, R"re(Attribute flags: ([0-9A-Fa-f]+))re"), 16);
  e.name = Capture(out, R"re(Partition name: '(.*)'\n)re");
  return e;
}

// What `sfdisk --json` says, by partition number.
std::map<int, ToolEntry> SfdiskJson(const std::string& device) {
  const std::string out = test::RunTool("sfdisk --json " + device).value_or("");
  std::map<int, ToolEntry> entries;
  static const std::regex kObject(R"re(\{\s*"node": "[^"]*?(\d+)",([^}]*)\})re");
  for (auto it = std::sregex_iterator(out.begin(), out.end(), kObject);
       it != std::sregex_iterator(); ++it) {
    const std::string body = (*it)[2];
    ToolEntry e;
    e.first = std::stoull(Capture(body, R"re("start": (\d+))re"));
    e.last = e.first + std::stoull(Capture(body, R"re("size": (\d+))re")) - 1;
    e.type = Capture(body, R"re("type": "([^"]*)")re");
    e.unique = Capture(body, R"re("uuid": "([^"]*)")re");
    e.name = Capture(body, R"re("name": "([^"]*)")re");
    entries[std::stoi((*it)[1])] = e;
  }
  return entries;
}

struct Part {
  int number;  // sgdisk's partition number: slot number + 1
  std::uint64_t first, last;
  const char* code;
  std::string name;
  std::vector<int> attributeBits;
};

std::string SgdiskCommand(const std::string& device, const std::vector<Part>& parts) {
  std::string cmd = "sgdisk -o -a 1";  // no alignment: partitions where asked
  for (const Part& p : parts) {
    const std::string n = std::to_string(p.number);
    cmd += " -n " + n + ":" + std::to_string(p.first) + ":" + std::to_string(p.last);
    cmd += " -t " + n + ":" + p.code;
    if (!p.name.empty()) cmd += " -c '" + n + ":" + p.name + "'";
    for (int bit : p.attributeBits) cmd += " -A " + n + ":set:" + std::to_string(bit);
  }
  return cmd + " " + device;
}

// The section of disk 0 read through the POSIX platform from `source`.
test::GptSectionRun ReadThroughPosix(const DiskSource& source) {
  PosixPlatform platform(std::vector<DiskSource>{source}, false);
  SetPlatform(&platform);
  test::GptSectionRun run = test::RunGptSection();
  SetPlatform(nullptr);
  return run;
}

// Every partition agrees with sgdisk -i (and with sfdisk --json when given),
// and nothing else is printed.
void ExpectRowsMatch(const std::string& text, const std::string& device,
                     const std::vector<Part>& parts, bool withSfdisk) {
  const std::map<int, Row> rows = ParseRows(text);
  EXPECT_EQ(rows.size(), parts.size());
  const auto sfdisk = withSfdisk ? SfdiskJson(device) : std::map<int, ToolEntry>{};
  if (withSfdisk) {
    EXPECT_EQ(sfdisk.size(), parts.size());
  }
  for (const Part& p : parts) {
    SCOPED_TRACE("partition " + std::to_string(p.number));
    const auto row = rows.find(p.number - 1);
    ASSERT_NE(row, rows.end());
    const ToolEntry tool = SgdiskInfo(device, p.number);
    EXPECT_EQ(row->second.start, tool.first);
    EXPECT_EQ(row->second.end, tool.last);
    EXPECT_EQ(row->second.type, tool.type);
    EXPECT_EQ(row->second.unique, tool.unique);
    EXPECT_EQ(row->second.attributes, tool.attributes);
    EXPECT_EQ(row->second.name, NameColumn(tool.name));
    EXPECT_EQ(tool.name, p.name);  // the oracle itself took the name as given
    if (withSfdisk) {
      const auto s = sfdisk.find(p.number);
      ASSERT_NE(s, sfdisk.end());
      EXPECT_EQ(row->second.start, s->second.first);
      EXPECT_EQ(row->second.end, s->second.last);
      EXPECT_EQ(row->second.type, s->second.type);
      EXPECT_EQ(row->second.unique, s->second.unique);
      EXPECT_EQ(row->second.name, NameColumn(s->second.name));
    }
  }
}

void ExpectHeaderMatches(const std::string& text, const std::string& device) {
  const std::string p = test::RunTool("sgdisk -p " + device).value_or("");
  EXPECT_EQ(Capture(text, R"re(GPT Found \(HD0\) \{([0-9A-F-]{36})\})re"),
            Capture(p, R"re(Disk identifier \(GUID\): ([0-9A-F-]{36}))re"));
  EXPECT_EQ(Capture(text, R"re(FAvail LBA: (\d+))re"),
            Capture(p, R"re(First usable sector is (\d+))re"));
  EXPECT_EQ(Capture(text, R"re(LAvail LBA: (\d+))re"),
            Capture(p, R"re(last usable sector is (\d+))re"));
}

std::vector<Part> ManyPartitions(std::uint64_t firstLba, std::uint64_t step) {
  const std::vector<int> numbers = {1,  2,  3,  5,  8,  9,  10, 11,  13,  17,
                                    20, 21, 25, 30, 31, 40, 64, 100, 127, 128};
  const std::vector<std::string> names = {
      "EFI system partition",
      "Ελληνικό όνομα για δοκιμή μήκους",  // 32 characters, 2 bytes each
      "日本語のパーティション名前",        // CJK, 3 bytes each
      "",
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",  // all 36 units, no NUL
      "Basic data partition",
      "Ωmega-Δ",
      "Linux swap"};
  const char* codes[] = {"ef00", "0700", "8300", "8200", "a504", "0c01", "8e00", "fd00"};
  std::vector<Part> parts;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    Part p{numbers[i],   firstLba + i * step,     firstLba + i * step + step / 2 - 1,
           codes[i % 8], names[i % names.size()], {}};
    if (i % 3 == 0) p.attributeBits = {0};
    if (i % 4 == 1) p.attributeBits = {2, 60, 63};
    if (i == 7) p.attributeBits = {1, 48};
    parts.push_back(p);
  }
  return parts;
}

TEST(GptSectionAgainstSgdisk, ManyPartitionsWithGapsNamesAndAttributes) {
  if (!test::HaveTool("sgdisk") || !test::HaveTool("sfdisk"))
    GTEST_SKIP() << "sgdisk or sfdisk missing";
  test::TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string image = dir.Path() + "/many.img";
  std::filesystem::resize_file((std::ofstream(image), image), 32u << 20);
  const std::vector<Part> parts = ManyPartitions(2048, 512);
  ASSERT_TRUE(test::RunTool(SgdiskCommand(image, parts)).has_value())
      << SgdiskCommand(image, parts);

  const auto run = ReadThroughPosix({image, 512});
  ASSERT_TRUE(run.opened);
  ExpectHeaderMatches(run.text, image);
  ExpectRowsMatch(run.text, image, parts, true);
}

// Wide, fullwidth and combining names: the columns after the name begin where
// they do for a plain name, which the hand-counted name fields show.
TEST(GptSectionAgainstSgdisk, WideAndCombiningNamesKeepTheColumnsInLine) {
  if (!test::HaveTool("sgdisk")) GTEST_SKIP() << "sgdisk missing";
  test::TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string image = dir.Path() + "/names.img";
  std::filesystem::resize_file((std::ofstream(image), image), 8u << 20);
  const std::vector<Part> parts = {{1, 2048, 4095, "0700", "plain", {}},
                                   {2, 4096, 6143, "0700", "数据分区", {}},
                                   {3, 6144, 8191, "8300", "ＡＢＣ", {}},
                                   {4, 8192, 10239, "8300", "e\u0301", {}},
                                   {5, 10240, 12287, "8300", "数据分区数据分区数据分区", {}}};
  ASSERT_TRUE(test::RunTool(SgdiskCommand(image, parts)).has_value())
      << SgdiskCommand(image, parts);
  const auto run = ReadThroughPosix({image, 512});
  ASSERT_TRUE(run.opened);
  const std::map<int, Row> rows = ParseRows(run.text);
  ASSERT_EQ(rows.size(), parts.size());
  EXPECT_EQ(rows.at(0).name, "plain" + std::string(18, ' '));
  EXPECT_EQ(rows.at(1).name, "数据分区" + std::string(15, ' '));
  EXPECT_EQ(rows.at(2).name, "ＡＢＣ" + std::string(17, ' '));
  EXPECT_EQ(rows.at(3).name, "e\u0301" + std::string(22, ' '));
  EXPECT_EQ(rows.at(4).name, "数据分区数据分区数据分 ");  // the twelfth does not fit
  ExpectRowsMatch(run.text, image, parts, false);
}

TEST(GptSectionAgainstSgdisk, FourKibSectorsThroughALoopDevice) {
  if (!test::HaveTool("sgdisk") || !test::HaveTool("losetup"))
    GTEST_SKIP() << "sgdisk or losetup missing";
  test::TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string image = dir.Path() + "/4k.img";
  std::filesystem::resize_file((std::ofstream(image), image), 32u << 20);
  const auto attached = test::RunTool("losetup --sector-size 4096 -f --show " + image);
  if (!attached || attached->empty()) {
    GTEST_SKIP() << "no loop device with 4096-byte sectors (needs root and loop support)";
  }
  const std::string loop = attached->substr(0, attached->find('\n'));
  const std::vector<Part> parts = ManyPartitions(256, 64);
  const bool made = test::RunTool(SgdiskCommand(loop, parts)).has_value();
  test::GptSectionRun run;
  if (made) run = ReadThroughPosix({loop, 4096});
  if (made && run.opened) {
    EXPECT_NE(run.text.find("PE LBA: 2\n Primary LBA: 1 "), std::string::npos);
    ExpectHeaderMatches(run.text, loop);
    ExpectRowsMatch(run.text, loop, parts, false);
  }
  test::RunTool("losetup -d " + loop);
  ASSERT_TRUE(made);
  ASSERT_TRUE(run.opened);
}

TEST(GptSectionAgainstPeerImage, GptRsDisk) {
  const std::string source = std::string(DISKLENS_PEER_DIR) + "/gpt-rs/gpt-disk.img";
  if (!std::filesystem::exists(source)) GTEST_SKIP() << "peer image missing: " << source;
  // The image is 72 sectors; the section reads 128, so it is padded in a copy.
  test::TempDir dir;
  const std::string image = dir.Path() + "/gpt-disk.img";
  std::filesystem::copy_file(source, image);
  std::filesystem::resize_file(image, 1u << 20);
  const auto rows = ParseRows(ReadThroughPosix({image, 512}).text);
  ASSERT_EQ(rows.size(), 2u);
  const std::uint64_t published[2][2] = {{34, 34}, {35, 38}};
  std::size_t k = 0;
  for (const auto& [index, row] : rows) {
    EXPECT_EQ(row.type, "0FC63DAF-8483-4772-8E79-3D69D8477DE4");
    EXPECT_EQ(row.start, published[k][0]);
    EXPECT_EQ(row.end, published[k][1]);
    ++k;
  }
}

}  // namespace
}  // namespace disklens
