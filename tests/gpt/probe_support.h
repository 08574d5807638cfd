// An in-memory disk opened as a DiskDevice for the content probe, and the
// helpers that put images made by real tools behind it.
#pragma once

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "disk/device.h"
#include "disk/session.h"
#include "platform/fake_platform.h"
#include "support/temp_dir.h"

namespace disklens::test {

class ProbeDisk {
 public:
  explicit ProbeDisk(std::uint64_t bytes, std::uint32_t sectorSize = 512)
      : sectorSize_(sectorSize) {
    fake.AddDisk(0, bytes, sectorSize);
    StartDiskAccess(1);
    device_ = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  }
  ~ProbeDisk() {
    CloseDiskDevice(device_);
    EndDiskAccess();
  }
  ProbeDisk(const ProbeDisk&) = delete;
  ProbeDisk& operator=(const ProbeDisk&) = delete;

  DiskDevice* Device() { return device_; }
  std::vector<std::uint8_t>& Bytes() { return fake.disks.at(0).bytes; }
  std::uint8_t* At(std::uint64_t offset) { return Bytes().data() + offset; }
  std::uint8_t* Sector(std::uint64_t lba) { return At(lba * sectorSize_); }
  void Text(std::uint64_t offset, const std::string& s) {
    std::memcpy(At(offset), s.data(), s.size());
  }
  void BootSignature(std::uint64_t lba) {
    Sector(lba)[510] = 0x55;
    Sector(lba)[511] = 0xAA;
  }
  void Fail(std::uint64_t lba) { fake.disks.at(0).failingLbas.insert(lba); }
  void Place(std::uint64_t lba, const std::vector<std::uint8_t>& image) {
    std::memcpy(Sector(lba), image.data(), image.size());
  }

  // The LBAs read since the last call, in order.
  std::vector<std::uint64_t> TakeReads() {
    std::vector<std::uint64_t> lbas;
    for (const FakeCall& c : fake.Calls("ReadFile")) lbas.push_back(c.position / sectorSize_);
    fake.ClearLog();
    return lbas;
  }

  FakePlatform fake;

 private:
  std::uint32_t sectorSize_;
  DiskDevice* device_ = nullptr;
};

// True when the shell finds `tool`.
inline bool HasTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool RunQuiet(const std::string& command) {
  return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

// What a command prints on standard output.
inline std::string Output(const std::string& command) {
  std::string text;
  if (FILE* p = popen((command + " 2>/dev/null").c_str(), "r")) {
    std::array<char, 4096> chunk{};
    std::size_t n = 0;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), p)) != 0) text.append(chunk.data(), n);
    pclose(p);
  }
  return text;
}

// The value of KEY= in `blkid -p -o udev` style output ("" when absent).
inline std::string UdevValue(const std::string& udev, const std::string& key) {
  const std::string prefix = key + "=";
  std::size_t at = 0;
  while (at < udev.size()) {
    std::size_t end = udev.find('\n', at);
    if (end == std::string::npos) end = udev.size();
    if (udev.compare(at, prefix.size(), prefix) == 0) {
      return udev.substr(at + prefix.size(), end - at - prefix.size());
    }
    at = end + 1;
  }
  return {};
}

// At most `limit` bytes from the start of a file.
inline std::vector<std::uint8_t> ReadHead(const std::string& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(limit);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace disklens::test
