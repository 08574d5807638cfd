// The record that closes an image partition (type 0xDA) in its last sector:
// what the image holds and how it was stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/disk_image.h"

namespace disklens::test {

// Where its fields lie, as the report's field table reads them.
namespace image_trailer {
inline constexpr std::size_t kLabel = 0x00;  // 4 bytes
inline constexpr std::size_t kUncompressedSectors = 0x04;  // u32
inline constexpr std::size_t kFlag = 0x08;                 // u16
inline constexpr std::size_t kUnusedBytes = 0x0A;          // u16
inline constexpr std::size_t kFileSystem = 0x0C;           // u8
inline constexpr std::size_t kDosFileSystem = 0x0D;        // u8
inline constexpr std::size_t kCompressedSectors = 0x0E;    // u32
}  // namespace image_trailer

struct ImageTrailer {
  std::string label;  // at most 4 bytes are written
  std::uint32_t uncompressedSectors = 0;
  std::uint16_t flag = 0;
  std::uint16_t unusedBytes = 0;
  std::uint8_t fs = 0;
  std::uint8_t dfs = 0;
  std::uint32_t compressedSectors = 0;
};

inline void PutImageTrailer(DiskImage& disk, std::uint64_t lba, const ImageTrailer& t) {
  const std::uint64_t o = lba * disk.SectorSize();
  disk.Text(o + image_trailer::kLabel, t.label.substr(0, 4));
  disk.U32(o + image_trailer::kUncompressedSectors, t.uncompressedSectors);
  disk.U16(o + image_trailer::kFlag, t.flag);
  disk.U16(o + image_trailer::kUnusedBytes, t.unusedBytes);
  disk.U8(o + image_trailer::kFileSystem, t.fs);
  disk.U8(o + image_trailer::kDosFileSystem, t.dfs);
  disk.U32(o + image_trailer::kCompressedSectors, t.compressedSectors);
}

}  // namespace disklens::test
