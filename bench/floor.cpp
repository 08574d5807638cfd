// The floor: the least a program can do to learn what disklens reports. It
// opens the disks of DISKLENS_DISKS (colon-separated image paths, entry N is
// disk N) and issues exactly the reads of MANIFEST, in order, each one pread
// into a page-aligned buffer, then closes them. It parses and prints nothing.
//
//   floor MANIFEST      MANIFEST: records of three native 64-bit words
//                       (disk index, byte offset, length), as workload_tool writes them
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  const char* list = std::getenv("DISKLENS_DISKS");
  if (argc != 2 || list == nullptr) {
    std::fprintf(stderr, "usage: DISKLENS_DISKS=a.img:b.img floor MANIFEST\n");
    return 2;
  }
  std::vector<std::uint64_t> records;
  if (std::FILE* f = std::fopen(argv[1], "rb")) {
    std::uint64_t r[3];
    while (std::fread(r, sizeof r, 1, f) == 1) records.insert(records.end(), r, r + 3);
    std::fclose(f);
  }
  std::vector<int> fds;
  for (const char* p = list;; ++p) {
    const char* end = p;
    while (*end != '\0' && *end != ':') ++end;
    const std::string path(p, end);
    fds.push_back(path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (*end == '\0') break;
    p = end;
  }
  // The largest read of the report is 128 sectors of 4 KiB.
  constexpr std::size_t kBufferSize = 128 * 4096;
  void* buffer = std::aligned_alloc(4096, kBufferSize);
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i + 2 < records.size(); i += 3) {
    const std::uint64_t disk = records[i], offset = records[i + 1], length = records[i + 2];
    if (disk >= fds.size() || fds[disk] < 0 || length > kBufferSize) return 1;
    const ssize_t n = ::pread(fds[disk], buffer, length, static_cast<off_t>(offset));
    if (n > 0) bytes += static_cast<std::uint64_t>(n);
  }
  for (const int fd : fds) {
    if (fd >= 0) ::close(fd);
  }
  std::free(buffer);
  return bytes != 0 ? 0 : 1;
}
