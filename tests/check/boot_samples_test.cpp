// The sample disks and the peers' images through --check: their volumes carry
// no defect the boot-sector checks know, so none of them gives a finding of
// that family, with or without /all.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program_runner.h"

namespace disklens {
namespace {

std::string PeerDir() {
  const char* env = std::getenv("DISKLENS_PEER_DIR");
  return env != nullptr ? env : DISKLENS_PEER_DIR;
}

struct DiskCase {
  const char* name;
  std::string path;
};

class BootChecksOnKnownDisks : public testing::TestWithParam<DiskCase> {};

TEST_P(BootChecksOnKnownDisks, GiveNoBootSectorFinding) {
  const std::string& path = GetParam().path;
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "not here: " << path;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--json", "--check"}, std::vector<std::string>{"--json", "--check", "/all"}}) {
    const test::ProgramRun run = test::RunDisklens(path, args);
    const nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(doc.is_discarded()) << run.out << run.err;
    ASSERT_EQ(doc["disks"].size(), 1u);
    for (const auto& f : doc["disks"][0]["findings"]) {
      const std::string id = f["id"];
      for (const char* prefix : {"fs.", "fat.", "fat32.", "ntfs."}) {
        EXPECT_NE(id.rfind(prefix, 0), 0u) << f.dump();
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Disks, BootChecksOnKnownDisks,
    testing::Values(DiskCase{"SampleDisk0", std::string(DISKLENS_SAMPLE_DIR) + "/disk0.img"},
                    DiskCase{"SampleDisk1", std::string(DISKLENS_SAMPLE_DIR) + "/disk1.img"},
                    DiskCase{"MbrmanDisk1", PeerDir() + "/mbrman/disk1.img"},
                    DiskCase{"MbrmanDisk2", PeerDir() + "/mbrman/disk2.img"},
                    DiskCase{"GptRsDisk", PeerDir() + "/gpt-rs/gpt-disk.img"}),
    [](const testing::TestParamInfo<DiskCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace disklens
