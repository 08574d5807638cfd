// CRC-32 (reflected, polynomial 0xEDB88320), the checksum of GPT headers and
// entry arrays.
#pragma once

#include <cstdint>

namespace disklens {

// Continues the finished checksum `previous` over `length` more bytes; 0 starts
// a new one. A length of 0 returns `previous` unchanged.
std::uint32_t Crc32Update(std::uint32_t previous, const std::uint8_t* data, std::uint32_t length);

}  // namespace disklens
