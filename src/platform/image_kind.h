// Which container format a disk image file is, told by its signature, never by
// its name: the first bytes of the file and its last 512 bytes are enough.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace disklens {

enum class ImageKind {
  kRaw,
  // Read through the format's library.
  kVhd,
  kVhdx,
  kVmdk,
  kQcow,   // qcow2, versions 2 and 3
  kQcow1,  // the first qcow format
  kEwf,
  kSplitRaw,  // raw segments named x.001, x.002... read through libsmraw
  // A dynamic VHD whose footer copy at the start is there but whose footer at
  // the end is not: cut short, or damaged at its end.
  kVhdFooterMissing,
  // A fixed VHD whose footer is the 511 bytes that old tools wrote: its data
  // is raw, read up to the size that footer gives.
  kVhdOldFooter,
  // Named and refused: formats disklens does not read.
  kVdi,
  kParallels,
  kQed,
  kUdif,
  kBochs,
  kCloop,
  kAff,
};

// How many bytes of the start and of the end of a file DetectImageKind looks at.
inline constexpr std::size_t kImageHeadBytes = 512;
inline constexpr std::size_t kImageTailBytes = 512;

// `head` holds the first `headSize` bytes of the file and `tail` its last
// `tailSize` bytes (both may be short for a small file).
ImageKind DetectImageKind(const std::uint8_t* head, std::size_t headSize, const std::uint8_t* tail,
                          std::size_t tailSize);

// "a VHDX image", "a qcow2 image"...: the format as a message names it.
const char* ImageKindText(ImageKind kind);

// A format that is told by its signature only to be refused.
bool IsUnreadKind(ImageKind kind);

// Why such a file is left out, with the command that makes it readable:
// "a VirtualBox VDI image, which disklens does not read: convert it with ...".
std::string UnreadKindReason(ImageKind kind);

// What --verbose says of the formats once a run meets a file that is not raw.
extern const char kImageFormatsText[];

// The format whose usual file name `path` carries (".vmdk" names a VMDK
// image), kRaw for any other name; letter case is ignored.
ImageKind KindNamedBy(const std::string& path);

}  // namespace disklens
