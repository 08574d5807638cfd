#include "platform/containers/containers.h"

namespace disklens {

OpenedImage OpenImageSource(ImageKind kind, const std::string& path) {
  OpenedImage opened;
  switch (kind) {
    case ImageKind::kQcow:
    case ImageKind::kQcow1:
      opened.source = OpenQcowSource(path, 0, opened.error);
      break;
    case ImageKind::kVhd:
    case ImageKind::kVhdx:
    case ImageKind::kVhdFooterMissing:
      opened.source = OpenVhdiSource(path, 0, opened.error);
      break;
    case ImageKind::kVmdk:
      opened.source = OpenVmdkSource(path, 0, opened.error);
      break;
    case ImageKind::kEwf:
      opened.source = OpenEwfSource(path, opened.error);
      break;
    default:
      // Raw data and the formats that are only named have no library.
      opened.error = ImageKindText(kind);
      break;
  }
  return opened;
}

OpenedImage OpenSplitRawImage(const std::vector<std::string>& segments) {
  OpenedImage opened;
  opened.source = OpenSmrawSource(segments, opened.error);
  return opened;
}

}  // namespace disklens
