// Containers made by the field's own tools (qemu-img, ewfacquire) from the
// end-to-end images and the sample disks, and the check that the report read
// through them is the raw images' report, byte for byte after the run date.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gpt/run_tool.h"
#include "support/program_runner.h"
#include "support/temp_dir.h"

namespace disklens::test {

struct RawDisk {
  std::string name;        // file name without directory, ".img" included
  std::string path;
  std::uint32_t sectorSize;
};

// The end-to-end images and the two sample disks, written into `dir`.
inline std::vector<RawDisk> MakeRawDisks(const TempDir& dir) {
  std::vector<RawDisk> disks;
  if (!RunTool(ShellQuote(DISKLENS_MAKE_IMAGES) + " " + ShellQuote(dir.Path()))) return disks;
  for (const char* name : {"mbr-chain.img", "embr.img", "gpt.img", "truncated.img"}) {
    disks.push_back({name, dir.File(name), 512});
  }
  disks.push_back({"gpt-4k.img", dir.File("gpt-4k.img"), 4096});
  for (const char* name : {"disk0.img", "disk1.img"}) {
    std::error_code ec;
    std::filesystem::copy_file(std::string(DISKLENS_SAMPLE_DIR) + "/" + name, dir.File(name), ec);
    if (!ec) disks.push_back({name, dir.File(name), 512});
  }
  return disks;
}

// The entry of `path` in DISKLENS_DISKS, with "@4096" where the disk needs it.
inline std::string Entry(const std::string& path, std::uint32_t sectorSize) {
  return sectorSize == 512 ? path : path + "@" + std::to_string(sectorSize);
}

inline std::string JoinDisks(const std::vector<std::string>& entries) {
  std::string list;
  for (std::size_t i = 0; i < entries.size(); ++i) list += (i == 0 ? "" : ":") + entries[i];
  return list;
}

// `qemu-img convert -O format options raw out`; true when it succeeded.
inline bool QemuConvert(const std::string& raw, const std::string& out, const std::string& format,
                        const std::string& options) {
  return RunTool("qemu-img convert -f raw -O " + format + " " + options + " " + ShellQuote(raw) +
                 " " + ShellQuote(out))
      .has_value();
}

// `ewfacquire -u` of `raw` to `base`.E01 (and E02... with a segment size);
// the first segment's path, empty on failure.
inline std::string EwfAcquire(const std::string& raw, const std::string& base,
                              const std::string& options) {
  if (!RunTool("ewfacquire -u -q " + options + " -t " + ShellQuote(base) + " " + ShellQuote(raw) +
               " </dev/null >/dev/null")) {
    return {};
  }
  return base + ".E01";
}

// The reports of `rawList` and `containerList`, with and without /all, must be
// the same; the container run says nothing on stderr.
inline void ExpectSameReports(const std::string& rawList, const std::string& containerList) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"/all"}}) {
    const ProgramRun raw = RunDisklens(rawList, args);
    const ProgramRun container = RunDisklens(containerList, args);
    EXPECT_EQ(raw.exitCode, 0);
    EXPECT_EQ(container.exitCode, 0);
    EXPECT_EQ(raw.err, "");
    EXPECT_EQ(container.err, "") << containerList;
    EXPECT_EQ(container.out, raw.out) << containerList;
    EXPECT_NE(raw.out.find("MBR Partition Information (HD0"), std::string::npos);
  }
}

// A file's bytes (as a CRC-32) and its modification time, to see that a run
// left it alone.
struct FileStamp {
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
  std::int64_t mtimeSeconds = 0;
  std::int64_t mtimeNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};

inline FileStamp Stamp(const std::string& path) {
  FileStamp s;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return s;
  s.size = static_cast<std::uint64_t>(st.st_size);
  s.mtimeSeconds = st.st_mtim.tv_sec;
  s.mtimeNanoseconds = st.st_mtim.tv_nsec;
  std::ifstream in(path, std::ios::binary);
  std::vector<char> chunk(1 << 16);
  uLong crc = crc32(0L, Z_NULL, 0);
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(in.gcount()));
  }
  s.crc = static_cast<std::uint32_t>(crc);
  return s;
}

// Stamps of every file in `dir`.
inline std::vector<std::pair<std::string, FileStamp>> StampAll(const std::string& dir) {
  std::vector<std::pair<std::string, FileStamp>> stamps;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    stamps.emplace_back(e.path().string(), Stamp(e.path().string()));
  }
  std::sort(stamps.begin(), stamps.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return stamps;
}

#define DISKLENS_NEED_TOOL(tool)                                                      \
  do {                                                                                \
    if (!::disklens::test::HaveTool(tool)) GTEST_SKIP() << tool " is not installed"; \
  } while (false)

}  // namespace disklens::test
