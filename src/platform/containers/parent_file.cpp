#include "platform/containers/parent_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/disk_messages.h"
#include "platform/posix_confinement.h"

namespace disklens {

namespace {

bool IsFile(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

// A parent that the file rights allow but Landlock refuses: outside the
// folders the confinement lets the program read.
bool RefusedByConfinement(const std::string& path) {
  if (!ReadsConfined()) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd >= 0) {
    ::close(fd);
    return false;
  }
  return errno == EACCES && ::access(path.c_str(), R_OK) == 0;
}

}  // namespace

std::string RecordedFileName(const std::string& recorded) {
  const std::size_t slash = recorded.find_last_of("/\\");
  return slash == std::string::npos ? recorded : recorded.substr(slash + 1);
}

std::string RefuseNonDiskFile(const char* role, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) return {};
  return std::string(role) + " " + path + ": " + kNotADisk;
}

std::string FindParentFile(const std::string& childPath, const std::string& recorded) {
  if (recorded.empty()) return {};
  const std::filesystem::path dir = std::filesystem::path(childPath).parent_path();
  const std::filesystem::path named(recorded);
  const std::filesystem::path asNamed = named.is_absolute() ? named : dir / named;
  if (IsFile(asNamed)) return asNamed.string();
  // A Windows path ("C:\VMs\base.vhdx") or one of another machine: its file
  // name beside the child.
  const std::string base = RecordedFileName(recorded);
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
  if (RefusedByConfinement(parentPath)) {
    error = std::string(words.noun) + " " + parentPath +
            ": outside the folders of the disks named, all that disklens reads while confined "
            "(DISKLENS_NO_SANDBOX=1 lifts the confinement)";
    return {};
  }
  return parentPath;
}

}  // namespace disklens
