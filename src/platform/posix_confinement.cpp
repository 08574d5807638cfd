#include "platform/posix_confinement.h"

#include <sys/prctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/posix_landlock.h"
#include "platform/posix_seccomp.h"

namespace disklens {

namespace {

bool g_readsConfined = false;

// Where glibc's loader finds a library that is opened late (dlopen), its
// character-set modules and its locale files. The multiarch folders
// (/usr/lib/x86_64-linux-gnu) lie beneath these.
const char* const kSystemReadable[] = {
    "/etc/ld.so.cache", "/lib",  "/lib64", "/lib32", "/usr/lib", "/usr/lib64", "/usr/lib32",
    "/usr/local/lib",   "/usr/share/locale",
#if defined(__SANITIZE_ADDRESS__)
    // LeakSanitizer reads the process's maps and threads at exit.
    "/proc",
#endif
};

void AddFolderOf(const std::filesystem::path& file, std::vector<std::string>& folders) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  folders.push_back(folder.string());
}

bool AskedOff() {
  const char* value = std::getenv("DISKLENS_NO_SANDBOX");
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

}  // namespace

std::vector<std::string> ReadableFolders(const std::vector<DiskSource>& disks) {
  std::vector<std::string> folders(std::begin(kSystemReadable), std::end(kSystemReadable));
  for (const DiskSource& disk : disks) {
    if (disk.path.empty() || !disk.error.empty()) continue;
    if (disk.entry.empty()) {
      folders.push_back("/dev");
      folders.push_back("/sys/block");
      continue;
    }
    // The folder as named (a relative one is the current folder's, which
    // Landlock resolves when the rule is made); Landlock looks at where the
    // file really is, so a link's target folder too.
    AddFolderOf(disk.path, folders);
    struct stat st {};
    if (::lstat(disk.path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      if (char* real = ::realpath(disk.path.c_str(), nullptr)) {
        AddFolderOf(real, folders);
        std::free(real);
      }
    }
  }
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  return folders;
}

Confinement Confine(const std::vector<std::string>& readable) {
  Confinement c;
  if (AskedOff()) {
    c.off = true;
    return c;
  }
  // Neither filter may be entered without it, and no program run later could
  // gain rights through a set-user-ID bit.
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    c.seccompError = c.landlockError = errno;
    return c;
  }
  // Landlock first: its own calls stay allowed by the filters either way.
  const LandlockResult landlock = RestrictToReading(readable);
  c.landlockAbi = landlock.abi;
  c.landlockError = landlock.error;
  g_readsConfined = landlock.abi != 0;
  c.seccompError = InstallSyscallFilter();
  return c;
}

std::string DescribeConfinement(const Confinement& c) {
  std::string line = "disklens: confinement: ";
  if (c.off) return line + "off (DISKLENS_NO_SANDBOX is set)";
  if (c.seccompError == 0) {
    line += "seccomp on (no write but to standard output and error, no program, process or "
            "socket)";
  } else {
    line += "seccomp off (" + std::string(std::strerror(c.seccompError)) + ")";
  }
  if (c.landlockAbi != 0) {
    line += "; Landlock " + std::to_string(c.landlockAbi) +
            " on (reads only beside the disks named and in the system's libraries)";
  } else {
    line += "; Landlock off (" + std::string(std::strerror(c.landlockError)) + ")";
  }
  return line;
}

bool ReadsConfined() { return g_readsConfined; }

}  // namespace disklens
