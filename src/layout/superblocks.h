// Where the marks of the file systems that the content probe knows by their
// superblock lie.
#pragma once

#include <cstddef>
#include <cstdint>

namespace disklens {

namespace ext_superblock {
inline constexpr std::size_t kOffset = 1024;  // bytes into the partition
inline constexpr std::size_t kMagic = 0x38;   // u16
inline constexpr std::uint16_t kMagicValue = 0xEF53;
}  // namespace ext_superblock

namespace hfsplus_header {
inline constexpr std::size_t kOffset = 1024;  // bytes into the partition
inline constexpr std::size_t kSignature = 0;  // "H+", or "HX" for HFSX
}  // namespace hfsplus_header

namespace xfs_superblock {
inline constexpr std::size_t kMagic = 0;  // "XFSB", in the partition's first sector
}  // namespace xfs_superblock

namespace reiserfs_superblock {
inline constexpr std::size_t kMagic = 0x34;  // "ReIsErFs", "ReIsEr2Fs", "ReIsEr3Fs", NUL-ended
}  // namespace reiserfs_superblock

namespace swap_header {
inline constexpr std::uint32_t kPageBytes = 4096;
inline constexpr std::size_t kMagicSize = 10;  // "SWAPSPACE2" or "SWAP_SPACE", ending the page
}  // namespace swap_header

namespace iso9660 {
inline constexpr std::uint64_t kDescriptorLba = 16;   // the first volume descriptor
inline constexpr std::size_t kStandardIdentifier = 1;  // "CD001"
}  // namespace iso9660

}  // namespace disklens
