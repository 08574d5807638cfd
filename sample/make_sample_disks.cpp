// Writes the sample disk images into the directory given as the only argument.
// The images are sparse: only the sectors the disks describe are written.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "sample_disks.h"

namespace {

using disklens::sample::kSectorSize;
using disklens::sample::SampleDisk;

// Replaces `path` with the disk: a fresh file of zeros (a hole), then its runs.
bool WriteImage(const std::filesystem::path& path, const SampleDisk& disk) {
  const std::uint64_t bytes = disk.sectors * kSectorSize;
  std::error_code ec;
  std::filesystem::remove(path, ec);
  { std::ofstream create(path, std::ios::binary); }
  std::filesystem::resize_file(path, bytes, ec);
  if (ec) return false;
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const SampleDisk::Run& run : disk.runs) {
    if (run.lba * kSectorSize + run.bytes.size() > bytes) return false;
    out.seekp(static_cast<std::streamoff>(run.lba * kSectorSize));
    out.write(reinterpret_cast<const char*>(run.bytes.data()),
              static_cast<std::streamsize>(run.bytes.size()));
  }
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY\n", argv[0]);
    return 2;
  }
  try {
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    for (const SampleDisk& disk : {disklens::sample::MakeDisk0(), disklens::sample::MakeDisk1()}) {
      if (!WriteImage(dir / disk.name, disk)) {
        std::fprintf(stderr, "cannot write %s\n", (dir / disk.name).string().c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sample disks: %s\n", e.what());
    return 1;
  }
  return 0;
}
