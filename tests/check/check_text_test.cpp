// The CHECKS line layout, and what --check adds to a run of a clean disk.
#include <gtest/gtest.h>

#include <string>

#include "check/check_text.h"
#include "support/capture.h"
#include "support/program_runner.h"

namespace disklens {
namespace {

struct LineCase {
  const char* name;
  Finding finding;
  const char* line;
};

class FindingLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(FindingLineTest, IsSeverityIdSectorMessageValuesHint) {
  EXPECT_EQ(FindingLine(GetParam().finding), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FindingLineTest,
    testing::Values(
        LineCase{"Bare", {"mbr.active", Severity::kWarning, {}, {}, "two entries are active", "", "", ""},
                 "warning mbr.active: two entries are active"},
        LineCase{"WithSector",
                 {"mbr.signature", Severity::kError, 0, 510, "no boot signature", "55 AA", "00 00", ""},
                 "error   mbr.signature LBA 0 byte 510: no boot signature; expected 55 AA, found 00 00"},
        LineCase{"OnlyFound", {"fat.dirty", Severity::kNote, 2048, {}, "the volume is dirty", "", "0x01", ""},
                 "note    fat.dirty LBA 2048: the volume is dirty; found 0x01"},
        LineCase{"WithHint",
                 {"gpt.backup-not-at-end", Severity::kWarning, 4095, {}, "the backup is not at the end",
                  "8191", "4095", "sgdisk -e moves it"},
                 "warning gpt.backup-not-at-end LBA 4095: the backup is not at the end; expected 8191, "
                 "found 4095. Hint: sgdisk -e moves it"}),
    [](const testing::TestParamInfo<LineCase>& p) { return std::string(p.param.name); });

// Lines far longer than any buffer behind them print whole, each as FindingLine gives it.
TEST(ChecksSectionTest, PrintsEveryLineWholeWhateverItsLength) {
  DiskCheck check;
  for (std::size_t length : {0u, 1000u, 1023u, 1024u, 5000u}) {
    check.findings.push_back(
        {"fat32.backup", Severity::kWarning, 2048, {}, std::string(length, 'm'), "e", "f", "h"});
  }
  ReportState state;
  std::string text;
  {
    test::CapturedOutput out;
    PrintChecksSection(state, check);
    FlushReport();
    text = out.Text();
  }
  std::string lines;
  for (const Finding& f : check.findings) {
    lines += '\n';
    lines += FindingLine(f);
  }
  EXPECT_NE(text.find(lines + "\n===="), std::string::npos) << text.substr(0, 400);
}

TEST(WorstSeverityTest, IsTheHighestAndNoneForNoFinding) {
  EXPECT_FALSE(WorstSeverity({}).has_value());
  Findings f{{"a.b", Severity::kNote, {}, {}, "", "", "", ""},
             {"a.c", Severity::kError, {}, {}, "", "", "", ""},
             {"a.d", Severity::kWarning, {}, {}, "", "", "", ""}};
  EXPECT_EQ(WorstSeverity(f), Severity::kError);
}

// The report comes first, unchanged; the CHECKS section closes the disk, and a
// clean disk exits 0 in both forms.
TEST(CheckOption, AppendsOneSectionAfterTheUnchangedReport) {
  const std::string disk = std::string(DISKLENS_SAMPLE_DIR) + "/disk0.img";
  const test::ProgramRun plain = test::RunDisklens(disk);
  const test::ProgramRun checked = test::RunDisklens(disk, {"--check"});
  ASSERT_EQ(plain.exitCode, 0);
  EXPECT_EQ(checked.exitCode, 0) << checked.out;
  ASSERT_EQ(checked.out.rfind(plain.out, 0), 0u) << "the report before CHECKS differs";
  EXPECT_EQ(checked.out.substr(plain.out.size()),
            "\n\n==============================================================================="
            "\n                                CHECKS (HD0)"
            "\n-------------------------------------------------------------------------------"
            "\nno problems found"
            "\n===============================================================================\n");
  const test::ProgramRun json = test::RunDisklens(disk, {"--json", "--check"});
  EXPECT_EQ(json.exitCode, 0);
  EXPECT_NE(json.out.find("\"findings\":[],\"gpt_backup\":null}"), std::string::npos) << json.out;
}

}  // namespace
}  // namespace disklens
