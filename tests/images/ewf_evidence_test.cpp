// EWF evidence checks itself: a chunk whose checksum fails is an unreadable
// sector, named with its sector range; a later segment named alone is refused
// naming the first; a FIFO among the segments is refused, never waited on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "images/container_images.h"
#include "support/image_file.h"

namespace disklens {
namespace {

struct Evidence {
  test::TempDir dir;
  std::vector<test::RawDisk> disks;
  Evidence() { disks = test::MakeRawDisks(dir); }
  const std::string& Gpt() const { return disks[2].path; }
  const std::string& Chain() const { return disks[0].path; }
};

// Runs `list` within a time limit, so that a wait fails instead of hanging.
test::ProgramRun RunBounded(const std::string& list, const std::vector<std::string>& args = {}) {
  return test::RunDisklens(list, args, DISKLENS_BINARY, "timeout 20 env");
}

TEST(EwfEvidence, LaterSegmentNamedAloneIsRefusedNamingTheFirst) {
  DISKLENS_NEED_TOOL("ewfacquire");
  Evidence e;
  ASSERT_GE(e.disks.size(), 3u);
  const std::string first = test::EwfAcquire(e.Chain(), e.dir.File("chain"), "-S 1MiB");
  ASSERT_FALSE(first.empty());
  const std::string second = e.dir.File("chain.E02");
  ASSERT_TRUE(std::filesystem::exists(second));
  const test::ProgramRun run = RunBounded(second + ":" + e.Gpt());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "disklens: HD0: " + second +
                         ": segment 2 of an EWF image: name its first segment (chain.E01)\n");
  EXPECT_EQ(run.out, test::RunDisklens(":" + e.Gpt()).out);

  // The first names the set; --verbose lists every other segment read.
  const test::ProgramRun verbose = RunBounded(first, {"--verbose"});
  EXPECT_NE(verbose.err.find("disklens: HD0 also reads " + second + " (segment)\n"),
            std::string::npos)
      << verbose.err;
}

TEST(EwfEvidence, FifoNamedLikeTheNextSegmentIsRefusedWithoutWaiting) {
  DISKLENS_NEED_TOOL("ewfacquire");
  Evidence e;
  ASSERT_GE(e.disks.size(), 3u);
  const std::string first = test::EwfAcquire(e.Gpt(), e.dir.File("gpt"), "");
  ASSERT_FALSE(first.empty());
  const std::string fifo = e.dir.File("gpt.E02");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const test::ProgramRun run = RunBounded(first + ":" + e.Gpt());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "disklens: HD0: " + first + ": segment " + fifo +
                         ": not a disk image or block device\n");
  EXPECT_NE(run.out.find("GPT Found (HD1)"), std::string::npos);
}

// Flipped bytes inside the first chunk's data (stored uncompressed, so found
// by the GPT header's signature): ewfverify fails the image, and every read
// that touches the chunk fails too, once said.
TEST(EwfEvidence, ChunkThatFailsItsChecksumIsAnUnreadableSector) {
  DISKLENS_NEED_TOOL("ewfacquire");
  DISKLENS_NEED_TOOL("ewfverify");
  Evidence e;
  ASSERT_GE(e.disks.size(), 3u);
  const std::string clean = test::EwfAcquire(e.Gpt(), e.dir.File("clean"), "-c none");
  ASSERT_FALSE(clean.empty());
  const std::vector<std::uint8_t> bytes = test::ReadFileBytes(clean);
  const std::string signature = "EFI PART";
  const auto at = std::search(bytes.begin(), bytes.end(), signature.begin(), signature.end());
  ASSERT_NE(at, bytes.end());
  const auto header = static_cast<std::uint64_t>(at - bytes.begin());
  const test::ProgramRun raw = test::RunDisklens(e.Gpt());
  ASSERT_NE(raw.out.find("GPT Found (HD0)"), std::string::npos);
  // The MBR's signature bytes, the GPT header's revision, a byte of its entries.
  for (const std::uint64_t offset : {header - 2, header + 8, header + 512 + 40}) {
    const std::string damaged = e.dir.File("damaged.E01");
    std::filesystem::copy_file(clean, damaged, std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(test::WriteAt(damaged, offset, {static_cast<std::uint8_t>(~bytes[offset] & 0xFF)}));
    EXPECT_FALSE(test::RunTool("ewfverify -q " + test::ShellQuote(damaged) + " >/dev/null 2>&1"))
        << "ewfverify accepts the damage at " << offset;
    const test::ProgramRun run = RunBounded(damaged + ":" + e.Gpt());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.find("GPT Found (HD0)"), std::string::npos) << offset;
    // The MBR section keeps its own rule for an unreadable sector 0: the
    // table of an empty buffer, never the damaged bytes.
    EXPECT_NE(run.out.find("| 0: |  0 |    0   0  0 |  0 |"), std::string::npos) << offset;
    EXPECT_NE(run.out.find("GPT Found (HD1)"), std::string::npos);
    EXPECT_EQ(run.err.rfind("disklens: HD0: " + damaged + ": libewf: sectors 0 to ", 0), 0u)
        << run.err;
    EXPECT_NE(run.err.find(" fail their checksum: the image is damaged there"), std::string::npos);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

}  // namespace
}  // namespace disklens
