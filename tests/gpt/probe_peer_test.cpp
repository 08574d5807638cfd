// The file-system images of util-linux's blkid suite, each placed as a
// partition: the families we probe give their IDs, the others give nothing.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

// The first `limit` bytes of an image, decompressed through a temporary file.
std::vector<std::uint8_t> ImageHead(const test::TempDir& dir, const std::string& name,
                                    std::size_t limit) {
  const std::string image = dir.File(name + ".img");
  if (!test::RunQuiet("xz -dc '" + kPeer + "/images-fs/" + name + ".img.xz' | head -c " +
                      std::to_string(limit) + " > '" + image + "'")) {
    return {};
  }
  std::vector<std::uint8_t> head = test::ReadHead(image, limit);
  std::remove(image.c_str());
  return head;
}

std::string FamilyOf(const std::string& name) {
  return test::UdevValue(ReadText(kPeer + "/expected/low-probe-" + name), "ID_FS_TYPE");
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

    const std::vector<std::uint8_t> head = ImageHead(dir, name, kHead);
    ASSERT_FALSE(head.empty()) << name;
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

// CD images as whole disks of 2,048-byte sectors: the volume descriptor at LBA 16.
TEST(ProbePeerImages, Iso9660AsAWholeDiskIsFoundButHasNoId) {
  const std::vector<std::string> names = ImageNames();
  if (names.empty()) GTEST_SKIP() << "no peer images at " << kPeer << "/images-fs";
  if (!test::HasTool("xz")) GTEST_SKIP() << "xz is not installed";
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  int isos = 0;
  for (const std::string& name : names) {
    if (FamilyOf(name) != "iso9660") continue;
    ++isos;
    const std::vector<std::uint8_t> head = ImageHead(dir, name, 64u << 10);
    ASSERT_FALSE(head.empty()) << name;
    test::ProbeDisk d(1u << 20, 2048);
    d.Place(0, head);
    const ProbeResult r = ProbePartition(d.Device(), 0);
    EXPECT_EQ(r.status, kProbeOk) << name;
    EXPECT_EQ(r.kind, kKindIso9660) << name;
    std::uint16_t id = 0xFFFF;
    EXPECT_EQ(ProbePartitionType(d.Device(), 0, 0, id), kProbeOk) << name;
    EXPECT_EQ(id, 0) << name;
  }
  EXPECT_GT(isos, 3);
}

}  // namespace
}  // namespace disklens
