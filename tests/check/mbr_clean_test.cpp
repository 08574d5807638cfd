// Disks with nothing wrong in their MBR or EBRs give no mbr.* or ebr.* warning
// or error: fresh from sfdisk, the sample disks, and the peers' real images
// (whose tables are as their makers describe them).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "check/mbr_check_support.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

struct CleanCase {
  const char* name;
  const char* script;
};

class MbrClean : public testing::TestWithParam<CleanCase> {};

// Not even a CHS note: sfdisk writes the geometry an image file gets here.
TEST_P(MbrClean, FreshFromSfdiskHasNoFinding) {
  if (const std::string missing = test::MissingTool({"sfdisk"}); !missing.empty()) {
    GTEST_SKIP() << missing << " is not installed";
  }
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string path = dir.File("disk.img");
  ASSERT_EQ(test::SfdiskImage(path, 64, GetParam().script), path);
  const test::CheckRun run = test::RunCheckJson(path);
  EXPECT_TRUE(test::MbrFindings(run.findings).empty()) << run.findings.dump(1);
  const std::string verify = test::Shell("sfdisk --verify " + test::ShellQuote(path) + " 2>&1");
  EXPECT_NE(verify.find("No errors detected"), std::string::npos) << verify;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, MbrClean,
    testing::Values(
        CleanCase{"FourPrimaries",
                  "label: dos\\nsize=16MiB, type=83, bootable\\nsize=16MiB, type=7\\n"
                  "size=8MiB, type=c\\ntype=82\\n"},
        CleanCase{"ExtendedWithLogicals",
                  "label: dos\\nsize=8MiB, type=83\\ntype=5\\nsize=8MiB, type=83\\n"
                  "size=8MiB, type=7\\nsize=8MiB, type=c\\ntype=83\\n"},
        CleanCase{"ExtendedLba0F",
                  "label: dos\\nsize=8MiB, type=83\\nsize=8MiB, type=83\\ntype=f\\n"
                  "size=4MiB, type=83\\ntype=83\\n"}),
    [](const testing::TestParamInfo<CleanCase>& p) { return std::string(p.param.name); });

void ExpectNoWarningOrError(const std::string& path) {
  const test::CheckRun run = test::RunCheckJson(path);
  ASSERT_FALSE(run.out.empty()) << path;
  for (const nlohmann::json& f : test::MbrFindings(run.findings)) {
    EXPECT_EQ(f["severity"], "note") << path << ": " << f.dump();
  }
}

TEST(MbrCleanSamples, HaveNoMbrWarningOrError) {
  for (const char* name : {"disk0.img", "disk1.img"}) {
    ExpectNoWarningOrError(std::string(DISKLENS_SAMPLE_DIR) + "/" + name);
  }
}

// mbrman's disk2 holds a chain of five EBRs, each logical partition right
// behind its EBR; its disk1 two primaries; gpt-rs's disk a protective MBR.
TEST(MbrCleanPeers, HaveNoMbrWarningOrError) {
  const char* env = std::getenv("DISKLENS_PEER_DIR");
  const std::string peer = env != nullptr ? env : DISKLENS_PEER_DIR;
  int seen = 0;
  for (const char* name : {"mbrman/disk1.img", "mbrman/disk2.img", "gpt-rs/gpt-disk.img"}) {
    const std::string path = peer + "/" + name;
    if (!std::filesystem::exists(path)) continue;
    ++seen;
    ExpectNoWarningOrError(path);
  }
  if (seen == 0) GTEST_SKIP() << "no peer images at " << peer;
}

}  // namespace
}  // namespace disklens
