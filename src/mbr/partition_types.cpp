#include "mbr/partition_types.h"

namespace disklens {

std::uint16_t UnhideType(std::uint16_t type) {
  switch (type) {
    case 0x11: case 0x14: case 0x15: case 0x16: case 0x17:
    case 0x1B: case 0x1C: case 0x1E: case 0x1F:
      return static_cast<std::uint16_t>(type - 0x10);
    default:
      return type;
  }
}

bool IsMbrExtendedType(std::uint32_t type) {
  return type == 0x05 || type == 0x0F || type == 0x85;
}

bool IsExtendedType(std::uint16_t type) { return IsMbrExtendedType(UnhideType(type)); }

}  // namespace disklens
