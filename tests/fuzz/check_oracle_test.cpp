// The fuzz target's --check oracle (fuzz/check_oracle.h): it holds for the
// seeds that reach the checks and for every hostile image, run as the fuzz
// target runs them, and it rejects a checked report that changed, an
// ill-formed finding and a worst severity that is not the findings'.
#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../../fuzz/check_oracle.h"
#include "../../fuzz/check_seeds.h"
#include "hostile/hostile_images.h"
#include "support/marked_pass.h"

namespace disklens::test {
namespace {

struct OracleDisk {
  std::string name;
  std::uint32_t sectorSize = 512;
  std::vector<std::uint8_t> bytes;
  std::set<std::uint64_t> failingLbas;
};

std::vector<OracleDisk> OracleDisks() {
  std::vector<OracleDisk> disks;
  for (fuzz::CheckSeed& seed : fuzz::CheckSeeds()) {
    disks.push_back({seed.name, seed.disk.SectorSize(), seed.disk.Bytes(), {}});
  }
  for (hostile::HostileImage& image : hostile::AllHostileImages()) {
    disks.push_back({"hostile_" + image.name, image.sectorSize, image.bytes, image.failingLbas});
  }
  return disks;
}

class CheckOracleOnDisks : public ::testing::TestWithParam<OracleDisk> {};

// As the fuzz target does: the plain pass once, the checked pass over both
// markers, text and JSON, /all off and on.
TEST_P(CheckOracleOnDisks, CheckedPassHoldsThePlainReportAndWellFormedFindings) {
  PassSetup setup;
  setup.bytes = GetParam().bytes;
  setup.sectorSize = GetParam().sectorSize;
  setup.failingLbas = GetParam().failingLbas;
  for (const bool json : {false, true}) {
    for (const bool all : {false, true}) {
      setup.json = json;
      setup.allOption = all;
      setup.check = false;
      const PassResult plain = RunMarkedPass(setup, 0x00);
      setup.check = true;
      const PassResult checked = RunPassTwice(setup);
      std::vector<std::string> v = checked.violations;
      const std::vector<std::string> more =
          json ? fuzz::CheckedJsonViolations(plain.text, checked.text, checked.worst)
               : fuzz::CheckedTextViolations(plain.text, checked.text, checked.worst);
      v.insert(v.end(), more.begin(), more.end());
      EXPECT_TRUE(plain.violations.empty()) << plain.violations.front();
      EXPECT_TRUE(v.empty()) << (json ? "--json" : "text") << (all ? " /all: " : ": ")
                             << v.front();
      EXPECT_NE(plain.text, checked.text) << "no CHECKS section or findings";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SeedsAndHostileImages, CheckOracleOnDisks,
                         ::testing::ValuesIn(OracleDisks()),
                         [](const ::testing::TestParamInfo<OracleDisk>& p) {
                           std::string name = p.param.name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

// A plain report and its CHECKS section, written by hand as check_text.cpp
// prints them.
const std::string kPlain = "\nMBR Partition Information (HD0)\n| 0: | 80 |";
const std::string kRule = std::string(kDoubleRule);
const std::string kThin = std::string(kSingleRule);
const std::string kTitle = "\n                                CHECKS (HD0)";
std::string Section(const std::string& lines) {
  return "\n" + kRule + kTitle + kThin + lines + kRule + "\n";
}

struct TextCase {
  std::string name;
  std::string checked;
  std::optional<Severity> worst;
  std::string violation;  // empty: none expected
};

// No violation when `expected` is empty, else exactly one that names it.
void ExpectOnly(const std::vector<std::string>& v, const std::string& expected) {
  if (expected.empty()) {
    EXPECT_TRUE(v.empty()) << v.front();
    return;
  }
  ASSERT_EQ(v.size(), 1u);
  EXPECT_NE(v[0].find(expected), std::string::npos) << v[0];
}

class CheckOracleText : public ::testing::TestWithParam<TextCase> {};

TEST_P(CheckOracleText, NamesWhatIsWrong) {
  const std::vector<std::string> v =
      fuzz::CheckedTextViolations(kPlain, GetParam().checked, GetParam().worst);
  ExpectOnly(v, GetParam().violation);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, CheckOracleText,
    ::testing::Values(
        TextCase{"NoProblems", kPlain + Section("\nno problems found"), std::nullopt, ""},
        TextCase{"TwoFindings",
                 kPlain + Section("\nwarning gpt.backup-not-at-end LBA 127: the backup is at 127"
                                  "; expected 191, found 127. sgdisk -e moves it"
                                  "\nnote    align.mib LBA 40 byte 0: starts off 1 MiB"),
                 Severity::kWarning, ""},
        TextCase{"BackupListedAfterTheFindings",
                 kPlain + "\n" + kRule + kTitle + kThin +
                     "\nerror   gpt.primary LBA 1: header CRC" + kThin +
                     "\n Backup GPT (LBA 127), the intact copy:\n  0 row" + kRule + "\n",
                 Severity::kError, ""},
        TextCase{"ReportChanged", "\nMBR Partition Information (HD0)\n| 0: | 00 |" +
                                      Section("\nno problems found"),
                 std::nullopt, "changed the report"},
        TextCase{"NoTitle", kPlain + "\n" + kRule + kThin + "\nno problems found" + kRule + "\n",
                 std::nullopt, "rule and title"},
        TextCase{"UpperCaseId", kPlain + Section("\nerror   GPT.primary LBA 1: bad"),
                 std::nullopt, "no finding"},
        TextCase{"UnknownSeverity", kPlain + Section("\nfatal   gpt.primary LBA 1: bad"),
                 std::nullopt, "no finding"},
        TextCase{"NoMessage", kPlain + Section("\nerror   gpt.primary LBA 1"),
                 std::nullopt, "no finding"},
        TextCase{"WorstNotTheLines", kPlain + Section("\nnote    align.mib LBA 40: off"),
                 Severity::kError, "worst severity"},
        TextCase{"FindingBesideNoProblems",
                 kPlain + Section("\nno problems found\nnote    align.mib LBA 40: off"),
                 Severity::kNote, "beside findings"},
        TextCase{"EmptySection", kPlain + Section(""), std::nullopt, "no line"}),
    [](const ::testing::TestParamInfo<TextCase>& p) { return p.param.name; });

struct JsonCase {
  std::string name;
  std::string checked;
  std::optional<Severity> worst;
  std::string violation;
};

class CheckOracleJson : public ::testing::TestWithParam<JsonCase> {};

const std::string kPlainJson = R"({"number":128,"name":"HD0","mbr":null})";

TEST_P(CheckOracleJson, NamesWhatIsWrong) {
  const std::vector<std::string> v =
      fuzz::CheckedJsonViolations(kPlainJson, GetParam().checked, GetParam().worst);
  ExpectOnly(v, GetParam().violation);
}

INSTANTIATE_TEST_SUITE_P(
    Objects, CheckOracleJson,
    ::testing::Values(
        JsonCase{"NoFindings",
                 R"({"number":128,"name":"HD0","mbr":null,"findings":[],"gpt_backup":null})",
                 std::nullopt, ""},
        JsonCase{"OneError",
                 R"({"number":128,"name":"HD0","mbr":null,"findings":[{"id":"mbr.signature",)"
                 R"("severity":"error","lba":0,"message":"no 0x55 0xAA"}],"gpt_backup":null})",
                 Severity::kError, ""},
        JsonCase{"MemberChanged",
                 R"({"number":129,"name":"HD0","mbr":null,"findings":[],"gpt_backup":null})",
                 std::nullopt, "changed the JSON object"},
        JsonCase{"NoGptBackup", R"({"number":128,"name":"HD0","mbr":null,"findings":[]})",
                 std::nullopt, "without"},
        JsonCase{"FindingWithoutLba",
                 R"({"number":128,"name":"HD0","mbr":null,"findings":[{"id":"mbr.signature",)"
                 R"("severity":"error","message":"no 0x55 0xAA"}],"gpt_backup":null})",
                 std::nullopt, "wrong shape"},
        JsonCase{"WorstNotTheFindings",
                 R"({"number":128,"name":"HD0","mbr":null,"findings":[{"id":"align.mib",)"
                 R"("severity":"note","lba":40,"message":"off 1 MiB"}],"gpt_backup":null})",
                 Severity::kWarning, "worst severity"},
        JsonCase{"NotJson", R"({"number":128,)", std::nullopt, "does not parse"}),
    [](const ::testing::TestParamInfo<JsonCase>& p) { return p.param.name; });

}  // namespace
}  // namespace disklens::test
