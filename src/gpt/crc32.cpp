#include "gpt/crc32.h"

#include <array>

namespace disklens {

namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

// Table k gives the checksum of a byte followed by k zero bytes, so that eight
// bytes are folded in at once rather than one at a time.
constexpr Tables MakeTables() {
  Tables t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (std::size_t k = 1; k < 8; ++k) {
    for (std::size_t n = 0; n < 256; ++n) t[k][n] = t[0][t[k - 1][n] & 0xFFu] ^ (t[k - 1][n] >> 8);
  }
  return t;
}

constexpr Tables kTables = MakeTables();

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

}  // namespace

std::uint32_t Crc32Update(std::uint32_t previous, const std::uint8_t* data, std::uint32_t length) {
  if (length == 0) return previous;
  std::uint32_t crc = ~previous;
  // An entry array is 16 KiB: eight bytes a step keeps its checksum cheap.
  for (; length >= 8; length -= 8, data += 8) {
    const std::uint32_t low = crc ^ Le32(data);
    const std::uint32_t high = Le32(data + 4);
    crc = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^
          kTables[5][(low >> 16) & 0xFFu] ^ kTables[4][low >> 24] ^ kTables[3][high & 0xFFu] ^
          kTables[2][(high >> 8) & 0xFFu] ^ kTables[1][(high >> 16) & 0xFFu] ^
          kTables[0][high >> 24];
  }
  for (; length != 0; --length, ++data) crc = kTables[0][(crc ^ *data) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}

}  // namespace disklens
