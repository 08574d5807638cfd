// The cause of a library's failure as one line, and where a child's parent is found.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/containers/library_message.h"
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

}  // namespace
}  // namespace disklens
