// The container format of an open image file on Windows, from its first and
// last bytes, so that a container is named rather than read as raw.
#pragma once

#include <cstdint>

#include "platform/image_kind.h"
#include "platform/platform.h"

namespace disklens {

// `file` is an open handle of a regular file; its position is left at 0. A
// file whose bytes can't be read is raw here.
ImageKind DetectHandleKind(Handle file);

}  // namespace disklens
