// The file-system images of util-linux's blkid suite, each placed as a
// partition: the families we probe give their IDs, the others give nothing.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gpt/probe.h"
#include "gpt/probe_kinds.h"
#include "probe_family.h"
#include "probe_support.h"

namespace disklens {
namespace {

// DISKLENS_PEER_DIR in the environment overrides the build's peer folder.
std::string PeerDir() {
  const char* env = std::getenv("DISKLENS_PEER_DIR");
  return std::string(env != nullptr ? env : DISKLENS_PEER_DIR) + "/util-linux-blkid";
}

const std::string kPeer = PeerDir();

std::vector<std::string> ImageNames() {
  std::vector<std::string> names;
  if (DIR* dir = opendir((kPeer + "/images-fs").c_str())) {
    const std::string suffix = ".img.xz";
    while (const dirent* e = readdir(dir)) {
      const std::string file = e->d_name;
      if (file.size() > suffix.size() &&
          file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0) {
        names.push_back(file.substr(0, file.size() - suffix.size()));
      }
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Images whose probe result differs from their blkid family, each because of
// a rule of the probe that blkid does not share.
const std::map<std::string, std::pair<test::Expected, const char*>>& Exceptions() {
  static const std::map<std::string, std::pair<test::Expected, const char*>> table = {
      {"jbd", {{kKindExt, 0x83}, "an ext3 external journal carries the ext superblock magic"}},
      {"swap0", {{}, "version-0 swap ends its page with SWAP-SPACE, not SWAPSPACE2"}},
      {"swap1-big", {{}, "8 KiB pages: SWAPSPACE2 ends the 8 KiB page, not the first 4 KiB"}},
      {"tuxonice", {{kKindSwap, 0x82}, "a hibernation image keeps the swap area's SWAPSPACE2"}},
  };
  return table;
}

TEST(ProbePeerImages, FamiliesWeProbeGiveTheirIdsAndOthersGiveNone) {
  const std::vector<std::string> names = ImageNames();
  if (names.empty()) GTEST_SKIP() << "no peer images at " << kPeer << "/images-fs";
  if (!test::HasTool("xz")) GTEST_SKIP() << "xz is not installed";
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  constexpr std::uint64_t kStart = 2048;
  constexpr std::size_t kHead = 1u << 20;  // the probe reads within the first 68 KiB
  int probedFamilies = 0;
  for (const std::string& name : names) {
    const std::string udev = ReadText(kPeer + "/expected/low-probe-" + name);
    const std::string family = test::UdevValue(udev, "ID_FS_TYPE");
    test::Expected want = test::ExpectedFor(family, test::UdevValue(udev, "ID_FS_VERSION"));
    const auto exception = Exceptions().find(name);
    if (exception != Exceptions().end()) want = exception->second.first;
    if (want.id != 0) ++probedFamilies;

    const std::string image = dir.File(name + ".img");
    ASSERT_TRUE(test::RunQuiet("xz -dc '" + kPeer + "/images-fs/" + name + ".img.xz' | head -c " +
                               std::to_string(kHead) + " > '" + image + "'"))
        << name;
    const std::vector<std::uint8_t> head = test::ReadHead(image, kHead);
    std::remove(image.c_str());
    test::ProbeDisk d(kStart * 512 + 2 * kHead);
    d.Place(kStart, head);
    const ProbeResult r = ProbePartition(d.Device(), kStart);
    std::uint16_t id = 0xFFFF;
    EXPECT_EQ(ProbePartitionType(d.Device(), kStart, 0, id), kProbeOk) << name;
    const char* why = exception != Exceptions().end() ? exception->second.second : "";
    EXPECT_EQ(r.kind, want.kind) << name << " (" << family << ") " << why;
    EXPECT_EQ(id, want.id) << name << " (" << family << ") " << why;
  }
  EXPECT_GT(probedFamilies, 30);
}

}  // namespace
}  // namespace disklens
