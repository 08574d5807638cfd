// The cause of a library's failure as one line, and where a child's parent is found.
#include "platform/containers/library_message.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/containers/parent_file.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

TEST(LibraryMessage, FirstLineOfTheBacktraceWithoutItsFunction) {
  EXPECT_EQ(LibraryMessage("libqcow",
                           "libqcow_file_header_read_data: unsupported format version: 7.\n"
                           "libqcow_file_open: unable to open file: a.qcow2.",
                           "x"),
            "libqcow: unsupported format version: 7");
  // A line that does not start with a function name is kept whole.
  EXPECT_EQ(LibraryMessage("libewf", "bad segment: 2.", "x"), "libewf: bad segment: 2");
  EXPECT_EQ(LibraryMessage("libvmdk", "", "unable to open the file"),
            "libvmdk: unable to open the file");
  EXPECT_EQ(LibraryMessage("libvhdi", nullptr, "out of memory"), "libvhdi: out of memory");
}

TEST(ParentFile, RecordedNameBesideTheChildOrItsLastComponent) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string base = dir.File("base.vhdx");
  { std::ofstream(base) << "x"; }
  const std::string child = dir.File("child.vhdx");
  EXPECT_EQ(FindParentFile(child, "base.vhdx"), base);
  EXPECT_EQ(FindParentFile(child, base), base);
  EXPECT_EQ(FindParentFile(child, "C:\\VMs\\base.vhdx"), base);
  EXPECT_EQ(FindParentFile(child, "/elsewhere/base.vhdx"), base);
  EXPECT_EQ(FindParentFile(child, "missing.vhdx"), "");
  EXPECT_EQ(FindParentFile(child, ""), "");
  EXPECT_EQ(FindParentFile(child, "C:\\VMs\\"), "");
}

TEST(ParentFile, ALibrarysNameEndsAtItsFirstNulOrKeepsAllWithoutOne) {
  std::string terminated("base.qcow2\0\0", 12);
  CutAtNul(terminated);
  EXPECT_EQ(terminated, "base.qcow2");
  std::string whole = "base.qcow2";  // no NUL in the size the library gave
  CutAtNul(whole);
  EXPECT_EQ(whole, "base.qcow2");
}

// A container that reads nothing: the parent's path, and what it lists.
class PathSource : public ImageSource {
 public:
  explicit PathSource(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }
  std::uint64_t MediaSize() const override { return 0; }
  std::uint32_t RecordedSectorSize() const override { return 0; }
  bool ReadAt(std::uint64_t, void*, std::size_t, std::size_t& done, std::string&) override {
    done = 0;
    return true;
  }

 private:
  std::string path_;
};

TEST(ParentFile, OpenParentOneLevelDeeperOrSaysWhyNotInTheFormatsWords) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string base = dir.File("base.qcow2");
  { std::ofstream(base) << "x"; }
  const std::string child = dir.File("child.qcow2");
  PathSource childSource(child);
  const ParentWords words{"backing file", " not found beside the image", "backing files"};
  std::vector<int> depths;
  bool fail = false;
  const auto open = [&](const std::string& path, int depth,
                        std::string& error) -> std::unique_ptr<PathSource> {
    depths.push_back(depth);
    if (fail) {
      error = "libqcow: unsupported format version: 7";
      return nullptr;
    }
    auto parent = std::make_unique<PathSource>(path);
    parent->AddCompanion("extent", path + ".extent");
    return parent;
  };
  std::string error;
  const auto parent = OpenParent(childSource, child, "C:\\VMs\\base.qcow2", 3, words, open, error);
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->Path(), base);
  EXPECT_EQ(error, "");
  // The child lists its parent, then the parent's own files.
  ASSERT_EQ(childSource.Companions().size(), 2u);
  EXPECT_EQ(childSource.Companions()[0].role, "backing file");
  EXPECT_EQ(childSource.Companions()[0].path, base);
  EXPECT_EQ(childSource.Companions()[1].path, base + ".extent");
  EXPECT_NE(OpenParent(childSource, child, "base.qcow2", kMaxParentDepth - 1, words, open, error),
            nullptr);
  EXPECT_EQ(depths, (std::vector<int>{4, kMaxParentDepth}));

  EXPECT_EQ(OpenParent(childSource, child, "gone.qcow2", 0, words, open, error), nullptr);
  EXPECT_EQ(error, "backing file \"gone.qcow2\" not found beside the image");
  EXPECT_EQ(OpenParent(childSource, child, "base.qcow2", kMaxParentDepth, words, open, error),
            nullptr);
  EXPECT_EQ(error, "more than 16 backing files (a loop?)");
  EXPECT_EQ(depths.size(), 2u) << "opened although missing or too deep";

  fail = true;
  EXPECT_EQ(OpenParent(childSource, child, "base.qcow2", 0, words, open, error), nullptr);
  EXPECT_EQ(error, "backing file " + base + ": libqcow: unsupported format version: 7");

  const ParentWords vhd{"parent", " of the differencing image not found beside it",
                        "parent images"};
  EXPECT_EQ(OpenParent(childSource, child, "gone.vhd", 0, vhd, open, error), nullptr);
  EXPECT_EQ(error, "parent \"gone.vhd\" of the differencing image not found beside it");
  EXPECT_EQ(OpenParent(childSource, child, "base.qcow2", kMaxParentDepth, vhd, open, error),
            nullptr);
  EXPECT_EQ(error, "more than 16 parent images (a loop?)");
}

}  // namespace
}  // namespace disklens
