#include "platform/posix_landlock.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace disklens {

namespace {

// The rights of later versions than the system's header may know.
constexpr std::uint64_t kFsAbi1 = (1ull << 13) - 1;  // EXECUTE to MAKE_SYM
constexpr std::uint64_t kFsRefer = 1ull << 13;       // version 2
constexpr std::uint64_t kFsTruncate = 1ull << 14;    // version 3
constexpr std::uint64_t kFsIoctlDev = 1ull << 15;    // version 5
constexpr std::uint64_t kFsReadFile = 1ull << 2;
constexpr std::uint64_t kFsReadDir = 1ull << 3;
constexpr std::uint64_t kNetBindAndConnectTcp = 3;   // version 4
constexpr std::uint64_t kScopeUnixAndSignal = 3;     // version 6

// struct landlock_ruleset_attr as the latest versions have it; the kernel
// takes the part its version knows.
struct RulesetAttr {
  std::uint64_t handledFs = 0;
  std::uint64_t handledNet = 0;
  std::uint64_t scoped = 0;
};

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

LandlockResult RestrictToReading(const std::vector<std::string>& folders) {
  LandlockResult result;
  const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0,
                             LANDLOCK_CREATE_RULESET_VERSION);
  if (abi <= 0) {
    result.error = abi == 0 ? ENOSYS : errno;
    return result;
  }
  RulesetAttr attr;
  attr.handledFs = kFsAbi1 | (abi >= 2 ? kFsRefer : 0) | (abi >= 3 ? kFsTruncate : 0) |
                   (abi >= 5 ? kFsIoctlDev : 0);
  attr.handledNet = abi >= 4 ? kNetBindAndConnectTcp : 0;
  attr.scoped = abi >= 6 ? kScopeUnixAndSignal : 0;
  const std::size_t size = abi >= 6 ? sizeof attr : abi >= 4 ? 2 * sizeof(std::uint64_t)
                                                            : sizeof(std::uint64_t);
  const FdCloser ruleset{static_cast<int>(
      ::syscall(SYS_landlock_create_ruleset, &attr, size, 0))};
  if (ruleset.fd < 0) {
    result.error = errno;
    return result;
  }
  // Block devices answer the platform's size and geometry requests (which
  // the seccomp filter narrows down further).
  const std::uint64_t fileRights = kFsReadFile | (abi >= 5 ? kFsIoctlDev : 0);
  for (const std::string& folder : folders) {
    const FdCloser at{::open(folder.c_str(), O_PATH | O_CLOEXEC)};
    struct stat st {};
    if (at.fd < 0 || ::fstat(at.fd, &st) != 0) continue;
    landlock_path_beneath_attr rule{};
    rule.allowed_access = S_ISDIR(st.st_mode) ? fileRights | kFsReadDir : fileRights;
    rule.parent_fd = at.fd;
    if (::syscall(SYS_landlock_add_rule, ruleset.fd, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) != 0) {
      result.error = errno;
      return result;
    }
  }
  if (::syscall(SYS_landlock_restrict_self, ruleset.fd, 0) != 0) {
    result.error = errno;
    return result;
  }
  result.abi = static_cast<int>(abi);
  return result;
}

}  // namespace disklens
