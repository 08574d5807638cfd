// DISKLENS_DISKS entries that do not open: one line each on stderr, and the
// report exactly that of the run where the entry is empty.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "support/program_runner.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

const std::string kDisk1 = std::string(DISKLENS_SAMPLE_DIR) + "/disk1.img";

// Runs with `entry` as HD1 between two real disks, and with HD1 empty; the
// two reports must be the same, byte for byte. Returns stderr of the first.
std::string ErrorsBesideRealDisks(const std::string& entry) {
  // A blocking open would hang here: `timeout` turns that into a failure.
  const test::ProgramRun failing =
      test::RunDisklens(kDisk1 + ":" + entry + ":" + kDisk1, {}, DISKLENS_BINARY, "timeout 20 env");
  const test::ProgramRun empty = test::RunDisklens(kDisk1 + "::" + kDisk1);
  EXPECT_EQ(failing.exitCode, 0) << entry;
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.err, "");
  EXPECT_EQ(failing.out, empty.out) << entry;
  EXPECT_NE(failing.out.find("HD2"), std::string::npos);
  return failing.err;
}

TEST(DiskEntryMessage, SystemReasonsForFilesThatDoNotOpen) {
  EXPECT_EQ(ErrorsBesideRealDisks("/nonexistent/a.img"),
            "disklens: HD1: /nonexistent/a.img: No such file or directory\n");
  EXPECT_EQ(ErrorsBesideRealDisks("/nonexistent/b.img@4096"),
            "disklens: HD1: /nonexistent/b.img@4096: No such file or directory\n");
  if (geteuid() == 0) GTEST_SKIP() << "root opens a file of mode 000: no Permission denied to see";
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string locked = dir.Write("locked.img", std::vector<std::uint8_t>(4096, 0));
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  EXPECT_EQ(ErrorsBesideRealDisks(locked), "disklens: HD1: " + locked + ": Permission denied\n");
}

TEST(DiskEntryMessage, SpecialFilesAreNamedAndNeverWaitedFor) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = dir.File("sock");
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(s, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  for (const std::string& entry : {fifo, socketPath, dir.Path(), std::string("/dev/null")}) {
    EXPECT_EQ(ErrorsBesideRealDisks(entry),
              "disklens: HD1: " + entry + ": not a disk image or block device\n");
  }
  close(s);
}

TEST(DiskEntryMessage, AnUnknownSectorSizeIsAnErrorNotPartOfTheName) {
  EXPECT_EQ(ErrorsBesideRealDisks(kDisk1 + "@513"),
            "disklens: HD1: " + kDisk1 +
                "@513: unknown sector size \"@513\" (use @512, @1024, @2048 or @4096)\n");
  // A name that really ends in "@513" takes a sector size after it.
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string odd = dir.File("odd@513");
  std::filesystem::copy_file(kDisk1, odd);
  const test::ProgramRun viaSuffix = test::RunDisklens(odd + "@512");
  const test::ProgramRun plain = test::RunDisklens(kDisk1);
  EXPECT_EQ(viaSuffix.err, "");
  EXPECT_EQ(viaSuffix.out, plain.out);
}

TEST(DiskEntryMessage, EachEntryIsNamedOnceWithItsOwnNumber) {
  const test::ProgramRun run = test::RunDisklens("/nonexistent/a::/nonexistent/c@7", {"/all"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "disklens: HD0: /nonexistent/a: No such file or directory\n"
            "disklens: HD2: /nonexistent/c@7: unknown sector size \"@7\" (use @512, @1024, "
            "@2048 or @4096)\n");
}

}  // namespace
}  // namespace disklens
