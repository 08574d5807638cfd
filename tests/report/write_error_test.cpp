// A report that cannot be written is a failure, said once on stderr; a reader
// that went away is not.
#include <gtest/gtest.h>

#include <string>

#include "support/program_runner.h"

namespace disklens {
namespace {

// Every disk number filled, so that the report runs well past a pipe's buffer.
std::string ManyDisks() {
  const std::string disk = std::string(DISKLENS_SAMPLE_DIR) + "/disk1.img";
  std::string list = disk;
  for (int i = 1; i < 32; ++i) list += ":" + disk;
  return list;
}

TEST(WriteError, AFullDeviceGivesExitOneAndTheReason) {
  for (const std::string& disks : {std::string(), ManyDisks()}) {
    const test::ProgramRun run = test::RunDisklens(disks, {}, DISKLENS_BINARY, "", ">/dev/full");
    EXPECT_EQ(run.exitCode, 1) << disks;
    EXPECT_EQ(run.err, "disklens: write error: No space left on device\n") << disks;
  }
}

TEST(WriteError, AClosedStandardOutputGivesExitOneAndTheReason) {
  const test::ProgramRun run = test::RunDisklens(ManyDisks(), {"/all"}, DISKLENS_BINARY, "", ">&-");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "disklens: write error: Bad file descriptor\n");
}

TEST(WriteError, AReaderThatStopsEarlyIsNotReported) {
  // With SIGPIPE as it comes, the signal ends the program; with SIGPIPE
  // ignored the write fails with EPIPE: neither says a word on stderr, and
  // the second does not claim success either.
  const test::ProgramRun killed =
      test::RunDisklens(ManyDisks(), {}, DISKLENS_BINARY, "", "| head -c 1");
  EXPECT_EQ(killed.out, "\n");
  EXPECT_EQ(killed.err, "");
  const test::ProgramRun ignored =
      test::RunDisklens(ManyDisks(), {}, DISKLENS_BINARY, "trap '' PIPE;", "| head -c 1");
  EXPECT_EQ(ignored.out, "\n");
  EXPECT_EQ(ignored.err, "");
  EXPECT_EQ(ignored.exitCode, 1);
}

TEST(WriteError, AWrittenReportIsUnchangedAndExitsZero) {
  const test::ProgramRun plain = test::RunDisklens(ManyDisks());
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_EQ(plain.err, "");
  EXPECT_GT(plain.out.size(), std::size_t{1} << 17);
}

}  // namespace
}  // namespace disklens
