#include "platform/containers/parent_file.h"

#include <filesystem>

namespace disklens {

namespace {

bool IsFile(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

}  // namespace

std::string FindParentFile(const std::string& childPath, const std::string& recorded) {
  if (recorded.empty()) return {};
  const std::filesystem::path dir = std::filesystem::path(childPath).parent_path();
  const std::filesystem::path named(recorded);
  const std::filesystem::path asNamed = named.is_absolute() ? named : dir / named;
  if (IsFile(asNamed)) return asNamed.string();
  // A Windows path ("C:\VMs\base.vhdx") or one of another machine: its file
  // name beside the child.
  std::string base = recorded;
  if (const std::size_t slash = base.find_last_of("/\\"); slash != std::string::npos) {
    base.erase(0, slash + 1);
  }
  if (base.empty()) return {};
  const std::filesystem::path beside = dir / base;
  return IsFile(beside) ? beside.string() : std::string();
}

std::string LocateParent(const std::string& childPath, const std::string& recorded, int depth,
                         const ParentWords& words, std::string& error) {
  std::string parentPath = FindParentFile(childPath, recorded);
  if (parentPath.empty()) {
    error = std::string(words.noun) + " \"" + recorded + "\"" + words.notFound;
    return {};
  }
  if (depth + 1 > kMaxParentDepth) {
    error = "more than " + std::to_string(kMaxParentDepth) + " " + words.plural + " (a loop?)";
    return {};
  }
  return parentPath;
}

}  // namespace disklens
