// Which partition type IDs start an extended chain.
#pragma once

#include <cstdint>

namespace disklens {

// The type that a hidden type stands for (0x11 -> 0x01, ..., 0x1F -> 0x0F);
// every other value comes back unchanged.
std::uint16_t UnhideType(std::uint16_t type);

// The extended types an MBR or EBR entry is followed for: 0x05, 0x0F, 0x85.
bool IsMbrExtendedType(std::uint32_t type);

// The wider test of the EMBR's MPT: also the hidden forms 0x15 and 0x1F.
bool IsExtendedType(std::uint16_t type);

}  // namespace disklens
