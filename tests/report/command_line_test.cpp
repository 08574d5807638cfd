// The command line taken apart: options, /all, "--", unknown options, and the
// disks named (the operands), in the order given.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace disklens {
namespace {

struct LineCase {
  std::vector<const char*> args;
  std::vector<std::string> operands;
  bool all = false;
  bool allNotApplied = false;
  std::vector<std::string> ignored{};
  bool json = false;
};

// The arguments, for the test's name and its failures.
void PrintTo(const LineCase& c, std::ostream* os) {
  *os << "disklens";
  for (const char* a : c.args) *os << " '" << a << "'";
}

class CommandLineCases : public testing::TestWithParam<LineCase> {};

TEST_P(CommandLineCases, TakesApartAsTheManualSays) {
  const LineCase& c = GetParam();
  std::vector<const char*> argv{"disklens"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  const CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ(line.operands, c.operands);
  EXPECT_EQ(line.all, c.all);
  EXPECT_EQ(line.allNotApplied, c.allNotApplied);
  EXPECT_EQ(line.ignored, c.ignored);
  EXPECT_EQ(line.json, c.json);
}

INSTANTIATE_TEST_SUITE_P(
    Operands, CommandLineCases,
    testing::Values(
        LineCase{{"a.img", "b.img@4096"}, {"a.img", "b.img@4096"}},
        LineCase{{"/all", "a.img"}, {"a.img"}, true},
        LineCase{{"a.img", "/ALL", "b.img"}, {"a.img", "b.img"}, true},
        LineCase{{"a.img", "--json", "/All"}, {"a.img"}, true, false, {}, true},
        // After "--" everything is a disk, options and /all too.
        LineCase{{"--", "--json", "/all", "-v"}, {"--json", "/all", "-v"}},
        LineCase{{"/all", "--", "--", "x"}, {"--", "x"}, true},
        // "-" alone is a file's name; a path beginning with "/" is a disk.
        LineCase{{"-", "/dev/sdb", "/alligator.img"}, {"-", "/dev/sdb", "/alligator.img"}},
        LineCase{{""}, {""}},
        // /all keeps its rule: once, and beside no ignored argument.
        LineCase{{"/all", "/all", "a.img"}, {"a.img"}, false, true},
        LineCase{{"-x", "/all", "a.img"}, {"a.img"}, false, true, {"-x"}},
        LineCase{{"--extra", "-all"}, {}, false, false, {"--extra", "-all"}},
        LineCase{{}, {}}));

TEST(CommandLine, OptionsAfterOperandsAreStillOptions) {
  const char* argv[] = {"disklens", "a.img", "--verbose", "b.img",
                        "--help",   "-h",    "/?",        "--version"};
  const CommandLine line = ParseCommandLine(8, argv);
  EXPECT_TRUE(line.verbose);
  EXPECT_TRUE(line.help);
  EXPECT_TRUE(line.version);
  EXPECT_EQ(line.operands, (std::vector<std::string>{"a.img", "b.img"}));
}

TEST(CommandLine, UsageShowsTheOperandFormFirst) {
  EXPECT_EQ(std::string(kUsage).rfind("Usage: disklens [OPTIONS] [/all] [DISK...]\n", 0), 0u);
}

}  // namespace
}  // namespace disklens
