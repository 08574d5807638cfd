#include "gpt/probe.h"

namespace disklens {

std::int32_t ProbePartitionType(DiskDevice* /*disk*/, std::uint32_t /*lbaLow*/,
                                std::uint32_t /*lbaHigh*/, std::uint16_t& id) {
  id = 0;
  return kProbeUnreadable;
}

}  // namespace disklens
