#include "platform/posix_disks.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace disklens {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits a name into runs of digits and runs of other characters.
std::vector<std::string> Runs(const std::string& s) {
  std::vector<std::string> runs;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t j = i;
    while (j < s.size() && IsDigit(s[j]) == IsDigit(s[i])) ++j;
    runs.push_back(s.substr(i, j - i));
    i = j;
  }
  return runs;
}

int CompareDigits(const std::string& a, const std::string& b) {
  const std::size_t za = a.find_first_not_of('0');
  const std::size_t zb = b.find_first_not_of('0');
  const std::string ta = za == std::string::npos ? "" : a.substr(za);
  const std::string tb = zb == std::string::npos ? "" : b.substr(zb);
  if (ta.size() != tb.size()) return ta.size() < tb.size() ? -1 : 1;
  return ta.compare(tb);
}

// The drive letters of sd, hd, vd and xvd disks count like digits: sdz is disk
// 25 and sdaa disk 26, so "sdaa" becomes "sd26".
std::string DiskLetterAsNumber(const std::string& name) {
  for (const char* family : {"xvd", "sd", "hd", "vd"}) {
    const std::size_t n = std::strlen(family);
    if (name.size() <= n || name.compare(0, n, family) != 0) continue;
    std::uint64_t index = 0;
    bool letters = true;
    for (std::size_t i = n; i < name.size() && letters; ++i) {
      letters = name[i] >= 'a' && name[i] <= 'z' && index < (1ull << 40);
      index = index * 26 + static_cast<std::uint64_t>(name[i] - 'a' + 1);
    }
    if (letters) return std::string(family) + std::to_string(index - 1);
  }
  return name;
}

std::string ReadFirstLine(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::string line;
  std::getline(in, line);
  return line;
}

bool Excluded(const std::filesystem::path& dir, const std::string& name) {
  if (name.rfind("ram", 0) == 0 || name.rfind("zram", 0) == 0) return true;
  if (name.rfind("sr", 0) == 0) return true;  // optical drives
  // SCSI peripheral type 5 is a CD/DVD drive, whatever its name.
  if (ReadFirstLine(dir / "device" / "type") == "5") return true;
  if (name.rfind("loop", 0) == 0) {
    std::error_code ec;
    const bool hasBacking = std::filesystem::exists(dir / "loop" / "backing_file", ec) &&
                            !ReadFirstLine(dir / "loop" / "backing_file").empty();
    if (!hasBacking) return true;
  }
  return false;
}

}  // namespace

bool NaturalNameLess(const std::string& a, const std::string& b) {
  const std::vector<std::string> ra = Runs(DiskLetterAsNumber(a));
  const std::vector<std::string> rb = Runs(DiskLetterAsNumber(b));
  for (std::size_t i = 0; i < ra.size() && i < rb.size(); ++i) {
    const bool da = IsDigit(ra[i][0]);
    const bool db = IsDigit(rb[i][0]);
    int c;
    if (da && db) {
      c = CompareDigits(ra[i], rb[i]);
    } else if (da != db) {
      c = da ? -1 : 1;
    } else {
      c = ra[i].compare(rb[i]);
    }
    if (c != 0) return c < 0;
  }
  if (ra.size() != rb.size()) return ra.size() < rb.size();
  return a < b;
}

std::vector<DiskSource> ListSystemDisks(const std::string& sysBlock, const std::string& devDir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(sysBlock, ec)) {
    const std::string name = entry.path().filename().string();
    if (!Excluded(entry.path(), name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), NaturalNameLess);
  std::vector<DiskSource> disks;
  for (const std::string& name : names) disks.push_back(DiskSource{devDir + "/" + name, 512});
  return disks;
}

std::optional<std::string> DiskListVariable() {
  if (const char* list = std::getenv("DISKLENS_DISKS")) return std::string(list);
  return std::nullopt;
}

std::vector<DiskSource> ConfiguredDisks(const std::vector<std::string>& operands) {
  if (!operands.empty()) return OperandDisks(operands);
  if (const std::optional<std::string> list = DiskListVariable()) return ParseDiskList(*list);
  return ListSystemDisks("/sys/block", "/dev");
}

}  // namespace disklens
