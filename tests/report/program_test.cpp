// The built program, run as a user runs it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>

#include "report/driver.h"
#include "support/program_runner.h"

namespace disklens {
namespace {

const std::string kBanner =
    std::string("\nDISKLENS 1.15\n") + kNotice + "\n\nRun date: <date>\n";

TEST(Program, WithNoDiskPrintsTheBannerAndTheRunDateAndExitsZero) {
  const test::ProgramRun run = test::RunDisklens("");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, kBanner);
  EXPECT_TRUE(std::regex_match(run.runDate,
                               std::regex("Run date: [01][0-9]/[0-3][0-9]/2[0-9]{3} [0-9]{1,2}:[0-5][0-9]\n")))
      << run.runDate;
  EXPECT_EQ(run.err, "");
}

TEST(Program, DisksThatDoNotOpenAreLeftOutOfTheReportAndNamedOnStderr) {
  const test::ProgramRun run =
      test::RunDisklens("/nonexistent/a.img::/nonexistent/b.img@4096", {"/ALL"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, kBanner);
  EXPECT_EQ(run.err,
            "disklens: HD0: /nonexistent/a.img: No such file or directory\n"
            "disklens: HD2: /nonexistent/b.img@4096: No such file or directory\n");
}

TEST(Program, OtherCommandLinesAreIgnoredWithoutAMessage) {
  for (const auto& args : {std::vector<std::string>{"-all"}, {"/all", "extra"}, {"--help"}}) {
    const test::ProgramRun run = test::RunDisklens("", args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kBanner);
  }
}

}  // namespace
}  // namespace disklens
