// The checked pass takes the primary GPT from the sectors the report's GPT
// section read when that section found it valid, and reads it again only
// when it did not; the backup is read once either way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "check/disk_check.h"
#include "pass/disk_records.h"
#include "platform/fake_platform.h"
#include "support/disk_image.h"
#include "support/null_sink.h"
#include "support/gpt_image.h"
#include "support/report_disk.h"

namespace disklens {
namespace {

constexpr std::uint32_t kSs = 512;
constexpr std::uint64_t kSectors = 4096;
constexpr std::uint64_t kArraySectors = 32;  // 128 entries of 128 bytes

using test::NullSink;

// How many reads cover the byte at `lba`'s start.
int ReadsOf(const std::vector<FakeCall>& reads, std::uint64_t lba) {
  return static_cast<int>(std::count_if(reads.begin(), reads.end(), [lba](const FakeCall& r) {
    return r.position <= lba * kSs && lba * kSs < r.position + r.size;
  }));
}

struct HeldCase {
  const char* name;
  bool breakPrimaryArray;  // a byte of the primary's array changed, its CRC left stale
  // Of LBA 1 and of the array's first sector: the report reads both twice
  // (its EMBR section from LBA 1, its GPT section from LBA 0).
  int primaryReads;
  const char* finding;     // the one id expected, or "" for none
};

class HeldPrimary : public testing::TestWithParam<HeldCase> {};

TEST_P(HeldPrimary, IsReadAgainOnlyWhenTheReportRejectedIt) {
  const HeldCase& c = GetParam();
  test::DiskImage d(kSectors * kSs, kSs);
  test::PutProtectiveMbr(d, kSectors);
  test::GptEntryFields entry;
  entry.typeGuid = test::kLinuxType;
  entry.uniqueGuid = "{11111111-2222-3333-4444-555555555555}";
  entry.startLba = 2048;
  entry.endLba = 4000;
  test::WriteGptWithBackup(d, test::GptHeaderFields{}, {entry});
  if (c.breakPrimaryArray) d.Bytes()[2 * kSs + 200] ^= 0xFF;  // an unused slot's byte

  FakePlatform p;
  FakeDisk& disk = p.AddDisk(0, d.Bytes().size(), kSs);
  disk.bytes = d.Bytes();
  p.ClearLog();
  DiskCheck check;
  {
    test::ReportDisk rd;
    NullSink sink;
    check = CheckDisk(rd.state, sink);
  }
  const std::vector<FakeCall> reads = p.Calls("ReadFile");
  EXPECT_EQ(ReadsOf(reads, 1), c.primaryReads);
  EXPECT_EQ(ReadsOf(reads, 2), c.primaryReads);
  EXPECT_EQ(ReadsOf(reads, kSectors - 1), 1);                  // the backup header
  EXPECT_EQ(ReadsOf(reads, kSectors - 1 - kArraySectors), 1);  // and its array
  std::vector<std::string> ids;
  for (const Finding& f : check.findings) ids.emplace_back(f.id);
  EXPECT_EQ(ids, *c.finding ? std::vector<std::string>{c.finding} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Primary, HeldPrimary,
    testing::Values(HeldCase{"Valid", false, 2, ""},
                    HeldCase{"StaleArrayCrc", true, 3, "gpt.primary"}),
    [](const testing::TestParamInfo<HeldCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace disklens
