// A ReFS volume boot record decoded into the fields that are known of it.
#pragma once

#include <cstdint>

#include "bytes/bytes.h"

namespace disklens {

struct RefsBootSector {
  std::uint64_t sectorCount = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint32_t sectorsPerCluster = 0;
  std::uint8_t majorVersion = 0;
  std::uint8_t minorVersion = 0;
  std::uint64_t volumeSerialNumber = 0;
};

RefsBootSector DecodeRefsBootSector(ByteView sector);

}  // namespace disklens
