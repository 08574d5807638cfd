// The confinement, entered by a child of the test: every write, new program,
// process or socket is refused with EPERM and leaves the disk image as it
// was, reads of the disk and a library loaded late still work, and Landlock
// (where the kernel has it) refuses reads outside the folders given.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/posix_confinement.h"
#include "support/temp_dir.h"
#include "syscall_filter.h"

namespace disklens {
namespace {

// What the confined child saw, in memory shared with the test.
struct Outcome {
  char name[48];
  int result;  // the call's return value (a pointer call: 0 or 1)
  int error;   // errno after it
};
struct Shared {
  int seccompError;
  int landlockAbi;
  int count;
  Outcome outcomes[40];
};

void Note(Shared& s, const char* name, long result) {
  Outcome& o = s.outcomes[s.count++];
  std::strncpy(o.name, name, sizeof o.name - 1);
  o.result = static_cast<int>(result);
  o.error = result < 0 ? errno : 0;
}

// The confined child's attempts. Nothing it does may write anywhere but into
// `s`, which was mapped before the confinement.
void TryEverything(Shared& s, const std::string& dir, const std::string& disk,
                   const std::string& outside) {
  const std::string fresh = dir + "/fresh.txt";
  Note(s, "open O_WRONLY|O_CREAT", ::open(fresh.c_str(), O_WRONLY | O_CREAT, 0644));
  Note(s, "open O_RDWR", ::open(disk.c_str(), O_RDWR));
  Note(s, "open O_RDONLY|O_TRUNC", ::open(disk.c_str(), O_RDONLY | O_TRUNC));
  Note(s, "creat", ::creat(fresh.c_str(), 0644));
  int pipeFds[2] = {-1, -1};
  Note(s, "pipe (allowed)", ::pipe(pipeFds));
  Note(s, "write to a fresh descriptor", ::write(pipeFds[1], "x", 1));
  Note(s, "write to standard input", ::write(0, "x", 1));
  const int fd = ::open(disk.c_str(), O_RDONLY | O_CLOEXEC);
  Note(s, "open O_RDONLY (allowed)", fd);
  char sector[512];
  Note(s, "pread (allowed)", ::pread(fd, sector, sizeof sector, 0));
  Note(s, "pwrite to the disk opened read-only", ::pwrite(fd, sector, sizeof sector, 0));
  Note(s, "ftruncate", ::ftruncate(fd, 0));
  Note(s, "dup2 onto standard output", ::dup2(fd, 1));
  int requested = 0;
  Note(s, "ioctl FIONREAD", ::ioctl(fd, FIONREAD, &requested));
  Note(s, "ioctl BLKSSZGET (allowed: ENOTTY on a file)", ::ioctl(fd, BLKSSZGET, &requested));
  unsigned physical = 0;
  Note(s, "ioctl BLKPBSZGET (allowed: ENOTTY on a file)", ::ioctl(fd, BLKPBSZGET, &physical));
  Note(s, "truncate", ::truncate(disk.c_str(), 0));
  Note(s, "unlink", ::unlink(disk.c_str()));
  Note(s, "rename", ::rename(disk.c_str(), fresh.c_str()));
  Note(s, "chmod", ::chmod(disk.c_str(), 0777));
  Note(s, "mkdir", ::mkdir((dir + "/sub").c_str(), 0755));
  Note(s, "symlink", ::symlink(disk.c_str(), fresh.c_str()));
  char* const argv[] = {const_cast<char*>("/bin/true"), nullptr};
  Note(s, "execve", ::execve("/bin/true", argv, environ));
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);  // only if the fork was let through
  if (child > 0) ::waitpid(child, nullptr, 0);
  Note(s, "fork", child);
  Note(s, "socket AF_INET", ::socket(AF_INET, SOCK_STREAM, 0));
  Note(s, "socket AF_UNIX", ::socket(AF_UNIX, SOCK_STREAM, 0));
  Note(s, "setuid", ::setuid(0));
  Note(s, "kill another process", ::kill(1, 0));
  Note(s, "kill itself (allowed)", ::kill(::getpid(), 0));
  // A library that the process had not loaded, loaded now as the container
  // libraries will be.
  void* library = ::dlopen("libseccomp.so.2", RTLD_NOW | RTLD_LOCAL);
  Note(s, "dlopen libseccomp.so.2 (allowed)",
       library != nullptr && ::dlsym(library, "seccomp_version") != nullptr ? 0 : -1);
  Note(s, "open outside the folders", ::open(outside.c_str(), O_RDONLY | O_CLOEXEC));
}

Shared RunConfined(const std::vector<std::string>& readable, const std::string& dir,
                   const std::string& disk, const std::string& outside) {
  void* const map =
      ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  EXPECT_NE(map, MAP_FAILED);
  if (map == MAP_FAILED) return Shared{};
  auto* shared = new (map) Shared{};
  const pid_t child = ::fork();
  if (child == 0) {
    ::unsetenv("DISKLENS_NO_SANDBOX");
    const Confinement c = Confine(readable);
    shared->seccompError = c.seccompError;
    shared->landlockAbi = c.landlockAbi;
    if (c.seccompError == 0) TryEverything(*shared, dir, disk, outside);
    ::_exit(0);
  }
  int status = -1;
  EXPECT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  const Shared copy = *shared;
  ::munmap(map, sizeof(Shared));
  return copy;
}

TEST(Confinement, RefusesEveryChangeAndLetsTheReadsThrough) {
  test::TempDir dir;
  test::TempDir elsewhere;
  ASSERT_TRUE(dir.Ok() && elsewhere.Ok());
  std::vector<std::uint8_t> bytes(64 * 1024);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  const std::string disk = dir.Write("disk.img", bytes);
  const std::string outside = elsewhere.Write("secret.txt", {'s'});
  struct stat before {};
  ASSERT_EQ(::stat(disk.c_str(), &before), 0);

  const std::vector<DiskSource> disks = {{disk, 512, "disk.img"}};
  const Shared s = RunConfined(ReadableFolders(disks), dir.Path(), disk, outside);
  if (s.seccompError != 0) GTEST_SKIP() << "no seccomp here: " << std::strerror(s.seccompError);

  std::map<std::string, Outcome> seen;
  for (int i = 0; i < s.count; ++i) seen[s.outcomes[i].name] = s.outcomes[i];
  ASSERT_EQ(seen.size(), 30u);
  // The sanitizer builds let writes past standard error through: the pipe
  // takes its byte, and the disk opened read-only refuses the write itself.
  if (kSyscallFilterForSanitizer) {
    EXPECT_EQ(seen["write to a fresh descriptor"].result, 1);
    EXPECT_EQ(seen["pwrite to the disk opened read-only"].error, EBADF);
    seen.erase("write to a fresh descriptor");
    seen.erase("pwrite to the disk opened read-only");
  }
  for (const auto& [name, o] : seen) {
    if (name.find("(allowed") != std::string::npos) {
      if (name.find("ENOTTY") != std::string::npos) {
        EXPECT_EQ(o.error, ENOTTY) << name;
      } else {
        EXPECT_GE(o.result, 0) << name << ": " << std::strerror(o.error);
      }
    } else if (name == "open outside the folders") {
      // Landlock refuses it with EACCES; without Landlock it opens.
      if (s.landlockAbi != 0) {
        EXPECT_EQ(o.error, EACCES) << name;
      }
    } else {
      EXPECT_EQ(o.result, -1) << name;
      EXPECT_EQ(o.error, EPERM) << name << ": " << std::strerror(o.error);
    }
  }
  EXPECT_EQ(seen["pread (allowed)"].result, 512);

  // Nothing changed on disk.
  struct stat after {};
  ASSERT_EQ(::stat(disk.c_str(), &after), 0);
  EXPECT_EQ(after.st_size, before.st_size);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  std::ifstream in(disk, std::ios::binary);
  const std::vector<std::uint8_t> now((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
  EXPECT_EQ(now, bytes);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    names.push_back(e.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"disk.img"});
}

TEST(Confinement, OffWhenAskedFor) {
  void* const map =
      ::mmap(nullptr, sizeof(int) * 2, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(map, MAP_FAILED);
  int* const seen = static_cast<int*>(map);
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("DISKLENS_NO_SANDBOX", "1", 1);
    const Confinement c = Confine({});
    seen[0] = c.off ? 1 : 0;
    // Still free: a pipe's write end takes a byte.
    int fds[2];
    seen[1] = ::pipe(fds) == 0 && ::write(fds[1], "x", 1) == 1 ? 1 : 0;
    ::_exit(0);
  }
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  EXPECT_EQ(seen[0], 1);
  EXPECT_EQ(seen[1], 1);
  ::munmap(map, sizeof(int) * 2);
}

TEST(Confinement, ReadsBesideTheNamedDisksTheirLinkTargetsAndTheSystemDisks) {
  test::TempDir a;
  test::TempDir b;
  ASSERT_TRUE(a.Ok() && b.Ok());
  const std::string target = b.Write("real.img", std::vector<std::uint8_t>(512));
  std::filesystem::create_symlink(target, a.File("link.img"));
  const std::vector<DiskSource> disks = {
      {a.File("link.img"), 512, "link.img"},
      {"", 512},                                      // an absent disk
      {"/dev/sda", 512},                              // the machine's own
      {a.File("x.img@513"), 512, "x.img@513", "unknown sector size"},  // refused entry
  };
  const std::vector<std::string> folders = ReadableFolders(disks);
  const auto has = [&folders](const std::string& f) {
    return std::find(folders.begin(), folders.end(), f) != folders.end();
  };
  const std::string realA = std::filesystem::canonical(a.Path()).string();
  const std::string realB = std::filesystem::canonical(b.Path()).string();
  EXPECT_TRUE(has(a.Path()) || has(realA));
  EXPECT_TRUE(has(realB));
  EXPECT_TRUE(has("/dev"));
  EXPECT_TRUE(has("/sys/block"));
  for (const char* loader : {"/etc/ld.so.cache", "/lib", "/usr/lib", "/usr/local/lib"}) {
    EXPECT_TRUE(has(loader)) << loader;
  }
  // Each once.
  EXPECT_TRUE(std::adjacent_find(folders.begin(), folders.end()) == folders.end());
}

TEST(Confinement, DescribesWhatIsInForce) {
  EXPECT_EQ(DescribeConfinement({true, 0, 0, 0}),
            "disklens: confinement: off (DISKLENS_NO_SANDBOX is set)");
  EXPECT_EQ(DescribeConfinement({false, 0, 7, 0}),
            "disklens: confinement: seccomp on (no write but to standard output and error, no "
            "program, process or socket); Landlock 7 on (reads only beside the disks named and "
            "in the system's libraries)");
  EXPECT_EQ(DescribeConfinement({false, EINVAL, 0, EOPNOTSUPP}),
            "disklens: confinement: seccomp off (Invalid argument); Landlock off (Operation not "
            "supported)");
}

}  // namespace
}  // namespace disklens
