// Disks that could not be opened for lack of rights. The machine's own: one
// line at the end of the run, counted once each, in a fake /sys/block whose
// device nodes are files of mode 000; a DISKLENS_DISKS entry: its own line.
// Run as a user without rights: a root test drops to "nobody" in a child.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix_disks.h"
#include "platform/posix_platform.h"
#include "app/driver.h"
#include "support/temp_dir.h"

namespace disklens {
namespace {

struct ChildRun {
  int exitCode = -1;
  std::string err;
};

// Runs the whole program in a child process without rights, on `disks`;
// stderr lands in `errPath`.
ChildRun RunProgramWithoutRights(const std::vector<DiskSource>& disks, const std::string& errPath) {
  const passwd* nobody = getpwnam("nobody");
  const pid_t child = fork();
  if (child == 0) {
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = open("/dev/null", O_WRONLY);
    if (err < 0 || null < 0 || dup2(err, 2) < 0 || dup2(null, 1) < 0) _exit(100);
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                           setuid(nobody->pw_uid) != 0)) {
      _exit(101);
    }
    PosixPlatform platform(disks, false);
    SetPlatform(&platform);
    const char* argv[] = {"disklens"};
    const int code = RunProgram(1, argv, nullptr);
    SetPlatform(nullptr);
    _exit(code);
  }
  ChildRun run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  std::ifstream in(errPath);
  run.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return run;
}

// The whole program without rights on the disks of a fake tree: /sys/block
// names `names`, /dev holds them, `locked` with mode 000.
ChildRun RunWithoutRights(const test::TempDir& dir, const std::vector<std::string>& names,
                          const std::vector<std::string>& locked) {
  namespace fs = std::filesystem;
  const fs::path sys = fs::path(dir.Path()) / "sys-block";
  const fs::path dev = fs::path(dir.Path()) / "dev";
  fs::create_directories(dev);
  for (const std::string& name : names) {
    fs::create_directories(sys / name);
    std::ofstream(dev / name, std::ios::binary) << std::string(4096, '\0');
    chmod((dev / name).c_str(), 0644);
  }
  for (const std::string& name : locked) chmod((dev / name).c_str(), 0);
  for (const fs::path& p : {fs::path(dir.Path()), sys, dev}) chmod(p.c_str(), 0755);
  return RunProgramWithoutRights(ListSystemDisks(sys.string(), dev.string()),
                                 dir.File("stderr.txt"));
}

class UnopenedSystemDisks : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() == 0 && getpwnam("nobody") == nullptr) {
      GTEST_SKIP() << "running as root and no user \"nobody\" to drop to";
    }
    ASSERT_TRUE(dir_.Ok());
  }
  test::TempDir dir_;
};

TEST_F(UnopenedSystemDisks, CountedInOneLineAtTheEnd) {
  const ChildRun run = RunWithoutRights(dir_, {"sda", "sdb", "sdc", "nvme0n1"}, {"sda", "sdc", "nvme0n1"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "disklens: 3 disks could not be opened (Permission denied): run as root or as a "
            "member of group \"disk\"\n");
}

TEST_F(UnopenedSystemDisks, OneDiskInTheSingular) {
  const ChildRun run = RunWithoutRights(dir_, {"sda", "sdb"}, {"sdb"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "disklens: 1 disk could not be opened (Permission denied): run as root or as a "
            "member of group \"disk\"\n");
}

TEST_F(UnopenedSystemDisks, NothingSaidWhenEveryDiskOpens) {
  const ChildRun run = RunWithoutRights(dir_, {"sda", "sdb"}, {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
}

// A DISKLENS_DISKS entry refused for lack of rights is named with the
// system's reason, and not counted with the machine's disks.
TEST_F(UnopenedSystemDisks, AnEntryRefusedIsNamedNotCounted) {
  const std::string locked = dir_.File("locked.img");
  std::ofstream(locked, std::ios::binary) << std::string(4096, '\0');
  chmod(locked.c_str(), 0);
  chmod(dir_.Path().c_str(), 0755);
  const ChildRun run =
      RunProgramWithoutRights(ParseDiskList(":" + locked), dir_.File("stderr.txt"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "disklens: HD1: " + locked + ": Permission denied\n");
}

}  // namespace
}  // namespace disklens
