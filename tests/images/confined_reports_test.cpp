// The confinement changes no report: text, /all and --json over the raw
// images, every container format and a split EWF set give the same standard
// output, standard error and exit code as with DISKLENS_NO_SANDBOX=1; and a
// qcow2 backing file outside the folders of the disks named is refused with a
// message that says why, where the unconfined run reads through it.
#include <gtest/gtest.h>

#include <regex>

#include "images/container_images.h"

namespace disklens {
namespace {

constexpr const char* kUnconfined = "DISKLENS_NO_SANDBOX=1";

std::string MaskJsonDate(const std::string& text) {
  static const std::regex date("\"run_date\":\"[^\"]*\"");
  return std::regex_replace(text, date, "\"run_date\":\"\"");
}

std::size_t Count(const std::string& dir) {
  std::size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) n += e.is_regular_file() ? 1u : 0u;
  return n;
}

TEST(ConfinedReports, SameAsUnconfinedForEveryFormat) {
  DISKLENS_NEED_TOOL("qemu-img");
  DISKLENS_NEED_TOOL("ewfacquire");
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::vector<test::RawDisk> raw = test::MakeRawDisks(dir);
  ASSERT_GE(raw.size(), 7u);
  std::vector<std::string> entries;
  for (const test::RawDisk& d : raw) entries.push_back(test::Entry(d.path, d.sectorSize));
  const std::string gpt = raw[2].path;
  const std::string sample = raw[5].path;
  struct Conversion {
    const char* format;
    const char* options;
    const char* name;
  };
  for (const Conversion& c : {Conversion{"qcow2", "-c", "c.qcow2"},
                              Conversion{"vpc", "-o subformat=dynamic,force_size=on", "d.vhd"},
                              Conversion{"vhdx", "", "x.vhdx"},
                              Conversion{"vmdk", "-o subformat=streamOptimized", "s.vmdk"},
                              Conversion{"vmdk", "-o subformat=twoGbMaxExtentSparse", "t.vmdk"}}) {
    ASSERT_TRUE(test::QemuConvert(gpt, dir.File(c.name), c.format, c.options)) << c.name;
    entries.push_back(dir.File(c.name));
  }
  const std::string split = test::EwfAcquire(sample, dir.File("split"), "-S 1MiB");
  ASSERT_FALSE(split.empty());
  ASSERT_TRUE(std::filesystem::exists(dir.File("split.E02")));
  entries.push_back(split);
  entries.push_back(dir.File("missing.img"));
  const std::string list = test::JoinDisks(entries);
  // The files read keep their bytes and times, and no file is added (the
  // sparse images past 2 TiB that the maker writes too are left unread).
  std::vector<std::string> read = {gpt, sample};
  for (const char* name : {"c.qcow2", "d.vhd", "x.vhdx", "s.vmdk", "t.vmdk", "split.E01",
                           "split.E02"}) {
    read.push_back(dir.File(name));
  }
  std::vector<test::FileStamp> before;
  for (const std::string& f : read) before.push_back(test::Stamp(f));
  const std::size_t files = Count(dir.Path());

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"/all"}, {"--json"}, {"--json", "/all"}}) {
    const test::ProgramRun confined = test::RunDisklens(list, args);
    const test::ProgramRun free = test::RunDisklens(list, args, DISKLENS_BINARY, kUnconfined);
    EXPECT_EQ(confined.exitCode, 0);
    EXPECT_EQ(confined.exitCode, free.exitCode);
    EXPECT_EQ(confined.err, free.err);
    EXPECT_EQ(MaskJsonDate(confined.out), MaskJsonDate(free.out));
    EXPECT_NE(confined.out.find("HD11"), std::string::npos);
  }
  for (std::size_t i = 0; i < read.size(); ++i) EXPECT_EQ(test::Stamp(read[i]), before[i]) << read[i];
  EXPECT_EQ(Count(dir.Path()), files);
}

TEST(ConfinedReports, BackingFileOutsideTheFoldersNamedIsRefusedAndSaid) {
  DISKLENS_NEED_TOOL("qemu-img");
  test::TempDir images;
  test::TempDir elsewhere;
  ASSERT_TRUE(images.Ok() && elsewhere.Ok());
  const std::vector<test::RawDisk> raw = test::MakeRawDisks(images);
  ASSERT_GE(raw.size(), 3u);
  const std::string base = elsewhere.File("base.qcow2");
  ASSERT_TRUE(test::QemuConvert(raw[2].path, base, "qcow2", ""));
  const std::string child = images.File("child.qcow2");
  ASSERT_TRUE(test::RunTool("qemu-img create -q -f qcow2 -b " + test::ShellQuote(base) +
                            " -F qcow2 " + test::ShellQuote(child))
                  .has_value());

  // Unconfined, the child reads through it and names it, as it lies elsewhere.
  const std::string elsewhereNote = "disklens: HD0: " + child +
                                    ": the report depends on its backing file " + base +
                                    ", outside the image's folder\n";
  const test::ProgramRun free = test::RunDisklens(child, {}, DISKLENS_BINARY, kUnconfined);
  EXPECT_EQ(free.err, elsewhereNote);
  EXPECT_EQ(free.out, test::RunDisklens(raw[2].path).out);

  const test::ProgramRun verbose = test::RunDisklens(child, {"--verbose"});
  if (verbose.err.find("; Landlock off") != std::string::npos) {
    GTEST_SKIP() << "no Landlock here: " << verbose.err;
  }
  const test::ProgramRun confined = test::RunDisklens(child);
  EXPECT_EQ(confined.exitCode, 0);
  EXPECT_EQ(confined.out, test::RunDisklens("").out);  // the banner alone
  EXPECT_EQ(confined.err, "disklens: HD0: " + child + ": backing file " + base +
                              ": outside the folders of the disks named, all that disklens "
                              "reads while confined (DISKLENS_NO_SANDBOX=1 lifts the "
                              "confinement)\n");
  // Named as a disk too, its folder is read, and the child reads through it.
  const test::ProgramRun both = test::RunDisklens(child + ":" + base);
  EXPECT_EQ(both.err, elsewhereNote);
  EXPECT_EQ(both.out, test::RunDisklens(raw[2].path + ":" + raw[2].path).out);
}

}  // namespace
}  // namespace disklens
