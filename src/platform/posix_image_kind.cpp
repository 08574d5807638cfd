#include "platform/posix_image_kind.h"

#include <unistd.h>

#include <cerrno>

namespace disklens {

namespace {

std::size_t ReadFully(int fd, std::uint8_t* buffer, std::size_t bytes, std::uint64_t offset) {
  std::size_t total = 0;
  while (total < bytes) {
    const ssize_t n = ::pread(fd, buffer + total, bytes - total, static_cast<off_t>(offset + total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += static_cast<std::size_t>(n);
  }
  return total;
}

}  // namespace

ImageKind DetectFileKind(int fd, std::uint64_t fileSize) {
  std::uint8_t head[kImageHeadBytes];
  std::uint8_t tail[kImageTailBytes];
  const std::size_t headSize = ReadFully(fd, head, sizeof head, 0);
  const std::uint64_t tailStart = fileSize > sizeof tail ? fileSize - sizeof tail : 0;
  const std::size_t tailSize = ReadFully(fd, tail, sizeof tail, tailStart);
  return DetectImageKind(head, headSize, tail, tailSize);
}

}  // namespace disklens
