#include "platform/geometry_reply.h"

#include <cstring>

#include "bytes/bytes.h"
#include "layout/disk_geometry.h"

namespace disklens {

namespace {

constexpr std::uint32_t kMediaFixed = 12;
constexpr std::uint32_t kPartitionStyleRaw = 2;
constexpr std::uint32_t kPartitionInfoSize = 24;
constexpr std::uint32_t kDetectionInfoSize = 56;

void PutDiskGeometry(const SyntheticGeometry& g, std::uint8_t* out) {
  namespace dg = disk_geometry;
  const std::uint64_t sectors = g.sectorSize != 0 ? g.totalBytes / g.sectorSize : 0;
  const std::uint64_t perCylinder = static_cast<std::uint64_t>(g.heads) * g.sectorsPerTrack;
  PutU64(out + dg::kCylinders, perCylinder != 0 ? sectors / perCylinder : 0);
  PutU32(out + dg::kMediaType, kMediaFixed);
  PutU32(out + dg::kTracksPerCylinder, g.heads);
  PutU32(out + dg::kSectorsPerTrack, g.sectorsPerTrack);
  PutU32(out + dg::kBytesPerSector, g.sectorSize);
}

}  // namespace

std::uint32_t BuildGeometryExReply(const SyntheticGeometry& g, std::uint8_t* out,
                                   std::uint32_t outSize) {
  namespace dgx = disk_geometry_ex;
  if (out == nullptr || outSize < dgx::kPartitionInfo) return 0;
  std::uint8_t reply[kGeometryExReplySize] = {};
  PutDiskGeometry(g, reply + dgx::kGeometry);
  PutU64(reply + dgx::kDiskSize,
         g.totalBytes - g.totalBytes % (g.sectorSize != 0 ? g.sectorSize : 1));
  std::uint8_t* const partition = reply + dgx::kPartitionInfo;
  PutU32(partition + disk_partition_info::kSizeOfPartitionInfo, kPartitionInfoSize);
  PutU32(partition + disk_partition_info::kPartitionStyle, kPartitionStyleRaw);
  // Detection type 0 follows.
  PutU32(partition + kPartitionInfoSize + disk_detection_info::kSizeOfDetectInfo,
         kDetectionInfoSize);
  const std::uint32_t n = outSize < kGeometryExReplySize ? outSize : kGeometryExReplySize;
  std::memcpy(out, reply, n);
  return n;
}

std::uint32_t BuildGeometryReply(const SyntheticGeometry& g, std::uint8_t* out,
                                 std::uint32_t outSize) {
  if (out == nullptr || outSize < kGeometryReplySize) return 0;
  std::memset(out, 0, kGeometryReplySize);
  PutDiskGeometry(g, out);
  return kGeometryReplySize;
}

}  // namespace disklens
