#include "platform/geometry_reply.h"

#include <cstring>

#include "bytes/bytes.h"

namespace disklens {

namespace {

constexpr std::uint32_t kMediaFixed = 12;
constexpr std::uint32_t kPartitionStyleRaw = 2;
constexpr std::uint32_t kPartitionInfoSize = 24;
constexpr std::uint32_t kDetectionInfoSize = 56;

void PutDiskGeometry(const SyntheticGeometry& g, std::uint8_t* out) {
  const std::uint64_t sectors = g.sectorSize != 0 ? g.totalBytes / g.sectorSize : 0;
  const std::uint64_t perCylinder = static_cast<std::uint64_t>(g.heads) * g.sectorsPerTrack;
  PutU64(out + 0, perCylinder != 0 ? sectors / perCylinder : 0);
  PutU32(out + 8, kMediaFixed);
  PutU32(out + 12, g.heads);
  PutU32(out + 16, g.sectorsPerTrack);
  PutU32(out + 20, g.sectorSize);
}

}  // namespace

std::uint32_t BuildGeometryExReply(const SyntheticGeometry& g, std::uint8_t* out,
                                   std::uint32_t outSize) {
  if (out == nullptr || outSize < 32) return 0;
  std::uint8_t reply[kGeometryExReplySize] = {};
  PutDiskGeometry(g, reply);
  PutU64(reply + 24, g.totalBytes - g.totalBytes % (g.sectorSize != 0 ? g.sectorSize : 1));
  PutU32(reply + 32, kPartitionInfoSize);
  PutU32(reply + 36, kPartitionStyleRaw);
  PutU32(reply + 32 + kPartitionInfoSize, kDetectionInfoSize);  // detection type 0 follows
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
