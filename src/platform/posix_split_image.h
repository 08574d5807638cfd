// A DISKLENS_DISKS file whose name makes it a segment of a split raw image
// ("x.001" with "x.002" beside it): the first segment opens the whole set, a
// later one is refused with the name of the first.
#pragma once

#include <cstddef>
#include <string>

#include "platform/image_source.h"

namespace disklens {

struct SplitImageOpen {
  bool split = false;         // false: an ordinary raw file, read as it is
  OpenedImage image;          // the whole set; null source with `image.error` when refused
  std::size_t segments = 0;   // how many segments the set has
};

// `path` is a raw image file (no container signature) that the user named.
SplitImageOpen OpenSplitImage(const std::string& path);

}  // namespace disklens
