// Writes test disks to files: only the sectors that hold something are
// written, the rest stay holes of the file, so that disks of terabytes cost
// what they hold.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "support/disk_image.h"
#include "support/sparse_file.h"

namespace disklens::test {

// A piece of a larger disk: `sectors` placed at `lba`.
struct Piece {
  std::uint64_t lba;
  DiskImage sectors;
};

// A file of `bytes` bytes holding the pieces, each at its LBA (in sectors of
// the pieces' own size); the sectors of a piece that are all zero are skipped.
inline bool SavePieces(std::uint64_t bytes, const std::vector<Piece>& pieces,
                       const std::filesystem::path& path) {
  if (!MakeSizedFile(path, bytes)) return false;
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const Piece& p : pieces) {
    const std::size_t s = p.sectors.SectorSize();
    const std::vector<std::uint8_t>& b = p.sectors.Bytes();
    for (std::size_t at = 0; at < b.size(); at += s) {
      const std::size_t n = at + s < b.size() ? s : b.size() - at;
      bool used = false;
      for (std::size_t i = at; i < at + n && !used; ++i) used = b[i] != 0;
      if (!used) continue;
      out.seekp(static_cast<std::streamoff>(p.lba * s + at));
      out.write(reinterpret_cast<const char*>(b.data() + at), static_cast<std::streamsize>(n));
    }
  }
  out.close();
  return !out.fail();
}

// The whole disk as a file of its size.
inline bool SaveImage(const DiskImage& image, const std::filesystem::path& path) {
  return SavePieces(image.Bytes().size(), {{0, image}}, path);
}

}  // namespace disklens::test
