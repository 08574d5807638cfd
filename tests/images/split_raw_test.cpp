// Split raw images written by `split` from the end-to-end images and the
// sample disks: the first segment reads the whole set, byte for byte the
// joined file's report; a later segment is refused with the first's name; a
// FIFO among the segments is refused without a wait; --verbose names them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "images/container_images.h"

namespace disklens {
namespace {

// `split options raw prefix`; the segment files it wrote, in order.
std::vector<std::string> Split(const std::string& raw, const std::string& prefix,
                               const std::string& options) {
  std::vector<std::string> segments;
  if (!test::RunTool("split " + options + " " + test::ShellQuote(raw) + " " +
                     test::ShellQuote(prefix))) {
    return segments;
  }
  const std::filesystem::path p(prefix);
  for (const auto& e : std::filesystem::directory_iterator(p.parent_path())) {
    const std::string name = e.path().filename().string();
    if (name.rfind(p.filename().string(), 0) == 0) segments.push_back(e.path().string());
  }
  std::sort(segments.begin(), segments.end());
  return segments;
}

struct Naming {
  const char* what;
  const char* options;  // split's, besides the size
  const char* first;    // the first segment's suffix
};

class SplitRaw : public testing::TestWithParam<Naming> {};

// Every disk split in three (a size that does not divide into sectors, so that
// reads cross the segments' ends) and the chain disk in 17 pieces of 1000000
// bytes: each set reads as the joined file.
TEST_P(SplitRaw, SetReportsAsTheJoinedFile) {
  const Naming& n = GetParam();
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  std::filesystem::create_directory(dir.File("split"));
  std::vector<std::string> raw;
  std::vector<std::string> split;
  for (const test::RawDisk& d : test::MakeRawDisks(dir)) {
    const std::string prefix = dir.File("split/" + d.name + ".");
    const std::string size = d.name == "mbr-chain.img" ? "-b 1000000" : "-n 3";
    const std::vector<std::string> segments = Split(d.path, prefix, size + " " + n.options);
    ASSERT_GE(segments.size(), 3u) << d.name;
    ASSERT_EQ(segments.front(), prefix + n.first);
    raw.push_back(test::Entry(d.path, d.sectorSize));
    split.push_back(test::Entry(segments.front(), d.sectorSize));
  }
  ASSERT_EQ(raw.size(), 7u);
  const auto before = test::StampAll(dir.File("split"));
  test::ExpectSameReports(test::JoinDisks(raw), test::JoinDisks(split));
  const test::ProgramRun json = test::RunDisklens(test::JoinDisks(split), {"--json"});
  EXPECT_EQ(json.exitCode, 0);
  EXPECT_EQ(json.err, "");
  EXPECT_EQ(test::StampAll(dir.File("split")), before);
}

INSTANTIATE_TEST_SUITE_P(Namings, SplitRaw,
                         testing::Values(Naming{"From001", "-d -a 3 --numeric-suffixes=1", "001"},
                                         Naming{"From000", "-d -a 3", "000"},
                                         Naming{"TwoDigits", "-d", "00"},
                                         Naming{"Letters", "", "aa"}),
                         [](const testing::TestParamInfo<Naming>& p) {
                           return std::string(p.param.what);
                         });

// The GPT test image split in three as x.001 to x.003, and the sample disk 1
// to report after it.
struct SplitGpt {
  test::TempDir dir;
  std::string raw;
  std::string next;
  std::vector<std::string> segments;
};

void MakeSplitGpt(SplitGpt& s) {
  ASSERT_TRUE(s.dir.Ok());
  for (const test::RawDisk& d : test::MakeRawDisks(s.dir)) {
    if (d.name == "gpt.img") s.raw = d.path;
    if (d.name == "disk1.img") s.next = d.path;
  }
  ASSERT_FALSE(s.raw.empty());
  ASSERT_FALSE(s.next.empty());
  std::filesystem::create_directory(s.dir.File("set"));
  s.segments = Split(s.raw, s.dir.File("set/x."), "-n 3 -d -a 3 --numeric-suffixes=1");
  ASSERT_EQ(s.segments.size(), 3u);
}

TEST(SplitRawSegments, LaterSegmentIsRefusedWithTheFirstsName) {
  SplitGpt s;
  MakeSplitGpt(s);
  const test::ProgramRun alone = test::RunDisklens(":" + s.next);
  for (const std::string& later : {s.segments[1], s.segments[2]}) {
    const test::ProgramRun run = test::RunDisklens(later + ":" + s.next);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, alone.out) << later;
    EXPECT_EQ(run.err, "disklens: HD0: " + later +
                           ": a later segment of a split raw image: name its first segment, " +
                           s.segments[0] + "\n");
  }
  // A set counted from .000 makes .001 a later segment too.
  std::filesystem::copy_file(s.segments[0], s.dir.File("set/x.000"));
  const test::ProgramRun run = test::RunDisklens(s.segments[0] + ":" + s.next);
  EXPECT_EQ(run.out, alone.out);
  EXPECT_EQ(run.err, "disklens: HD0: " + s.segments[0] +
                         ": a later segment of a split raw image: name its first segment, " +
                         s.dir.File("set/x.000") + "\n");
}

// A set of more segments than the run may open files at once.
TEST(SplitRawSegments, ManySegmentsReadWithFewFileDescriptors) {
  SplitGpt s;
  MakeSplitGpt(s);
  std::filesystem::create_directory(s.dir.File("many"));
  const std::vector<std::string> segments =
      Split(s.raw, s.dir.File("many/g."), "-n 1100 -d -a 4 --numeric-suffixes=1");
  ASSERT_EQ(segments.size(), 1100u);
  const test::ProgramRun run =
      test::RunDisklens(segments[0], {}, DISKLENS_BINARY, "ulimit -n 200;");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, test::RunDisklens(s.raw).out);
}

TEST(SplitRawSegments, LoneFirstSegmentIsAnOrdinaryRawFile) {
  SplitGpt s;
  MakeSplitGpt(s);
  for (const char* name : {"lone.001", "lone.000", "lone.aa"}) {
    const std::string lone = s.dir.File(name);
    std::filesystem::copy_file(s.raw, lone);
    const test::ProgramRun run = test::RunDisklens(lone + ":" + s.next);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "") << name;
    EXPECT_EQ(run.out, test::RunDisklens(s.raw + ":" + s.next).out) << name;
    std::filesystem::remove(lone);
  }
  // Without its second segment the first is a lone file again: its first
  // third, as before sets were read.
  const test::ProgramRun whole = test::RunDisklens(s.segments[0]);
  EXPECT_EQ(whole.out, test::RunDisklens(s.raw).out);
  std::filesystem::remove(s.segments[1]);
  const test::ProgramRun lone = test::RunDisklens(s.segments[0]);
  EXPECT_EQ(lone.exitCode, 0);
  EXPECT_EQ(lone.err, "");
  EXPECT_NE(lone.out, whole.out);
  const std::string third = s.dir.File("third.img");
  std::filesystem::copy_file(s.segments[0], third);
  EXPECT_EQ(lone.out, test::RunDisklens(third).out);
}

struct NotAFile {
  const char* what;
  const char* name;    // in the set's folder
  bool fifo;           // a FIFO, else a folder
  const char* reason;  // after the first segment's entry
};

class SplitRawNotAFile : public testing::TestWithParam<NotAFile> {};

// In place of a segment or of the information file libsmraw reads beside the
// first: refused by name, at once, the next disk reported.
TEST_P(SplitRawNotAFile, IsRefusedWithoutAWait) {
  const NotAFile& c = GetParam();
  SplitGpt s;
  MakeSplitGpt(s);
  const std::string odd = s.dir.File(std::string("set/") + c.name);
  std::filesystem::remove(odd);
  if (c.fifo) {
    ASSERT_EQ(::mkfifo(odd.c_str(), 0600), 0);
  } else {
    std::filesystem::create_directory(odd);
  }
  // `timeout` ends a run that waits on the FIFO, with exit code 124.
  const test::ProgramRun run =
      test::RunDisklens(s.segments[0] + ":" + s.next, {}, DISKLENS_BINARY, "timeout 60 env");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, test::RunDisklens(":" + s.next).out);
  EXPECT_EQ(run.err,
            "disklens: HD0: " + s.segments[0] + ": " + c.reason + " " + odd + ": " +
                (std::string(c.name) == "x.raw.info" ? "not a regular file"
                                                     : "not a disk image or block device") +
                "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SplitRawNotAFile,
    testing::Values(NotAFile{"FifoSegment", "x.002", true, "segment"},
                    NotAFile{"FolderSegment", "x.003", false, "segment"},
                    NotAFile{"FifoInformationFile", "x.raw.info", true, "information file"}),
    [](const testing::TestParamInfo<NotAFile>& p) { return std::string(p.param.what); });

TEST(SplitRawSegments, VerboseGivesCountSizeAndSegments) {
  SplitGpt s;
  MakeSplitGpt(s);
  const test::ProgramRun plain = test::RunDisklens(s.segments[0]);
  const test::ProgramRun run = test::RunDisklens(s.segments[0], {"--verbose"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, plain.out);
  const std::string bytes = std::to_string(std::filesystem::file_size(s.raw));
  EXPECT_EQ(test::WithoutConfinementLine(run.err),
            "disklens: image formats read: raw, split raw sets, VHD, VHDX, VMDK, qcow, "
            "qcow2, EWF; named and refused: VirtualBox VDI, Parallels, QED, Apple UDIF, "
            "Bochs, cloop, AFF\ndisklens: HD0 = " +
                s.segments[0] + " (a split raw image of 3 segments, 512-byte sectors, " + bytes +
                " bytes)\ndisklens: HD0 also reads " + s.segments[1] +
                " (segment)\ndisklens: HD0 also reads " + s.segments[2] + " (segment)\n");
  // An information file beside the set is read too, and named.
  const std::string info = s.dir.File("set/x.raw.info");
  std::ofstream(info) << "\n";
  const test::ProgramRun withInfo = test::RunDisklens(s.segments[0], {"--verbose"});
  EXPECT_EQ(withInfo.out, plain.out);
  EXPECT_EQ(test::WithoutConfinementLine(withInfo.err), test::WithoutConfinementLine(run.err) +
                                                            "disklens: HD0 also reads " + info +
                                                            " (information file)\n");
}

// A container named like a segment stays a container, and a raw file behind
// it is read alone.
TEST(SplitRawSegments, ContainerFirstSegmentMakesNoSet) {
  DISKLENS_NEED_TOOL("qemu-img");
  SplitGpt s;
  MakeSplitGpt(s);
  const std::string qcow = s.dir.File("q.001");
  ASSERT_TRUE(test::QemuConvert(s.raw, qcow, "qcow2", ""));
  const std::string middle = s.dir.File("middle.img");
  std::filesystem::copy_file(s.segments[1], middle);
  std::filesystem::copy_file(s.segments[1], s.dir.File("q.002"));
  const test::ProgramRun first = test::RunDisklens(qcow);
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(first.err, "");
  EXPECT_EQ(first.out, test::RunDisklens(s.raw).out);
  const test::ProgramRun second = test::RunDisklens(s.dir.File("q.002"));
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(second.out, test::RunDisklens(middle).out);
}

}  // namespace
}  // namespace disklens
