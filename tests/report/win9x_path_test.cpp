// The whole program through the Windows 9x path gives the same report as
// through the raw devices.
#include <gtest/gtest.h>

#include "platform/posix_platform.h"
#include "app/driver.h"
#include "support/capture.h"
#include "support/disk_image.h"
#include "support/scoped_platform.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

std::string ReportThrough(bool asWin9x, const std::vector<DiskSource>& disks, bool all) {
  PosixPlatform posix(disks, asWin9x);
  test::ScopedPlatform use(posix);
  test::CapturedOutput out;
  std::tm now{};
  now.tm_year = 126;
  const char* argv[] = {"disklens", all ? "/all" : "--"};  // "--": no option, no disk
  EXPECT_EQ(RunProgram(2, argv, &now), 0);
  return out.Text();
}

TEST(Win9xPath, SameReportAsTheRawDevicePath) {
  test::TempDir dir;
  test::DiskImage mbr(4096 * 512);
  mbr.PutEntry(0, 0, test::Entry(0x06, 63, 2000, 0x80));
  mbr.PutEntry(0, 1, test::Entry(0x05, 2063, 2000));
  mbr.PutEntry(2063, 0, test::Entry(0x01, 63, 100));
  mbr.PutBootSignature(0);
  mbr.PutBootSignature(2063);
  mbr.Text(63 * 512 + 3, "MSDOS5.0");
  mbr.PutBootSignature(63);
  const std::vector<DiskSource> disks = {{dir.Write("a.img", mbr.Bytes()), 512},
                                         {"", 512},
                                         {dir.Write("b.img", std::vector<std::uint8_t>(8192)), 512}};
  for (const bool all : {false, true}) {
    const std::string nt = ReportThrough(false, disks, all);
    const std::string win9x = ReportThrough(true, disks, all);
    EXPECT_EQ(nt, win9x);
    EXPECT_NE(nt.find("Run date:"), std::string::npos);
  }
}

}  // namespace
}  // namespace disklens
