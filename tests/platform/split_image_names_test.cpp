// Which names make a split raw image, against a directory listing written by
// hand: the sets `split` and the imagers write, and the names that only look
// like them.
#include "platform/split_image_names.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace disklens {
namespace {

struct NamesCase {
  const char* what;
  std::vector<std::string> present;  // besides the named file
  std::string named;
  SplitRole role;
  std::vector<std::string> segments;
};

class SplitNames : public testing::TestWithParam<NamesCase> {};

TEST_P(SplitNames, FindsTheSet) {
  const NamesCase& c = GetParam();
  std::set<std::string> present(c.present.begin(), c.present.end());
  present.insert(c.named);
  std::vector<std::string> asked;
  const SplitSet set = FindSplitSet(c.named, [&](const std::string& name) {
    asked.push_back(name);
    return present.count(name) != 0;
  });
  EXPECT_EQ(set.role, c.role) << c.what;
  EXPECT_EQ(set.segments, c.segments) << c.what;
  // Nothing is asked of a name that is no segment at all.
  if (c.role == SplitRole::kNone && c.present.empty()) {
    EXPECT_LE(asked.size(), 2u) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, SplitNames,
    testing::Values(
        NamesCase{"split -d -a 3 --numeric-suffixes=1",
                  {"d/img.002", "d/img.003"},
                  "d/img.001",
                  SplitRole::kFirst,
                  {"d/img.001", "d/img.002", "d/img.003"}},
        NamesCase{"counted from 000",
                  {"img.001", "img.002"},
                  "img.000",
                  SplitRole::kFirst,
                  {"img.000", "img.001", "img.002"}},
        NamesCase{"split -d: two digits", {"img.01"}, "img.00", SplitRole::kFirst,
                  {"img.00", "img.01"}},
        NamesCase{"split's letters", {"disk.img.ab", "disk.img.ac"}, "disk.img.aa",
                  SplitRole::kFirst, {"disk.img.aa", "disk.img.ab", "disk.img.ac"}},
        NamesCase{"the set ends at the first gap",
                  {"x.002", "x.004"},
                  "x.001",
                  SplitRole::kFirst,
                  {"x.001", "x.002"}},
        NamesCase{"a lone .001 is raw", {}, "x.001", SplitRole::kNone, {}},
        NamesCase{"a lone .000 is raw", {"x.002"}, "x.000", SplitRole::kNone, {}},
        NamesCase{"a later segment", {"x.001", "x.003"}, "x.002", SplitRole::kLater,
                  {"x.001", "x.002"}},
        NamesCase{".001 after .000", {"x.000", "x.002"}, "x.001", SplitRole::kLater,
                  {"x.000", "x.001"}},
        NamesCase{"a later letter", {"x.aa", "x.ab"}, "x.ac", SplitRole::kLater,
                  {"x.aa", "x.ab", "x.ac"}},
        NamesCase{"a gap before it: no set", {"x.001", "x.003"}, "x.004", SplitRole::kNone, {}},
        NamesCase{"no first: no set", {"x.003"}, "x.002", SplitRole::kNone, {}},
        NamesCase{"one digit is no segment", {"disk.2"}, "disk.1", SplitRole::kNone, {}},
        NamesCase{"no dot: numbered disks stay apart", {"disk2", "disk02"}, "disk1",
                  SplitRole::kNone, {}},
        NamesCase{"no stem", {".002"}, ".001", SplitRole::kNone, {}},
        NamesCase{"the dot in a folder", {"a.b/002"}, "a.b/001", SplitRole::kNone, {}},
        NamesCase{"capitals are not split's", {"x.AB"}, "x.AA", SplitRole::kNone, {}},
        NamesCase{"an extension is no later segment", {}, "disk.img", SplitRole::kNone, {}},
        NamesCase{"EWF names are not raw segments", {"case.E02"}, "case.E01", SplitRole::kNone,
                  {}},
        NamesCase{"a date is no segment", {}, "backup.20240101", SplitRole::kNone, {}}),
    [](const testing::TestParamInfo<NamesCase>& p) {
      std::string name = p.param.what;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST(SplitNames, LettersCarryFromZToA) {
  const SplitSet set =
      FindSplitSet("x.aa", [](const std::string& name) { return name <= "x.bb"; });
  EXPECT_EQ(set.role, SplitRole::kFirst);
  ASSERT_EQ(set.segments.size(), 28u);
  EXPECT_EQ(set.segments[25], "x.az");
  EXPECT_EQ(set.segments[26], "x.ba");
  EXPECT_EQ(set.segments[27], "x.bb");
}

TEST(SplitNames, LastPlaceOfItsWidthEndsTheSet) {
  std::vector<std::string> asked;
  const SplitSet set = FindSplitSet("x.98", [&](const std::string& name) {
    asked.push_back(name);
    return true;  // every name exists
  });
  // x.00 exists, so x.98 is a later segment; nothing past x.99 is asked.
  EXPECT_EQ(set.role, SplitRole::kLater);
  ASSERT_EQ(set.segments.size(), 99u);
  EXPECT_EQ(set.segments.front(), "x.00");
  const SplitSet first = FindSplitSet("x.00", [](const std::string&) { return true; });
  ASSERT_EQ(first.segments.size(), 100u);
  EXPECT_EQ(first.segments.back(), "x.99");
}

}  // namespace
}  // namespace disklens
