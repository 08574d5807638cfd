// The container format of an open image file, from its first and last bytes.
#pragma once

#include <cstdint>

#include "platform/image_kind.h"

namespace disklens {

// `fd` is open for reading and `fileSize` bytes long; a file whose bytes can't
// be read is raw here (its reads then fail as a raw image's do).
ImageKind DetectFileKind(int fd, std::uint64_t fileSize);

}  // namespace disklens
