// Little-endian reads at byte offsets of data that was actually read (and the
// few big-endian ones that container footers need).
// Every getter checks the offset against the length of the view; a value that
// would reach past it reads as 0, so no caller can see bytes it did not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace disklens {

struct ByteView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;

  // True when `length` bytes from `offset` lie inside the view.
  constexpr bool Has(std::size_t offset, std::size_t length) const {
    return offset <= size && length <= size - offset;
  }
  // The part of the view from `offset` on (empty when offset is past the end).
  constexpr ByteView From(std::size_t offset) const {
    return offset <= size ? ByteView{data + offset, size - offset} : ByteView{data + size, 0};
  }
  // True when the bytes at `offset` equal `length` bytes of `pattern`.
  bool Matches(std::size_t offset, const void* pattern, std::size_t length) const {
    return Has(offset, length) && std::memcmp(data + offset, pattern, length) == 0;
  }

  std::uint8_t U8(std::size_t offset) const { return Has(offset, 1) ? data[offset] : 0; }
  std::uint16_t U16(std::size_t offset) const {
    if (!Has(offset, 2)) return 0;
    return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
  }
  std::uint32_t U32(std::size_t offset) const {
    if (!Has(offset, 4)) return 0;
    return static_cast<std::uint32_t>(data[offset]) |
           (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(data[offset + 3]) << 24);
  }
  std::uint64_t U64(std::size_t offset) const {
    if (!Has(offset, 8)) return 0;
    return static_cast<std::uint64_t>(U32(offset)) |
           (static_cast<std::uint64_t>(U32(offset + 4)) << 32);
  }
  std::uint32_t U32Be(std::size_t offset) const {
    if (!Has(offset, 4)) return 0;
    return (static_cast<std::uint32_t>(data[offset]) << 24) |
           (static_cast<std::uint32_t>(data[offset + 1]) << 16) |
           (static_cast<std::uint32_t>(data[offset + 2]) << 8) |
           static_cast<std::uint32_t>(data[offset + 3]);
  }
  std::uint64_t U64Be(std::size_t offset) const {
    if (!Has(offset, 8)) return 0;
    return (static_cast<std::uint64_t>(U32Be(offset)) << 32) | U32Be(offset + 4);
  }
};

inline void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutU64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace disklens
