// The replies of the two geometry requests for a disk that has no geometry of
// its own (an image file, a block device): built from its size, its sector
// size, and heads and sectors per track (255 and 63 unless the driver knows).
#pragma once

#include <cstdint>

#include "layout/disk_geometry.h"

namespace disklens {

struct SyntheticGeometry {
  std::uint64_t totalBytes = 0;
  std::uint32_t sectorSize = 512;
  std::uint32_t heads = 255;
  std::uint32_t sectorsPerTrack = 63;
};

inline constexpr std::uint32_t kGeometryExReplySize = 112;
inline constexpr std::uint32_t kGeometryReplySize = disk_geometry::kSize;

// Writes the reply of IOCTL_DISK_GET_DRIVE_GEOMETRY_EX (DISK_GEOMETRY_EX with
// its partition and detection information, detection type 0) into `out`;
// the number of bytes written, 0 when `outSize` can't hold the geometry.
std::uint32_t BuildGeometryExReply(const SyntheticGeometry& g, std::uint8_t* out,
                                   std::uint32_t outSize);
// Writes the 24-byte DISK_GEOMETRY reply; 0 when `outSize` is too small.
std::uint32_t BuildGeometryReply(const SyntheticGeometry& g, std::uint8_t* out,
                                 std::uint32_t outSize);

}  // namespace disklens
