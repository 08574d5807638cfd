#include "platform/image_kind.h"

#include <cstring>

namespace disklens {

namespace {

bool StartsWith(const std::uint8_t* bytes, std::size_t size, const char* signature,
                std::size_t length) {
  return size >= length && std::memcmp(bytes, signature, length) == 0;
}

// The VMDK text descriptor starts with this comment line, in any letter case
// that VMware's tools have written.
bool IsVmdkDescriptor(const std::uint8_t* head, std::size_t size) {
  static constexpr char kLine[] = "# disk descriptorfile";
  const std::size_t n = sizeof kLine - 1;
  if (size < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char c = static_cast<char>(head[i]);
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kLine[i]) return false;
  }
  return true;
}

}  // namespace

ImageKind DetectImageKind(const std::uint8_t* head, std::size_t headSize, const std::uint8_t* tail,
                          std::size_t tailSize) {
  if (StartsWith(head, headSize, "vhdxfile", 8)) return ImageKind::kVhdx;
  // A dynamic VHD keeps a copy of its footer at the start, a fixed one only the
  // footer in its last 512 bytes (511 bytes in images of old tools).
  if (StartsWith(head, headSize, "conectix", 8)) return ImageKind::kVhd;
  if (tailSize >= 512 && std::memcmp(tail + tailSize - 512, "conectix", 8) == 0) {
    return ImageKind::kVhd;
  }
  if (tailSize >= 511 && std::memcmp(tail + tailSize - 511, "conectix", 8) == 0) {
    return ImageKind::kVhd;
  }
  if (StartsWith(head, headSize, "KDMV", 4) || StartsWith(head, headSize, "COWD", 4) ||
      IsVmdkDescriptor(head, headSize)) {
    return ImageKind::kVmdk;
  }
  if (StartsWith(head, headSize, "QFI\xfb", 4)) return ImageKind::kQcow;
  if (StartsWith(head, headSize, "EVF\x09\x0d\x0a\xff\x00", 8) ||
      StartsWith(head, headSize, "EVF2\x0d\x0a\x81\x00", 8)) {
    return ImageKind::kEwf;
  }
  return ImageKind::kRaw;
}

const char* ImageKindText(ImageKind kind) {
  switch (kind) {
    case ImageKind::kVhd:
      return "a VHD image";
    case ImageKind::kVhdx:
      return "a VHDX image";
    case ImageKind::kVmdk:
      return "a VMDK image";
    case ImageKind::kQcow:
      return "a qcow2 image";
    case ImageKind::kEwf:
      return "an EWF image";
    case ImageKind::kRaw:
      break;
  }
  return "a raw image";
}

}  // namespace disklens
