// Disks named on the command line, run as a user runs the program: the report
// is byte for byte that of the same disks given through DISKLENS_DISKS; a
// named disk that does not open fails the run after the whole report; disks
// past HD31 are named on stderr.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/program_runner.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

const std::string kDisk0 = std::string(DISKLENS_SAMPLE_DIR) + "/disk0.img";
const std::string kDisk1 = std::string(DISKLENS_SAMPLE_DIR) + "/disk1.img";

// The --json document's run date, which two runs may not share.
std::string MaskJsonDate(const std::string& text) {
  static const std::regex date("\"run_date\":\"[^\"]*\"");
  return std::regex_replace(text, date, "\"run_date\":\"<date>\"");
}

struct SameAsList {
  std::string name;
  std::vector<std::string> args;      // with the operands
  std::string list;                   // the same disks as DISKLENS_DISKS
  std::vector<std::string> listArgs;  // the other arguments of that run
};

class OperandsAsList : public testing::TestWithParam<SameAsList> {};

TEST_P(OperandsAsList, ReportIsByteForByteThatOfTheList) {
  const SameAsList& c = GetParam();
  const test::ProgramRun named = test::RunDisklens(std::nullopt, c.args);
  const test::ProgramRun listed = test::RunDisklens(c.list, c.listArgs);
  EXPECT_EQ(named.exitCode, 0);
  EXPECT_EQ(named.err, "");
  EXPECT_EQ(listed.err, "");
  EXPECT_EQ(MaskJsonDate(named.out), MaskJsonDate(listed.out));
  EXPECT_NE(named.out.find("HD1"), std::string::npos);  // both disks were read
}

INSTANTIATE_TEST_SUITE_P(
    Forms, OperandsAsList,
    testing::Values(
        SameAsList{"Alone", {kDisk0, kDisk1}, kDisk0 + ":" + kDisk1, {}},
        SameAsList{"AllBefore", {"/all", kDisk0, kDisk1}, kDisk0 + ":" + kDisk1, {"/all"}},
        SameAsList{"AllBetween", {kDisk0, "/ALL", kDisk1}, kDisk0 + ":" + kDisk1, {"/ALL"}},
        SameAsList{"AllAfter", {kDisk0, kDisk1, "/all"}, kDisk0 + ":" + kDisk1, {"/all"}},
        SameAsList{"Json", {"--json", kDisk0, kDisk1}, kDisk0 + ":" + kDisk1, {"--json"}},
        SameAsList{"JsonAll",
                   {kDisk1, kDisk0, "/all", "--json"},
                   kDisk1 + ":" + kDisk0,
                   {"--json", "/all"}},
        SameAsList{"SectorSize", {kDisk1 + "@4096", kDisk0}, kDisk1 + "@4096:" + kDisk0, {}},
        SameAsList{
            "AfterDoubleDash", {"/all", "--", kDisk0, kDisk1}, kDisk0 + ":" + kDisk1, {"/all"}},
        SameAsList{"SameDiskTwice", {kDisk0, kDisk0}, kDisk0 + ":" + kDisk0, {}}),
    [](const testing::TestParamInfo<SameAsList>& p) { return p.param.name; });

TEST(Operands, AfterDoubleDashNamesThatLookLikeOptionsAreFiles) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  std::filesystem::copy_file(kDisk0, dir.File("--json"));
  std::filesystem::copy_file(kDisk1, dir.File("-v"));
  const std::string cd = "cd " + test::ShellQuote(dir.Path()) + " &&";
  const test::ProgramRun run =
      test::RunDisklens(std::nullopt, {"--", "--json", "-v"}, DISKLENS_BINARY, cd);
  const test::ProgramRun listed = test::RunDisklens(kDisk0 + ":" + kDisk1);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, listed.out);  // text, not JSON, and nothing said of -v
  // "/all" after "--" is a disk's name, not the switch.
  const test::ProgramRun all = test::RunDisklens(std::nullopt, {"--", "/all"});
  EXPECT_EQ(all.exitCode, 1);
  EXPECT_EQ(all.out, test::RunDisklens("").out);
  EXPECT_EQ(all.err, "disklens: HD0: /all: No such file or directory\n");
}

TEST(Operands, ANamedDiskThatDoesNotOpenFailsTheRunAfterTheWholeReport) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  struct Case {
    std::string operand;
    std::string reason;
  };
  const Case cases[] = {
      {"/nonexistent/x.img", "No such file or directory"},
      {dir.Path(), "not a disk image or block device"},
      {kDisk0 + "@513", "unknown sector size \"@513\" (use @512, @1024, @2048 or @4096)"},
      {"", "no file name"},
      {"@4096", "no file name"},
  };
  const test::ProgramRun gap = test::RunDisklens(kDisk0 + "::" + kDisk1, {"/all"});
  for (const Case& c : cases) {
    const std::string line = "disklens: HD1: " + c.operand + ": " + c.reason + "\n";
    const test::ProgramRun named =
        test::RunDisklens(std::nullopt, {kDisk0, c.operand, kDisk1, "/all"});
    EXPECT_EQ(named.exitCode, 1) << c.operand;
    EXPECT_EQ(named.err, line);
    EXPECT_EQ(named.out, gap.out) << c.operand;  // the disks around it are all there
    // The same entry of DISKLENS_DISKS keeps exit status 0 (an empty entry is no disk).
    if (c.operand.empty() || c.operand[0] == '@') continue;
    const test::ProgramRun listed =
        test::RunDisklens(kDisk0 + ":" + c.operand + ":" + kDisk1, {"/all"});
    EXPECT_EQ(listed.exitCode, 0) << c.operand;
    EXPECT_EQ(listed.err, line);
    EXPECT_EQ(listed.out, gap.out);
  }
}

TEST(Operands, FortyDisksGiveThirtyTwoReportsAndTheRestNamedOnStderr) {
  std::vector<std::string> operands;
  std::string first32;
  std::string all40;
  for (int i = 0; i < 40; ++i) {
    const std::string disk = (i % 2 == 0 ? kDisk0 : kDisk1) + (i >= 32 ? "@512" : "");
    operands.push_back(disk);
    if (i < 32) first32 += (i == 0 ? "" : ":") + disk;
    all40 += (i == 0 ? "" : ":") + disk;
  }
  std::string err =
      "disklens: 8 disks left out past HD31, the last disk number: name them as operands or in "
      "DISKLENS_DISKS, 32 at a time\n";
  for (std::size_t i = 32; i < 40; ++i) err += "disklens: left out: " + operands[i] + "\n";
  const test::ProgramRun expected = test::RunDisklens(first32);
  ASSERT_NE(expected.out.find("(HD31 - "), std::string::npos);

  const test::ProgramRun named = test::RunDisklens(std::nullopt, operands);
  EXPECT_EQ(named.exitCode, 1);  // disks asked for by name are missing from the report
  EXPECT_EQ(named.err, err);
  EXPECT_EQ(named.out, expected.out);

  const test::ProgramRun listed = test::RunDisklens(all40);
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_EQ(listed.err, err);
  EXPECT_EQ(listed.out, expected.out);

  std::vector<std::string> jsonArgs = operands;
  jsonArgs.push_back("--json");
  const test::ProgramRun json = test::RunDisklens(std::nullopt, jsonArgs);
  EXPECT_EQ(json.exitCode, 1);
  EXPECT_EQ(json.err, err);
  EXPECT_EQ(MaskJsonDate(json.out), MaskJsonDate(test::RunDisklens(first32, {"--json"}).out));

  // Holes in the list are no disks: 31 holes and two disks leave one out.
  const test::ProgramRun holes = test::RunDisklens(std::string(31, ':') + kDisk0 + ":" + kDisk1);
  EXPECT_EQ(holes.exitCode, 0);
  EXPECT_EQ(holes.err,
            "disklens: 1 disk left out past HD31, the last disk number: name it as an operand or "
            "in DISKLENS_DISKS\n"
            "disklens: left out: " +
                kDisk1 + "\n");
}

TEST(Operands, DiskListVariableIsNotReadBesideThem) {
  for (const std::string& list : {std::string("/nonexistent/env.img"), std::string()}) {
    const test::ProgramRun run = test::RunDisklens(list, {kDisk1});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, test::RunDisklens(kDisk1).out);
    const test::ProgramRun verbose = test::RunDisklens(list, {"-v", kDisk1});
    EXPECT_EQ(test::WithoutConfinementLine(verbose.err),
              "disklens: DISKLENS_DISKS not read: the disks named on the command line are "
              "reported\n"
              "disklens: HD0 = " +
                  kDisk1 + " (512-byte sectors, 8388608 bytes)\n");
  }
  // Unset, --verbose has nothing to say of it.
  const test::ProgramRun unset = test::RunDisklens(std::nullopt, {"--verbose", kDisk1});
  EXPECT_EQ(test::WithoutConfinementLine(unset.err),
            "disklens: HD0 = " + kDisk1 + " (512-byte sectors, 8388608 bytes)\n");
}

TEST(Operands, UnknownOptionsBesideThemAreIgnoredAsBefore) {
  const test::ProgramRun run = test::RunDisklens(std::nullopt, {"-x", kDisk0, "--extra"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "disklens: ignoring argument \"-x\" (see --help)\n"
            "disklens: ignoring argument \"--extra\" (see --help)\n");
  EXPECT_EQ(run.out, test::RunDisklens(kDisk0).out);
}

}  // namespace
}  // namespace disklens
