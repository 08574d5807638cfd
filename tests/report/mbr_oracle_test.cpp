// The MBR section against real partitioning: images made by sfdisk at run
// time, and a peer project's image with its published chain.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "mbr/mbr_section.h"
#include "support/capture.h"
#include "support/image_file.h"
#include "support/report_disk.h"

namespace disklens {
namespace {

struct Partition {
  std::uint32_t number = 0;  // 1 to 4 primary, 5 on logical
  std::uint32_t type = 0;
  std::uint64_t start = 0;
  std::uint64_t size = 0;
  bool bootable = false;
};

struct Row {
  std::uint32_t status = 0;
  std::uint32_t type = 0;
  std::uint64_t start = 0;
  std::uint64_t size = 0;
};

// What the report says, with the chain's relative starts made absolute the
// way its rows give them: a link row's start is relative to the extended
// entry, a logical row's start to the EBR it stands in.
struct ReadBack {
  std::vector<Row> primaries;
  std::vector<Partition> logicals;
  std::vector<std::uint64_t> ebrLbas;
};

bool IsLink(std::uint32_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

ReadBack ParseReport(const std::string& text) {
  static const std::regex row(
      R"(^\| (\d): \| +([0-9a-f]+) \| +\d+ +\d+ +\d+ \| +([0-9a-f]+) \| +\d+ +\d+ +\d+ \| +(\d+) \| +(\d+) \|$)");
  ReadBack back;
  std::istringstream lines(text);
  std::string line;
  bool inChain = false;
  std::uint64_t base = 0;
  std::uint64_t ebr = 0;
  std::uint64_t nextEbr = 0;
  std::uint32_t number = 5;
  std::smatch m;
  while (std::getline(lines, line)) {
    if (line.find("Volume Information") != std::string::npos) {
      inChain = true;
      base = back.primaries.empty() ? 0 : back.primaries.back().start;
      nextEbr = base;
      continue;
    }
    if (line.find("Continued:") != std::string::npos) {
      inChain = false;
      continue;
    }
    if (!std::regex_match(line, m, row)) continue;
    const Row r{static_cast<std::uint32_t>(std::stoul(m[2], nullptr, 16)),
                static_cast<std::uint32_t>(std::stoul(m[3], nullptr, 16)), std::stoull(m[4]),
                std::stoull(m[5])};
    if (!inChain) {
      back.primaries.push_back(r);
      continue;
    }
    if (m[1] == "0") {  // the first row of the next EBR
      ebr = nextEbr;
      back.ebrLbas.push_back(ebr);
    }
    if (IsLink(r.type)) {
      nextEbr = base + r.start;
    } else if (r.type != 0) {
      back.logicals.push_back(Partition{number++, r.type, ebr + r.start, r.size, r.status == 0x80});
    }
  }
  return back;
}

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    *status = -1;
    return out;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) != 0) out.append(buffer, n);
  *status = ::pclose(pipe);
  return out;
}

bool HaveSfdisk() { return std::system("command -v sfdisk >/dev/null 2>&1") == 0; }

// The partitions of `sfdisk --json`, in its order.
std::vector<Partition> ParseSfdiskJson(const std::string& json) {
  static const std::regex entry(
      R"re(\{\s*"node":\s*"[^"]*?(\d+)",\s*"start":\s*(\d+),\s*"size":\s*(\d+),\s*"type":\s*"([0-9a-f]+)"(,\s*"bootable":\s*true)?)re");
  std::vector<Partition> parts;
  for (auto it = std::sregex_iterator(json.begin(), json.end(), entry); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    parts.push_back(Partition{static_cast<std::uint32_t>(std::stoul(m[1])),
                              static_cast<std::uint32_t>(std::stoul(m[4], nullptr, 16)),
                              std::stoull(m[2]), std::stoull(m[3]), m[5].matched});
  }
  return parts;
}

std::string MbrSectionOf(const std::string& path, BootTargetList* targets) {
  test::InstalledImagePlatform images({DiskSource{path, 512}});
  test::ReportDisk rd;
  test::CapturedOutput out;
  PrintMbrSection(rd.state);
  if (targets != nullptr) *targets = rd.state.bootTargets;
  return out.Text();
}

class SfdiskLayouts : public testing::TestWithParam<const char*> {};

TEST_P(SfdiskLayouts, RowsAgreeWithSfdisk) {
  if (!HaveSfdisk()) GTEST_SKIP() << "sfdisk is not installed";
  test::TempDir dir;
  const std::string image = dir.File("disk.img");
  const std::string script = dir.File("layout.txt");
  ASSERT_TRUE(test::MakeSparseFile(image, 64ull << 20));
  {
    FILE* f = std::fopen(script.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(GetParam(), f);
    std::fclose(f);
  }
  int status = 0;
  RunCommand("sfdisk -q '" + image + "' < '" + script + "' 2>&1", &status);
  ASSERT_EQ(status, 0) << "sfdisk refused the layout";
  const std::string json = RunCommand("sfdisk --json '" + image + "'", &status);
  ASSERT_EQ(status, 0);
  const std::vector<Partition> expected = ParseSfdiskJson(json);
  ASSERT_GE(expected.size(), 5u) << json;

  BootTargetList targets;
  const std::string text = MbrSectionOf(image, &targets);
  const ReadBack back = ParseReport(text);
  ASSERT_EQ(back.primaries.size(), 4u) << text;

  std::smatch id;
  ASSERT_TRUE(std::regex_search(json, id, std::regex(R"re("id":\s*"0x([0-9a-f]{8})")re")));
  std::string signature = id[1];
  for (char& c : signature) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_NE(text.find("MBR Partition Information (HD0 - 0x" + signature + ")"), std::string::npos);

  std::size_t logical = 0;
  for (const Partition& p : expected) {
    if (p.number <= 4) {
      const Row& r = back.primaries[p.number - 1];
      EXPECT_EQ(r.type, p.type) << "partition " << p.number;
      EXPECT_EQ(r.start, p.start) << "partition " << p.number;
      EXPECT_EQ(r.size, p.size) << "partition " << p.number;
      EXPECT_EQ(r.status == 0x80, p.bootable) << "partition " << p.number;
      continue;
    }
    ASSERT_LT(logical, back.logicals.size()) << text;
    const Partition& got = back.logicals[logical++];
    EXPECT_EQ(got.type, p.type) << "partition " << p.number;
    EXPECT_EQ(got.start, p.start) << "partition " << p.number;
    EXPECT_EQ(got.size, p.size) << "partition " << p.number;
  }
  EXPECT_EQ(logical, back.logicals.size());

  // Every partition with a decoder is listed once, at its absolute start.
  std::size_t listed = 0;
  for (const Partition& p : expected) {
    const bool decodable = p.type == 0x06 || p.type == 0x07 || p.type == 0x0B || p.type == 0x0C || p.type == 0x0E;
    if (!decodable) continue;
    ++listed;
    bool found = false;
    for (std::uint32_t i = 0; i < targets.count; ++i) {
      const BootTarget& t = targets.rows[i];
      if (t.lba != p.start) continue;
      found = true;
      EXPECT_EQ(t.fileSystemId, p.type);
      EXPECT_EQ(t.totalSectors, p.size);
      EXPECT_EQ(t.id, p.number <= 4 ? p.number : 0u);
    }
    EXPECT_TRUE(found) << "partition " << p.number << " is not listed";
  }
  EXPECT_EQ(targets.count, listed);
}

INSTANTIATE_TEST_SUITE_P(
    Dos, SfdiskLayouts,
    testing::Values(
        "label: dos\n"
        "start=2048, size=8192, type=6, bootable\n"
        "start=10240, size=40960, type=5\n"
        "start=51200, size=8192, type=c\n"
        "start=12288, size=4096, type=83\n"
        "start=18432, size=6144, type=b\n"
        "start=26624, size=8192, type=7\n",
        "label: dos\n"
        "start=2048, size=4096, type=7\n"
        "start=8192, size=100000, type=f\n"
        "start=110000, size=2000, type=e, bootable\n"
        "start=120000, size=2000, type=82\n"
        "start=8193, size=1000, type=b\n"
        "start=20000, size=3000, type=6\n"
        "start=30000, size=5000, type=83\n"
        "start=40000, size=7000, type=c\n"
        "start=50000, size=8000, type=7\n"),
    [](const testing::TestParamInfo<const char*>& param) {
      return param.index == 0 ? std::string("ExtendedSecondOfThree")
                             : std::string("ExtendedSecondOfFourWithFiveLogicals");
    });

TEST(PeerImage, MbrmanChainOfFiveEbrs) {
  // Beside the project root, or beside the folder of worktrees.
  const std::string candidates[] = {std::string(DISKLENS_PEER_DIR) + "/mbrman/disk2.img",
                                    std::string(DISKLENS_SOURCE_DIR) +
                                        "/../../shared/peer/mbrman/disk2.img"};
  std::string path;
  for (const std::string& c : candidates) {
    if (FILE* f = std::fopen(c.c_str(), "rb")) {
      std::fclose(f);
      path = c;
      break;
    }
  }
  if (path.empty()) GTEST_SKIP() << "peer image " << candidates[0] << " is absent";
  const std::string text = MbrSectionOf(path, nullptr);
  const ReadBack back = ParseReport(text);
  ASSERT_EQ(back.primaries.size(), 4u) << text;
  EXPECT_EQ(back.primaries[0].type, 0x83u);
  EXPECT_EQ(back.primaries[0].start, 1u);
  EXPECT_EQ(back.primaries[0].size, 3u);
  EXPECT_EQ(back.primaries[1].type, 0x05u);
  EXPECT_EQ(back.primaries[1].start, 5u);
  EXPECT_EQ(back.primaries[1].size, 15u);
  EXPECT_EQ(back.ebrLbas, (std::vector<std::uint64_t>{5, 7, 10, 14, 16}));
  const std::uint64_t starts[] = {6, 8, 11, 15, 17};
  const std::uint64_t sizes[] = {1, 2, 3, 1, 1};
  ASSERT_EQ(back.logicals.size(), 5u) << text;
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(back.logicals[k].type, 0x83u);
    EXPECT_EQ(back.logicals[k].start, starts[k]);
    EXPECT_EQ(back.logicals[k].size, sizes[k]);
  }
  EXPECT_EQ(text.find("Error on Read"), std::string::npos);
}

}  // namespace
}  // namespace disklens
