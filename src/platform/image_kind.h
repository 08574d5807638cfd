// Which container format a disk image file is, told by its signature, never by
// its name: the first bytes of the file and its last 512 bytes are enough.
#pragma once

#include <cstddef>
#include <cstdint>

namespace disklens {

enum class ImageKind { kRaw, kVhd, kVhdx, kVmdk, kQcow, kEwf };

// How many bytes of the start and of the end of a file DetectImageKind looks at.
inline constexpr std::size_t kImageHeadBytes = 512;
inline constexpr std::size_t kImageTailBytes = 512;

// `head` holds the first `headSize` bytes of the file and `tail` its last
// `tailSize` bytes (both may be short for a small file).
ImageKind DetectImageKind(const std::uint8_t* head, std::size_t headSize, const std::uint8_t* tail,
                          std::size_t tailSize);

// "a VHDX image", "a qcow2 image"...: the format as a message names it.
const char* ImageKindText(ImageKind kind);

}  // namespace disklens
