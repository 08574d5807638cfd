#include "platform/containers/containers.h"

namespace disklens {

OpenedImage OpenImageSource(ImageKind kind, const std::string& path) {
  OpenedImage opened;
  switch (kind) {
    case ImageKind::kQcow:
      opened.source = OpenQcowSource(path, 0, opened.error);
      break;
    case ImageKind::kVhd:
    case ImageKind::kVhdx:
      opened.source = OpenVhdiSource(path, 0, opened.error);
      break;
    case ImageKind::kVmdk:
      opened.source = OpenVmdkSource(path, 0, opened.error);
      break;
    case ImageKind::kEwf:
      opened.source = OpenEwfSource(path, opened.error);
      break;
    case ImageKind::kRaw:
      opened.error = "a raw image";
      break;
  }
  return opened;
}

OpenedImage OpenSplitRawImage(const std::vector<std::string>& segments) {
  OpenedImage opened;
  opened.source = OpenSmrawSource(segments, opened.besides, opened.error);
  return opened;
}

}  // namespace disklens
