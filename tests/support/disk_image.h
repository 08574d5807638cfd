// The builder of every test disk: a disk held in memory, written field by field
// through the offsets the program reads with (src/layout/). This file holds the
// disk, its little-endian stores and the MBR/EBR tables; embr_image.h and
// gpt_image.h add the EMBR block and the GPT, image_save.h writes a disk out.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "layout/mbr.h"

namespace disklens::test {

struct MbrEntry {
  std::uint8_t status = 0;
  std::uint8_t startHead = 0, startSectorByte = 0, startCylinderByte = 0;
  std::uint8_t type = 0;
  std::uint8_t endHead = 0, endSectorByte = 0, endCylinderByte = 0;
  std::uint32_t startLba = 0;
  std::uint32_t sectors = 0;
};

// CHS bytes of cylinder 1023, head 254, sector 63, as partitioning tools write
// them for partitions beyond the CHS limit.
inline MbrEntry Entry(std::uint8_t type, std::uint32_t start, std::uint32_t sectors,
                      std::uint8_t status = 0) {
  return MbrEntry{status, 254, 0xFF, 0xFF, type, 254, 0xFF, 0xFF, start, sectors};
}

// The CHS bytes of `lba` on a disk of 255 heads and 63 sectors per track; past
// cylinder 1023 the usual 1023/254/63 stands in.
inline void ChsBytes(std::uint32_t lba, std::uint8_t& head, std::uint8_t& sectorByte,
                     std::uint8_t& cylinderByte) {
  std::uint32_t cylinder = lba / (255 * 63);
  std::uint32_t h = lba / 63 % 255;
  std::uint32_t sector = lba % 63 + 1;
  if (cylinder > 1023) cylinder = 1023, h = 254, sector = 63;
  head = static_cast<std::uint8_t>(h);
  sectorByte = static_cast<std::uint8_t>(sector | ((cylinder >> 2) & 0xC0));
  cylinderByte = static_cast<std::uint8_t>(cylinder);
}

// An entry whose CHS fields name its sectors; `base` is what its start is
// relative to (the EBR's or the extended partition's LBA, 0 in sector 0).
inline MbrEntry ChsEntry(std::uint8_t type, std::uint32_t start, std::uint32_t sectors,
                         std::uint8_t status = 0, std::uint32_t base = 0) {
  MbrEntry e{status, 0, 0, 0, type, 0, 0, 0, start, sectors};
  ChsBytes(base + start, e.startHead, e.startSectorByte, e.startCylinderByte);
  ChsBytes(base + start + sectors - 1, e.endHead, e.endSectorByte, e.endCylinderByte);
  return e;
}

class DiskImage {
 public:
  explicit DiskImage(std::size_t bytes, std::uint32_t sectorSize = 512)
      : bytes_(bytes, 0), sectorSize_(sectorSize) {}

  std::vector<std::uint8_t>& Bytes() { return bytes_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::uint32_t SectorSize() const { return sectorSize_; }
  std::uint8_t* At(std::uint64_t offset) { return bytes_.data() + offset; }
  std::uint8_t* Sector(std::uint64_t lba) { return At(lba * sectorSize_); }

  void U8(std::uint64_t offset, std::uint64_t v) { Le(offset, v, 1); }
  void U16(std::uint64_t offset, std::uint64_t v) { Le(offset, v, 2); }
  void U32(std::uint64_t offset, std::uint64_t v) { Le(offset, v, 4); }
  void U64(std::uint64_t offset, std::uint64_t v) { Le(offset, v, 8); }
  // Copies `s` without a terminator: fields are padded by the zeros around it.
  void Text(std::uint64_t offset, std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) bytes_.at(offset + i) = static_cast<std::uint8_t>(s[i]);
  }
  // Copies `b` to `offset`, dropping what would lie past the end of the disk.
  void PutClipped(std::uint64_t offset, const std::vector<std::uint8_t>& b) {
    if (offset >= bytes_.size()) return;
    const std::size_t n = std::min<std::size_t>(b.size(), bytes_.size() - offset);
    std::copy(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n),
              bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  }

  // Entry i (0 to 3) of the partition table in the sector at `lba`.
  void PutEntry(std::uint64_t lba, int i, const MbrEntry& e) {
    const std::uint64_t o =
        lba * sectorSize_ + kPartitionTableOffset + kPartitionEntrySize * static_cast<std::uint64_t>(i);
    U8(o + mbr_entry::kStatus, e.status);
    U8(o + mbr_entry::kStartHead, e.startHead);
    U8(o + mbr_entry::kStartSector, e.startSectorByte);
    U8(o + mbr_entry::kStartCylinder, e.startCylinderByte);
    U8(o + mbr_entry::kType, e.type);
    U8(o + mbr_entry::kEndHead, e.endHead);
    U8(o + mbr_entry::kEndSector, e.endSectorByte);
    U8(o + mbr_entry::kEndCylinder, e.endCylinderByte);
    U32(o + mbr_entry::kStartLba, e.startLba);
    U32(o + mbr_entry::kSectorCount, e.sectors);
  }
  void PutBootSignature(std::uint64_t lba) { U16(lba * sectorSize_ + kBootSignatureOffset, kBootSignature); }
  void PutDiskSignature(std::uint32_t signature) { U32(kDiskSignatureOffset, signature); }
  // A partition table sector (an EBR, or sector 0 without its signature): the
  // entries from slot 0, and 0x55 0xAA.
  void PutTable(std::uint64_t lba, const std::vector<MbrEntry>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) PutEntry(lba, static_cast<int>(i), entries[i]);
    PutBootSignature(lba);
  }

 private:
  void Le(std::uint64_t offset, std::uint64_t v, unsigned width) {
    for (unsigned i = 0; i < width; ++i) bytes_.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
  }

  std::vector<std::uint8_t> bytes_;
  std::uint32_t sectorSize_;
};

}  // namespace disklens::test
