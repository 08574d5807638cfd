#include "platform/disk_messages.h"

#include <cstdio>

namespace disklens {

void DiskMessages::NotOpened(std::uint32_t index, const DiskSource& source, const char* reason) {
  if (source.operand) operandNotOpened_ = true;
  if ((source.entry.empty() && !source.operand) || !notOpened_.insert(index).second) return;
  std::fprintf(stderr, "disklens: HD%u: %s: %s\n", static_cast<unsigned>(index),
               source.entry.c_str(), reason);
}

void DiskMessages::Note(std::uint32_t index, const DiskSource& source, const std::string& note) {
  if (source.entry.empty() || !notes_.emplace(index, note).second) return;
  std::fprintf(stderr, "disklens: HD%u: %s: %s\n", static_cast<unsigned>(index),
               source.entry.c_str(), note.c_str());
}

void DiskMessages::Source(std::uint32_t index, const std::string& path, std::uint32_t sectorSize,
                          std::uint64_t bytes, const char* kind) {
  if (!sources_.insert(index).second) return;
  std::fprintf(stderr, "disklens: HD%u = %s (%s%s%u-byte sectors, %llu bytes)\n",
               static_cast<unsigned>(index), path.c_str(), kind != nullptr ? kind : "",
               kind != nullptr ? ", " : "", static_cast<unsigned>(sectorSize),
               static_cast<unsigned long long>(bytes));
}

void DiskMessages::Companion(std::uint32_t index, const std::string& role,
                             const std::string& path) {
  if (!companions_.emplace(index, path).second) return;
  std::fprintf(stderr, "disklens: HD%u also reads %s (%s)\n", static_cast<unsigned>(index),
               path.c_str(), role.c_str());
}

void DiskMessages::ExplainDenied(bool superuser) const {
  if (denied_.empty()) return;
  const std::size_t k = denied_.size();
  if (superuser) {
    std::fprintf(stderr, "disklens: %zu %s could not be opened (Permission denied)\n", k,
                 k == 1 ? "disk" : "disks");
    return;
  }
  std::fprintf(stderr,
               "disklens: %zu %s could not be opened (Permission denied): run as root or as a "
               "member of group \"disk\"\n",
               k, k == 1 ? "disk" : "disks");
}

void DiskMessages::ExplainNoRawDisk() const {
  if (rawOpened_ || !rawDenied_) return;
  std::fprintf(stderr, "disklens: no disk could be opened: run from an administrator's command prompt\n");
}

void ExplainDisksLeftOut(const std::vector<std::string>& names) {
  if (names.empty()) return;
  const unsigned last = static_cast<unsigned>(kDiskNumbers - 1);
  if (names.size() == 1) {
    std::fprintf(stderr,
                 "disklens: 1 disk left out past HD%u, the last disk number: name it as an "
                 "operand or in DISKLENS_DISKS\n",
                 last);
  } else {
    std::fprintf(stderr,
                 "disklens: %zu disks left out past HD%u, the last disk number: name them as "
                 "operands or in DISKLENS_DISKS, %u at a time\n",
                 names.size(), last, static_cast<unsigned>(kDiskNumbers));
  }
  for (const std::string& name : names) {
    std::fprintf(stderr, "disklens: left out: %s\n", name.c_str());
  }
}

}  // namespace disklens
