// Helpers of bench/run that shell tools do slowly or not at all.
//
//   workload_tool place          lines "IMAGE OFFSET TEMPLATE" on stdin: copies the
//                                template's non-zero 4 KiB blocks into the image at
//                                byte OFFSET, so images stay sparse
//   workload_tool chain IMAGE    lines "START SECTORS HEXTYPE" of logical partitions on
//                                stdin: writes an MBR with one extended partition
//                                whose EBR chain holds them (sfdisk stops at 60), and
//                                prints each EBR's LBA
//   workload_tool manifest OUT   lines "DISK OFFSET LENGTH" on stdin: writes them as
//                                the binary records that bench/floor reads
//   workload_tool amplify IMAGE  writes a hostile disk: an MBR extended entry and an
//                                EMBR whose MPT lists 255 extended entries, all naming
//                                one chain of 4,096 EBRs
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBlock = 4096;

int Fail(const std::string& what) {
  std::perror(what.c_str());
  return 1;
}

std::vector<char> ReadWhole(const std::string& path) {
  std::vector<char> bytes;
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return bytes;
  char chunk[1 << 16];
  ssize_t n = 0;
  while ((n = ::read(fd, chunk, sizeof chunk)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  ::close(fd);
  return bytes;
}

bool AllZero(const char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

int Place() {
  std::map<std::string, std::vector<char>> templates;
  std::map<std::string, int> images;
  std::string image, templ;
  unsigned long long offset = 0;
  while (std::cin >> image >> offset >> templ) {
    auto t = templates.find(templ);
    if (t == templates.end()) t = templates.emplace(templ, ReadWhole(templ)).first;
    if (t->second.empty()) return Fail(templ);
    auto i = images.find(image);
    if (i == images.end()) {
      const int fd = ::open(image.c_str(), O_WRONLY);
      if (fd < 0) return Fail(image);
      i = images.emplace(image, fd).first;
    }
    const std::vector<char>& bytes = t->second;
    for (std::size_t at = 0; at < bytes.size(); at += kBlock) {
      const std::size_t n = bytes.size() - at < kBlock ? bytes.size() - at : kBlock;
      if (AllZero(bytes.data() + at, n)) continue;
      if (::pwrite(i->second, bytes.data() + at, n, static_cast<off_t>(offset + at)) !=
          static_cast<ssize_t>(n)) {
        return Fail(image);
      }
    }
  }
  for (auto& [name, fd] : images) ::close(fd);
  return 0;
}

void PutU32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// One partition-table entry with the CHS fields that tools write past the CHS limit.
void PutEntry(unsigned char* sector, int slot, unsigned char type, std::uint32_t start,
              std::uint32_t sectors) {
  unsigned char* e = sector + 446 + 16 * slot;
  const unsigned char chs[3] = {0xFE, 0xFF, 0xFF};
  std::memcpy(e + 1, chs, 3);
  e[4] = type;
  std::memcpy(e + 5, chs, 3);
  PutU32(e + 8, start);
  PutU32(e + 12, sectors);
}

// An MBR whose first entry is an extended partition at LBA 2048, and its chain:
// logical partition i has its EBR 2048 sectors before it.
int Chain(const std::string& image) {
  struct Logical {
    std::uint32_t start, sectors;
    unsigned type;
  };
  std::vector<Logical> logicals;
  Logical l{};
  while (std::cin >> l.start >> l.sectors >> std::hex >> l.type >> std::dec) logicals.push_back(l);
  if (logicals.empty()) return 2;
  const int fd = ::open(image.c_str(), O_WRONLY);
  if (fd < 0) return Fail(image);
  constexpr std::uint32_t kBase = 2048, kGap = 2048;
  const Logical& last = logicals.back();
  unsigned char sector[512] = {};
  PutU32(sector + 440, 0xD15C1E25);
  PutEntry(sector, 0, 0x05, kBase, last.start + last.sectors - kBase);
  sector[510] = 0x55, sector[511] = 0xAA;
  if (::pwrite(fd, sector, 512, 0) != 512) return Fail(image);
  for (std::size_t i = 0; i < logicals.size(); ++i) {
    const std::uint32_t ebr = logicals[i].start - kGap;
    std::memset(sector, 0, sizeof sector);
    PutEntry(sector, 0, static_cast<unsigned char>(logicals[i].type), kGap, logicals[i].sectors);
    if (i + 1 < logicals.size()) {
      const std::uint32_t next = logicals[i + 1].start - kGap;
      PutEntry(sector, 1, 0x05, next - kBase, logicals[i + 1].start + logicals[i + 1].sectors - next);
    }
    sector[510] = 0x55, sector[511] = 0xAA;
    if (::pwrite(fd, sector, 512, static_cast<off_t>(ebr) * 512) != 512) return Fail(image);
    std::printf("%u\n", ebr);
  }
  ::close(fd);
  return 0;
}

// The MBR, 255 MPT entries and, under "/all", 256 walks of one 4,096-EBR chain at LBA 64.
int Amplify(const std::string& image) {
  constexpr std::uint32_t kBase = 64, kEbrs = 4096;
  std::vector<unsigned char> disk((kBase + kEbrs + 8) * 512ull, 0);
  unsigned char* mbr = disk.data();
  PutEntry(mbr, 0, 0x05, kBase, kEbrs);
  mbr[510] = 0x55, mbr[511] = 0xAA;
  unsigned char* embr = disk.data() + 512;
  std::memcpy(embr, "EMBR", 4);
  std::memcpy(embr + 18, "MPT", 3);
  embr[21] = 1;
  embr[22] = 255;
  for (std::uint32_t k = 0; k < 255; ++k) {
    unsigned char* e = embr + 28 + 28 * k;
    PutU32(e + 2, kBase);
    PutU32(e + 6, kBase + kEbrs - 1);
    e[10] = static_cast<unsigned char>(k + 1);
    e[11] = 0x05;
  }
  for (std::uint32_t k = 0; k < kEbrs; ++k) {
    unsigned char* ebr = disk.data() + (kBase + k) * 512ull;
    if (k + 1 < kEbrs) PutEntry(ebr, 0, 0x05, k + 1, 1);
    ebr[510] = 0x55, ebr[511] = 0xAA;
  }
  const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return Fail(image);
  if (::write(fd, disk.data(), disk.size()) != static_cast<ssize_t>(disk.size())) return Fail(image);
  ::close(fd);
  return 0;
}

int Manifest(const std::string& out) {
  std::FILE* f = std::fopen(out.c_str(), "wb");
  if (f == nullptr) return Fail(out);
  std::uint64_t disk = 0, offset = 0, length = 0;
  while (std::cin >> disk >> offset >> length) {
    const std::uint64_t record[3] = {disk, offset, length};
    std::fwrite(record, sizeof record, 1, f);
  }
  return std::fclose(f) == 0 ? 0 : Fail(out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "place" && argc == 2) return Place();
  if (command == "chain" && argc == 3) return Chain(argv[2]);
  if (command == "manifest" && argc == 3) return Manifest(argv[2]);
  if (command == "amplify" && argc == 3) return Amplify(argv[2]);
  std::fprintf(stderr, "usage: workload_tool place | chain IMAGE | manifest OUT | amplify IMAGE\n");
  return 2;
}
