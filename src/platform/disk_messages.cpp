#include "platform/disk_messages.h"

#include <cstdio>

namespace disklens {

void DiskMessages::NotOpened(std::uint32_t index, const DiskSource& source, const char* reason) {
  if (source.entry.empty() || !notOpened_.insert(index).second) return;
  std::fprintf(stderr, "disklens: HD%u: %s: %s\n", static_cast<unsigned>(index),
               source.entry.c_str(), reason);
}

void DiskMessages::Source(std::uint32_t index, const std::string& path, std::uint32_t sectorSize,
                          std::uint64_t bytes, const char* kind) {
  if (!sources_.insert(index).second) return;
  std::fprintf(stderr, "disklens: HD%u = %s (%s%s%u-byte sectors, %llu bytes)\n",
               static_cast<unsigned>(index), path.c_str(), kind != nullptr ? kind : "",
               kind != nullptr ? ", " : "", static_cast<unsigned>(sectorSize),
               static_cast<unsigned long long>(bytes));
}

void DiskMessages::AlsoReads(std::uint32_t index, const std::string& path) {
  if (!besides_.insert({index, path}).second) return;
  std::fprintf(stderr, "disklens: HD%u also reads %s\n", static_cast<unsigned>(index),
               path.c_str());
}

void DiskMessages::ExplainDenied() const {
  if (denied_.empty()) return;
  const std::size_t k = denied_.size();
  std::fprintf(stderr,
               "disklens: %zu %s could not be opened (Permission denied): run as root or as a "
               "member of group \"disk\"\n",
               k, k == 1 ? "disk" : "disks");
}

void DiskMessages::ExplainNoRawDisk() const {
  if (rawOpened_ || !rawDenied_) return;
  std::fprintf(stderr, "disklens: no disk could be opened: run from an administrator's command prompt\n");
}

}  // namespace disklens
