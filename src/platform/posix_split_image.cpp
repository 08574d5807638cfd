#include "platform/posix_split_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix_image_kind.h"
#include "platform/split_image_names.h"

namespace disklens {

namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Whether the first segment of a set is a container: then the set is no raw
// image, and a later segment is read as the raw file it is, as ever. Only a
// regular file is opened, and without waiting.
bool IsContainer(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  const bool container = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                         DetectFileKind(fd, static_cast<std::uint64_t>(st.st_size)) !=
                             ImageKind::kRaw;
  ::close(fd);
  return container;
}

}  // namespace

SplitImageOpen OpenSplitImage(const std::string& path) {
  SplitImageOpen result;
  const SplitSet set = FindSplitSet(path, Exists);
  if (set.role == SplitRole::kNone) return result;
  if (set.role == SplitRole::kLater) {
    if (IsContainer(set.segments.front())) return result;
    result.split = true;
    result.image.error =
        "a later segment of a split raw image: name its first segment, " + set.segments.front();
    return result;
  }
  result.split = true;
  result.segments = set.segments.size();
  result.image = OpenSplitRawImage(set.segments);
  return result;
}

}  // namespace disklens
