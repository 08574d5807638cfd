// A build without the container libraries (DISKLENS_IMAGE_FORMATS=OFF): such
// an image is named, not read as if it were raw.
#include <string>

#include "platform/image_source.h"

namespace disklens {

OpenedImage OpenImageSource(ImageKind kind, const std::string& /*path*/) {
  OpenedImage opened;
  opened.error = std::string(ImageKindText(kind)) + " (this build reads raw images only)";
  return opened;
}

OpenedImage OpenSplitRawImage(const std::vector<std::string>& segments) {
  OpenedImage opened;
  opened.error = "the first of " + std::to_string(segments.size()) +
                 " segments of a split raw image (this build reads whole raw images only)";
  return opened;
}

}  // namespace disklens
