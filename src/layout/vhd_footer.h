// Where the fields of a VHD footer lie (big-endian), from its first byte; the
// footer is the file's last 512 bytes (511 in images of old tools).
#pragma once

#include <cstddef>
#include <cstdint>

namespace disklens::vhd_footer {

inline constexpr std::size_t kSize = 512;
inline constexpr std::size_t kCookie = 0;        // "conectix"
inline constexpr std::size_t kDataOffset = 16;   // u64: all ones for a fixed disk
inline constexpr std::size_t kCurrentSize = 48;  // u64: the disk's size in bytes
inline constexpr std::size_t kDiskType = 60;     // u32
inline constexpr std::size_t kChecksum = 64;     // u32: ones' complement of the byte sum
inline constexpr std::uint32_t kDiskTypeFixed = 2;

}  // namespace disklens::vhd_footer
