// Byte-level building blocks of the sample disks: little-endian stores into a
// sector, and a disk as a list of the few byte runs that are not zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace disklens::sample {

inline constexpr std::uint32_t kSectorSize = 512;

using Bytes = std::vector<std::uint8_t>;

// One zero-filled sector.
inline Bytes Sector() { return Bytes(kSectorSize, 0); }

// Stores `value` as `width` little-endian bytes at `offset`.
inline void PutLe(Bytes& b, std::size_t offset, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) b.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void Put8(Bytes& b, std::size_t offset, std::uint64_t v) { PutLe(b, offset, v, 1); }
inline void Put16(Bytes& b, std::size_t offset, std::uint64_t v) { PutLe(b, offset, v, 2); }
inline void Put32(Bytes& b, std::size_t offset, std::uint64_t v) { PutLe(b, offset, v, 4); }
inline void Put64(Bytes& b, std::size_t offset, std::uint64_t v) { PutLe(b, offset, v, 8); }

// Copies `text` to `offset`, without a terminator: fields are padded by the caller's zeros or spaces.
inline void PutText(Bytes& b, std::size_t offset, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) b.at(offset + i) = static_cast<std::uint8_t>(text[i]);
}

// The 0x55 0xAA mark at the end of a boot sector or partition table.
inline void PutBootMark(Bytes& b) { Put16(b, 510, 0xAA55); }

// A disk image: its size and the byte runs that are not zero; the rest is a hole.
struct SampleDisk {
  std::string name;
  std::uint64_t sectors = 0;
  struct Run {
    std::uint64_t lba;
    Bytes bytes;
  };
  std::vector<Run> runs;

  void Put(std::uint64_t lba, Bytes bytes) { runs.push_back({lba, std::move(bytes)}); }
};

}  // namespace disklens::sample
