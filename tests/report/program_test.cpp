// The built program, run as a user runs it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>

#include "app/command_line.h"
#include "app/driver.h"
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

TEST(Program, OtherArgumentsAreIgnoredAndNamedOnStderr) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"-all"}, "disklens: ignoring argument \"-all\" (see --help)\n"},
      {{"/all", "--extra"},
       "disklens: ignoring argument \"--extra\" (see --help)\n"
       "disklens: /all not applied: it must be the only argument besides the options and the "
       "disks\n"},
      {{"/all", "/ALL"},
       "disklens: /all not applied: it must be the only argument besides the options and the "
       "disks\n"},
      {{"-v", "-x", "--verbose"}, "disklens: ignoring argument \"-x\" (see --help)\n"},
  };
  for (const Case& c : cases) {
    const test::ProgramRun run = test::RunDisklens("", c.args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kBanner);
    EXPECT_EQ(test::WithoutConfinementLine(run.err), c.err) << c.args[0];
  }
}

TEST(Program, HelpAndVersionPrintOnlyThemselvesAndOpenNoDisk) {
  // A missing disk would be named on stderr if it were tried.
  for (const char* help : {"--help", "-h", "/?"}) {
    const test::ProgramRun run = test::RunDisklens("/nonexistent/a.img", {"/all", help});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kUsage) << help;
    EXPECT_EQ(run.out.rfind("Usage: disklens ", 0), 0u);
    EXPECT_EQ(run.err, "");
  }
  const test::ProgramRun version = test::RunDisklens("/nonexistent/a.img", {"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "disklens 1.15\n");
  EXPECT_EQ(version.err, "");
  const test::ProgramRun full =
      test::RunDisklens("", {"--version"}, DISKLENS_BINARY, "", ">/dev/full");
  EXPECT_EQ(full.exitCode, 1);
  EXPECT_EQ(full.err, "disklens: write error: No space left on device\n");
}

TEST(Program, OptionsInAnyOrderLeaveAllItsMeaningAndTheReportAsItIs) {
  const std::string disk = std::string(DISKLENS_SAMPLE_DIR) + "/disk0.img";
  const test::ProgramRun alone = test::RunDisklens(disk, {"/all"});
  const test::ProgramRun without = test::RunDisklens(disk);
  EXPECT_NE(alone.out, without.out);  // /all changes the chain walk of disk 0
  for (const auto& args : {std::vector<std::string>{"-v", "/ALL"}, {"/all", "--verbose"}}) {
    const test::ProgramRun run = test::RunDisklens(disk, args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, alone.out);
    EXPECT_EQ(test::WithoutConfinementLine(run.err),
              "disklens: HD0 = " + disk + " (512-byte sectors, 8388608 bytes)\n");
  }
}

TEST(Program, VerboseNamesEachSourceOnceWithItsSectorSize) {
  const std::string disk = std::string(DISKLENS_SAMPLE_DIR) + "/disk1.img";
  const test::ProgramRun run =
      test::RunDisklens(disk + "::/nonexistent/x:" + disk + "@4096", {"--verbose"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, test::RunDisklens(disk + ":::" + disk + "@4096").out);
  EXPECT_EQ(test::WithoutConfinementLine(run.err),
            "disklens: HD0 = " + disk + " (512-byte sectors, 8388608 bytes)\n"
            "disklens: HD2: /nonexistent/x: No such file or directory\n"
                     "disklens: HD3 = " + disk + " (4096-byte sectors, 8388608 bytes)\n");
}

}  // namespace
}  // namespace disklens
