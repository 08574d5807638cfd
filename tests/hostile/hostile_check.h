// Runs a hostile image every way a test needs: through the in-memory platform
// (twice, over buffers of different markers, with the read-only log checked)
// and, when no sector is made to fail, through the built program over the
// image as a read-only file in a read-only directory, watched with inotify.
#pragma once

#if !defined(_WIN32)
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hostile/hostile_images.h"
#include "app/driver.h"
#include "support/marked_pass.h"
#include "support/temp_dir.h"
#if !defined(_WIN32)
#include "support/program_runner.h"
#endif

namespace disklens::test::hostile {

// What the program prints ahead of the first disk, the run date masked.
inline std::string Banner() {
  return std::string("\nDISKLENS 1.15\n") + kNotice + "\n\nRun date: <date>\n";
}

// Equality of two reports; a mismatch names the first line that differs.
inline ::testing::AssertionResult SameReport(const std::string& actual,
                                             const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto at = static_cast<std::size_t>(
      std::mismatch(actual.begin(), actual.begin() + static_cast<std::ptrdiff_t>(
                                                         std::min(actual.size(), expected.size())),
                    expected.begin())
          .first -
      actual.begin());
  const std::size_t line = static_cast<std::size_t>(
      std::count(actual.begin(), actual.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
  auto lineAt = [at](const std::string& s) {
    const std::size_t begin = s.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = begin == std::string::npos ? 0 : begin + 1;
    return s.substr(from, s.find('\n', from) - from);
  };
  auto result = ::testing::AssertionFailure()
                << "reports differ at line " << line + 1 << " (byte " << at << ")\n  expected: ["
                << lineAt(expected) << "]\n  actual:   [" << lineAt(actual) << "]";
  if (actual.size() + expected.size() < 20000) {
    result << "\n--- expected ---" << expected << "\n--- actual ---" << actual;
  }
  return result;
}

#if !defined(_WIN32)
// Opens and closes of the files of one directory, as inotify reports them.
class DirectoryWatch {
 public:
  explicit DirectoryWatch(const std::string& dir) : fd_(inotify_init1(IN_NONBLOCK)) {
    if (fd_ >= 0) {
      inotify_add_watch(fd_, dir.c_str(),
                        IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY | IN_ATTRIB);
    }
  }
  ~DirectoryWatch() {
    if (fd_ >= 0) close(fd_);
  }
  DirectoryWatch(const DirectoryWatch&) = delete;
  DirectoryWatch& operator=(const DirectoryWatch&) = delete;
  bool Ok() const { return fd_ >= 0; }

  // Every event on `name` since the watch began, as its mask.
  std::vector<std::uint32_t> Events(const std::string& name) {
    alignas(inotify_event) char buffer[8192];
    for (;;) {
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      for (ssize_t i = 0; i < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + i);
        if (e->len != 0) seen_[e->name].push_back(e->mask);
        i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
    return seen_[name];
  }

 private:
  int fd_;
  std::map<std::string, std::vector<std::uint32_t>> seen_;
};

inline std::string DiskList(const std::string& path, std::uint32_t sectorSize) {
  return sectorSize == 512 ? path : path + "@" + std::to_string(sectorSize);
}

// The built program over `image` as a 0444 file in a 0555 directory.
inline void ExpectProgramReport(const HostileImage& image, const std::string& expected,
                                bool allOption) {
  TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string name = image.name + ".img";
  const std::string path = dir.Write(name, image.bytes);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
  DirectoryWatch watch(dir.Path());
  ASSERT_TRUE(watch.Ok());

  const ProgramRun run = RunDisklens(DiskList(path, image.sectorSize),
                                     allOption ? std::vector<std::string>{"/all"}
                                               : std::vector<std::string>{});
  EXPECT_EQ(run.exitCode, 0) << image.name;
  EXPECT_EQ(run.err, "") << image.name;  // a sanitizer report would land here
  EXPECT_TRUE(SameReport(run.out, Banner() + expected)) << image.name;
  EXPECT_EQ(ReadFileBytes(path), image.bytes) << image.name << ": the image changed";

  // The file was opened, and every open of it closed without write access
  // (inotify tells the two closes apart by the open mode, so this holds for
  // root too, whom the permissions would not stop).
  const std::vector<std::uint32_t> events = watch.Events(name);
  const auto count = [&](std::uint32_t mask) {
    return std::count_if(events.begin(), events.end(),
                         [mask](std::uint32_t m) { return (m & mask) != 0; });
  };
  EXPECT_GE(count(IN_OPEN), 1) << image.name;
  EXPECT_GE(count(IN_CLOSE_NOWRITE), 1) << image.name;
  EXPECT_EQ(count(IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB), 0) << image.name;
}

#endif  // !_WIN32

// The report of `image`'s disk, with and (when no sector fails) without the
// in-memory platform. `expected` is the pass's own text, without the banner.
inline void ExpectReport(const HostileImage& image, const std::string& expected,
                         bool allOption = false) {
  PassSetup setup;
  setup.bytes = image.bytes;
  setup.sectorSize = image.sectorSize;
  setup.failingLbas = image.failingLbas;
  setup.allOption = allOption;
  const PassResult pass = RunPassTwice(setup);
  EXPECT_TRUE(SameReport(pass.text, expected)) << image.name;
  EXPECT_EQ(pass.violations, std::vector<std::string>{}) << image.name;
  // The same disk as --json: one valid value, however hostile the disk, and
  // nothing in it that the pass did not read.
  setup.json = true;
  EXPECT_EQ(RunPassTwice(setup).violations, std::vector<std::string>{}) << image.name << " --json";
#if !defined(_WIN32)
  if (image.failingLbas.empty()) ExpectProgramReport(image, expected, allOption);
#endif
}

}  // namespace disklens::test::hostile
