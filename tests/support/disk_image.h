// Builds disk contents byte by byte for tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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

class DiskImage {
 public:
  explicit DiskImage(std::size_t bytes, std::uint32_t sectorSize = 512)
      : bytes_(bytes, 0), sectorSize_(sectorSize) {}

  std::vector<std::uint8_t>& Bytes() { return bytes_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::uint32_t SectorSize() const { return sectorSize_; }
  std::uint8_t* At(std::uint64_t offset) { return bytes_.data() + offset; }
  std::uint8_t* Sector(std::uint64_t lba) { return At(lba * sectorSize_); }

  void U8(std::uint64_t offset, std::uint8_t v) { bytes_.at(offset) = v; }
  void U16(std::uint64_t offset, std::uint16_t v) {
    for (unsigned i = 0; i < 2; ++i) bytes_.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void U32(std::uint64_t offset, std::uint32_t v) {
    for (unsigned i = 0; i < 4; ++i) bytes_.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void U64(std::uint64_t offset, std::uint64_t v) {
    for (unsigned i = 0; i < 8; ++i) bytes_.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void Text(std::uint64_t offset, const std::string& s) {
    std::memcpy(bytes_.data() + offset, s.data(), s.size());
  }

  // An MBR-style entry i (0 to 3) of the sector at `lba`.
  void PutEntry(std::uint64_t lba, int i, const MbrEntry& e) {
    const std::uint64_t o = lba * sectorSize_ + 446 + 16 * static_cast<std::uint64_t>(i);
    const std::uint8_t raw[8] = {e.status,       e.startHead, e.startSectorByte, e.startCylinderByte,
                                 e.type,         e.endHead,   e.endSectorByte,   e.endCylinderByte};
    std::memcpy(bytes_.data() + o, raw, 8);
    U32(o + 8, e.startLba);
    U32(o + 12, e.sectors);
  }
  void PutBootSignature(std::uint64_t lba) {
    U8(lba * sectorSize_ + 510, 0x55);
    U8(lba * sectorSize_ + 511, 0xAA);
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint32_t sectorSize_;
};

}  // namespace disklens::test
