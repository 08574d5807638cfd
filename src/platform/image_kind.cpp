#include "platform/image_kind.h"

#include <cstring>
#include <string_view>

#include "text/ascii.h"

namespace disklens {

namespace {

// Where a signature lies: at an offset of the head, or at the start of the
// file's last 512 bytes.
enum class At { kHead, kTail };

struct Signature {
  ImageKind kind;
  At at;
  std::size_t offset;
  std::string_view magic;
};

using namespace std::string_view_literals;

// The magics as the formats' published layouts give them, first match wins.
constexpr Signature kSignatures[] = {
    {ImageKind::kVhdx, At::kHead, 0, "vhdxfile"sv},
    {ImageKind::kVmdk, At::kHead, 0, "KDMV"sv},  // sparse extent with its descriptor
    {ImageKind::kVmdk, At::kHead, 0, "COWD"sv},  // ESX sparse
    {ImageKind::kEwf, At::kHead, 0, "EVF\x09\x0d\x0a\xff\x00"sv},
    {ImageKind::kEwf, At::kHead, 0, "EVF2\x0d\x0a\x81\x00"sv},
    {ImageKind::kVdi, At::kHead, 0x40, "\x7f\x10\xda\xbe"sv},  // 0xBEDA107F
    {ImageKind::kParallels, At::kHead, 0, "WithoutFreeSpace"sv},
    {ImageKind::kParallels, At::kHead, 0, "WithouFreSpacExt"sv},
    {ImageKind::kQed, At::kHead, 0, "QED\0"sv},
    {ImageKind::kBochs, At::kHead, 0, "Bochs Virtual HD Image"sv},
    {ImageKind::kAff, At::kHead, 0, "AFF10\r\n\0"sv},
    {ImageKind::kUdif, At::kTail, 0, "koly"sv},  // the UDIF trailer
};

bool Holds(const std::uint8_t* bytes, std::size_t size, std::size_t offset,
           std::string_view magic) {
  return bytes != nullptr && offset <= size && size - offset >= magic.size() &&
         std::memcmp(bytes + offset, magic.data(), magic.size()) == 0;
}

// The VMDK text descriptor starts with this comment line, in any letter case
// that VMware's tools have written.
bool IsVmdkDescriptor(const std::uint8_t* head, std::size_t size) {
  static constexpr std::string_view kLine = "# disk descriptorfile";
  if (size < kLine.size()) return false;
  for (std::size_t i = 0; i < kLine.size(); ++i) {
    if (static_cast<char>(AsciiLower(head[i])) != kLine[i]) return false;
  }
  return true;
}

// A cloop image is a shell script that loads the cloop module, followed by
// the compressed blocks.
bool IsCloop(const std::uint8_t* head, std::size_t size) {
  if (!Holds(head, size, 0, "#!/bin/sh\n"sv)) return false;
  const std::string_view text(reinterpret_cast<const char*>(head), size);
  return text.find("modprobe cloop") != std::string_view::npos;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

ImageKind VhdKind(const std::uint8_t* head, std::size_t headSize, const std::uint8_t* tail,
                  std::size_t tailSize) {
  const bool footerAtEnd = tailSize >= 512 && Holds(tail, tailSize, tailSize - 512, "conectix"sv);
  // A dynamic VHD keeps a copy of its footer at the start, a fixed one only the
  // footer in its last 512 bytes (511 bytes in images of old tools).
  if (Holds(head, headSize, 0, "conectix"sv)) {
    return footerAtEnd ? ImageKind::kVhd : ImageKind::kVhdFooterMissing;
  }
  if (footerAtEnd) return ImageKind::kVhd;
  if (tailSize >= 511 && Holds(tail, tailSize, tailSize - 511, "conectix"sv)) {
    return ImageKind::kVhdOldFooter;
  }
  return ImageKind::kRaw;
}

}  // namespace

ImageKind DetectImageKind(const std::uint8_t* head, std::size_t headSize, const std::uint8_t* tail,
                          std::size_t tailSize) {
  if (head == nullptr) headSize = 0;
  if (tail == nullptr) tailSize = 0;
  if (Holds(head, headSize, 0, "vhdxfile"sv)) return ImageKind::kVhdx;
  if (const ImageKind vhd = VhdKind(head, headSize, tail, tailSize); vhd != ImageKind::kRaw) {
    return vhd;
  }
  if (IsVmdkDescriptor(head, headSize)) return ImageKind::kVmdk;
  // qcow keeps its version in the big-endian word after "QFI\xfb".
  if (Holds(head, headSize, 0, "QFI\xfb"sv)) {
    return headSize >= 8 && BigEndian32(head + 4) == 1 ? ImageKind::kQcow1 : ImageKind::kQcow;
  }
  for (const Signature& s : kSignatures) {
    const bool found =
        s.at == At::kHead
            ? Holds(head, headSize, s.offset, s.magic)
            : tailSize >= 512 && Holds(tail, tailSize, tailSize - 512 + s.offset, s.magic);
    if (found) return s.kind;
  }
  if (IsCloop(head, headSize)) return ImageKind::kCloop;
  return ImageKind::kRaw;
}

const char* ImageKindText(ImageKind kind) {
  switch (kind) {
    case ImageKind::kVhd:
    case ImageKind::kVhdFooterMissing:
      return "a VHD image";
    case ImageKind::kVhdOldFooter:
      return "a fixed VHD image with a 511-byte footer";
    case ImageKind::kVhdx:
      return "a VHDX image";
    case ImageKind::kVmdk:
      return "a VMDK image";
    case ImageKind::kQcow:
      return "a qcow2 image";
    case ImageKind::kQcow1:
      return "a qcow version 1 image";
    case ImageKind::kEwf:
      return "an EWF image";
    case ImageKind::kSplitRaw:
      return "a split raw image";
    case ImageKind::kVdi:
      return "a VirtualBox VDI image";
    case ImageKind::kParallels:
      return "a Parallels image";
    case ImageKind::kQed:
      return "a QED image";
    case ImageKind::kUdif:
      return "an Apple disk image (UDIF)";
    case ImageKind::kBochs:
      return "a Bochs image";
    case ImageKind::kCloop:
      return "a cloop image";
    case ImageKind::kAff:
      return "an AFF image";
    case ImageKind::kRaw:
      break;
  }
  return "a raw image";
}

const char kImageFormatsText[] =
    "image formats read: raw, split raw sets, VHD, VHDX, VMDK, qcow, qcow2, EWF; named and "
    "refused: VirtualBox VDI, Parallels, QED, Apple UDIF, Bochs, cloop, AFF";

bool IsUnreadKind(ImageKind kind) {
  switch (kind) {
    case ImageKind::kVdi:
    case ImageKind::kParallels:
    case ImageKind::kQed:
    case ImageKind::kUdif:
    case ImageKind::kBochs:
    case ImageKind::kCloop:
    case ImageKind::kAff:
      return true;
    default:
      return false;
  }
}

std::string UnreadKindReason(ImageKind kind) {
  // qemu-img reads every one of them but AFF, which AFFLIB's tools convert.
  const char* const how = kind == ImageKind::kAff
                              ? "convert it with \"affconvert -r\" or mount it with \"affuse\""
                              : "convert it with \"qemu-img convert -O raw\" or attach it";
  return std::string(ImageKindText(kind)) + ", which disklens does not read: " + how;
}

ImageKind KindNamedBy(const std::string& path) {
  const std::size_t dot = path.find_last_of("./\\");
  if (dot == std::string::npos || path[dot] != '.') return ImageKind::kRaw;
  std::string ext;
  for (std::size_t i = dot + 1; i < path.size(); ++i) {
    ext += static_cast<char>(AsciiLower(static_cast<unsigned char>(path[i])));
  }
  if (ext == "vhd") return ImageKind::kVhd;
  if (ext == "vhdx") return ImageKind::kVhdx;
  if (ext == "vmdk") return ImageKind::kVmdk;
  if (ext == "qcow2") return ImageKind::kQcow;
  if (ext == "qcow") return ImageKind::kQcow1;
  if (ext == "e01" || ext == "ex01") return ImageKind::kEwf;
  return ImageKind::kRaw;
}

}  // namespace disklens
