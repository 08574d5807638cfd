// The program reads disks and never writes them: a whole run over every
// hostile image asks for read access only and writes nothing, through the
// in-memory platform (NT and Windows 9x paths) and through the built program
// over image files in a read-only directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile/hostile_check.h"
#include "platform/fake_platform.h"
#include "app/driver.h"
#include "support/capture.h"

namespace disklens::test::hostile {
namespace {

void RunOverEveryImage(bool win9x, bool all) {
  const std::vector<HostileImage> images = AllHostileImages();
  ASSERT_LE(images.size(), 32u);
  FakePlatform fake;
  if (win9x) {
    fake.platformId = kVerPlatformWin32Windows;
    fake.majorVersion = 4;
  }
  for (std::uint32_t i = 0; i < images.size(); ++i) {
    FakeDisk& disk = fake.AddDisk(i, 0, images[i].sectorSize);
    disk.bytes = images[i].bytes;
    disk.failingLbas = images[i].failingLbas;
  }
  CapturedOutput out;
  const char* argv[] = {"disklens", "/all"};
  EXPECT_EQ(RunProgram(all ? 2 : 1, argv, nullptr), 0);

  const std::string text = out.Text();
  EXPECT_NE(text.find("HD28"), std::string::npos);
  EXPECT_EQ(CheckPass(fake, text), std::vector<std::string>{});
  EXPECT_GE(fake.Count("CreateFileA"), images.size());
  EXPECT_GT(fake.Count("ReadFile"), 0u);
  for (std::uint32_t i = 0; i < images.size(); ++i) {
    EXPECT_EQ(fake.disks.at(i).bytes, images[i].bytes) << images[i].name;
  }
}

TEST(ReadOnly, AWholeRunOverEveryHostileImageOpensForReadingOnlyAndNeverWrites) {
  RunOverEveryImage(false, false);
  RunOverEveryImage(false, true);
}

TEST(ReadOnly, TheWindows9xPathOpensForReadingOnlyAndNeverWrites) {
  RunOverEveryImage(true, false);
  RunOverEveryImage(true, true);
}

#if !defined(_WIN32)
// One run of the built program over every image that can be a file, from a
// read-only directory.
TEST(ReadOnly, TheProgramLeavesEveryImageFileAsItWas) {
  TempDir dir;
  ASSERT_TRUE(dir.Ok());
  std::vector<HostileImage> images;
  std::string list;
  for (const HostileImage& image : AllHostileImages()) {
    if (!image.failingLbas.empty()) continue;
    const std::string path = dir.Write(image.name + ".img", image.bytes);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    if (!list.empty()) list += ':';
    list += DiskList(path, image.sectorSize);
    images.push_back(image);
  }
  ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
  DirectoryWatch watch(dir.Path());
  ASSERT_TRUE(watch.Ok());

  const ProgramRun run = RunDisklens(list, {"/all"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  for (const HostileImage& image : images) {
    const std::string name = image.name + ".img";
    EXPECT_EQ(ReadFileBytes(dir.File(name)), image.bytes) << name;
    const std::vector<std::uint32_t> events = watch.Events(name);
    EXPECT_FALSE(events.empty()) << name << " was never opened";
    for (const std::uint32_t mask : events) {
      EXPECT_EQ(mask & (IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB), 0u) << name;
    }
  }
}
#endif

}  // namespace
}  // namespace disklens::test::hostile
