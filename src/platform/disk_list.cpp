#include "platform/disk_list.h"

#include <cstring>

namespace disklens {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}
}  // namespace

DiskSource ParseDiskEntry(const std::string& text) {
  DiskSource d;
  d.entry = text;
  std::string entry = text;
  const std::size_t at = entry.rfind('@');
  if (at != std::string::npos && IsNumber(entry.substr(at + 1))) {
    const std::string suffix = entry.substr(at + 1);
    if (suffix == "512" || suffix == "1024" || suffix == "2048" || suffix == "4096") {
      d.imageSectorSize = static_cast<std::uint32_t>(std::stoul(suffix));
      d.sectorSizeGiven = true;
    } else {
      d.error = "unknown sector size \"@" + suffix + "\" (use @512, @1024, @2048 or @4096)";
    }
    entry.resize(at);
  }
  d.path = entry;
  return d;
}

std::vector<DiskSource> ParseDiskList(const std::string& list, char separator) {
  std::vector<DiskSource> disks;
  if (list.empty()) return disks;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = list.find(separator, start);
    disks.push_back(ParseDiskEntry(
        list.substr(start, end == std::string::npos ? std::string::npos : end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return disks;
}

std::vector<DiskSource> OperandDisks(const std::vector<std::string>& operands) {
  std::vector<DiskSource> disks;
  for (const std::string& operand : operands) {
    DiskSource d = ParseDiskEntry(operand);
    d.operand = true;
    // An operand always names a disk: one without a file name is said, not skipped.
    if (d.path.empty() && d.error.empty()) d.error = "no file name";
    disks.push_back(d);
  }
  return disks;
}

std::vector<std::string> DisksPastTheNumbers(const std::vector<DiskSource>& disks) {
  std::vector<std::string> past;
  for (std::size_t i = kDiskNumbers; i < disks.size(); ++i) {
    const DiskSource& d = disks[i];
    if (d.path.empty() && d.error.empty()) continue;
    past.push_back(d.entry.empty() ? d.path : d.entry);
  }
  return past;
}

std::optional<std::uint32_t> PhysicalDriveIndex(const char* path) {
  static constexpr char kPrefix[] = "\\\\.\\PhysicalDrive";
  const std::size_t n = sizeof kPrefix - 1;
  if (path == nullptr || std::strncmp(path, kPrefix, n) != 0) return std::nullopt;
  const char* digits = path + n;
  if (*digits == '\0' || std::strlen(digits) > 9) return std::nullopt;
  std::uint32_t value = 0;
  for (const char* p = digits; *p != '\0'; ++p) {
    if (!IsDigit(*p)) return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(*p - '0');
  }
  return value;
}

}  // namespace disklens
