// The built program confines itself: --verbose says how, a running disklens
// shows no_new_privs and its seccomp filters in /proc/PID/status (looked at
// while it waits on a full pipe), and DISKLENS_NO_SANDBOX=1 turns it off.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/program_runner.h"

namespace disklens {
namespace {

const std::string kDisk0 = std::string(DISKLENS_SAMPLE_DIR) + "/disk0.img";

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

bool SeccompOn() {
  return FirstLine(test::RunDisklens(kDisk0, {"--verbose"}).err)
             .rfind("disklens: confinement: seccomp on", 0) == 0;
}

TEST(ConfinedProgram, VerboseSaysWhatIsConfinedAndTheReportStaysTheSame) {
  const test::ProgramRun quiet = test::RunDisklens(kDisk0);
  EXPECT_EQ(quiet.err, "");
  const test::ProgramRun verbose = test::RunDisklens(kDisk0, {"--verbose"});
  EXPECT_EQ(verbose.out, quiet.out);
  EXPECT_EQ(FirstLine(verbose.err).rfind("disklens: confinement: seccomp ", 0), 0u) << verbose.err;
  EXPECT_NE(FirstLine(verbose.err).find("; Landlock "), std::string::npos) << verbose.err;
  EXPECT_EQ(verbose.err.substr(verbose.err.find('\n') + 1),
            "disklens: HD0 = " + kDisk0 + " (512-byte sectors, 8388608 bytes)\n");

  const test::ProgramRun off =
      test::RunDisklens(kDisk0, {"--verbose"}, DISKLENS_BINARY, "DISKLENS_NO_SANDBOX=1");
  EXPECT_EQ(off.out, quiet.out);
  EXPECT_EQ(FirstLine(off.err), "disklens: confinement: off (DISKLENS_NO_SANDBOX is set)");
}

std::string Status(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Field(const std::string& status, const std::string& name) {
  const std::size_t at = status.find("\n" + name + ":\t");
  if (at == std::string::npos) return {};
  const std::size_t from = at + name.size() + 3;
  return status.substr(from, status.find('\n', from) - from);
}

TEST(ConfinedProgram, ProcStatusShowsNoNewPrivsAndTheFilters) {
  if (!SeccompOn()) GTEST_SKIP() << "no seccomp here";
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
  // The smallest pipe: the report's first piece fills it and the program waits.
  ::fcntl(fds[1], F_SETPIPE_SZ, 4096);
  const std::string disks = kDisk0 + ":" + kDisk0 + ":" + kDisk0;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::dup2(fds[1], 1) < 0) ::_exit(100);
    ::setenv("DISKLENS_DISKS", disks.c_str(), 1);
    ::unsetenv("DISKLENS_NO_SANDBOX");
    ::execl(DISKLENS_BINARY, DISKLENS_BINARY, "/all", static_cast<char*>(nullptr));
    ::_exit(101);
  }
  ASSERT_GT(child, 0);
  ::close(fds[1]);
  std::string status;
  for (int i = 0; i < 200 && Field(status, "Seccomp") != "2"; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    status = Status(child);
  }
  EXPECT_EQ(Field(status, "NoNewPrivs"), "1") << status;
  EXPECT_EQ(Field(status, "Seccomp"), "2") << status;  // SECCOMP_MODE_FILTER
  EXPECT_EQ(Field(status, "Seccomp_filters"), "1") << status;
  // Drained, the run ends well.
  char chunk[65536];
  std::size_t total = 0;
  for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) > 0;) total += static_cast<std::size_t>(n);
  ::close(fds[0]);
  int wait = -1;
  ASSERT_EQ(::waitpid(child, &wait, 0), child);
  EXPECT_TRUE(WIFEXITED(wait) && WEXITSTATUS(wait) == 0) << wait;
  EXPECT_GT(total, 4096u);
}

}  // namespace
}  // namespace disklens
