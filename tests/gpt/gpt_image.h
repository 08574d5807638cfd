// Writes GPT headers and entry arrays into test disks, with the CRCs taken
// from zlib rather than from the routine under test.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace disklens::test {

// The 16 on-disk bytes of a GUID written as text: the first three groups
// little-endian, the last two in storage order.
inline std::array<std::uint8_t, 16> GuidBytes(const std::string& text) {
  unsigned d = 0, w1 = 0, w2 = 0;
  unsigned b[8] = {};
  std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d, &w1, &w2, &b[0], &b[1],
              &b[2], &b[3], &b[4], &b[5], &b[6], &b[7]);
  std::array<std::uint8_t, 16> g{};
  for (int i = 0; i < 4; ++i)
    g[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(d >> (8 * i));
  g[4] = static_cast<std::uint8_t>(w1), g[5] = static_cast<std::uint8_t>(w1 >> 8);
  g[6] = static_cast<std::uint8_t>(w2), g[7] = static_cast<std::uint8_t>(w2 >> 8);
  for (std::size_t i = 0; i < 8; ++i) g[8 + i] = static_cast<std::uint8_t>(b[i]);
  return g;
}

struct GptHeaderFields {
  std::uint32_t revision = 0x00010000;
  std::uint32_t headerSize = 92;
  std::uint64_t myLba = 1;
  std::uint64_t alternateLba = 0;    // 0: the last sector of the disk
  std::uint64_t firstUsableLba = 0;  // 0: the standard value for the sector size
  std::uint64_t lastUsableLba = 0;   // 0: alternateLba minus the array and the header
  std::string diskGuid = "{5A1F2C3D-4B5E-4F60-8172-93A4B5C6D7E8}";
  std::uint64_t entryLba = 2;
  std::uint32_t entryCount = 128;
  std::uint32_t entrySize = 128;
};

struct GptEntryFields {
  std::uint32_t slot = 0;
  std::string typeGuid;
  std::string uniqueGuid;
  std::uint64_t startLba = 0;
  std::uint64_t endLba = 0;
  std::uint64_t attributes = 0;
  std::u16string name;  // at most 36 units are written
};

inline void PutLe(std::vector<std::uint8_t>& d, std::size_t at, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    d.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint64_t GetLe(const std::vector<std::uint8_t>& d, std::size_t at, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d.at(at + static_cast<std::size_t>(i));
  return v;
}

inline std::uint32_t ZlibCrc(const std::uint8_t* data, std::size_t length) {
  return static_cast<std::uint32_t>(crc32(0L, data, static_cast<uInt>(length)));
}

// Recomputes both CRCs of the header at LBA 1 of `disk`, the array one first.
inline void SealGpt(std::vector<std::uint8_t>& disk, std::uint32_t sectorSize) {
  const std::size_t h = sectorSize;
  const std::uint64_t arrayBytes = GetLe(disk, h + 80, 4) * GetLe(disk, h + 84, 4);
  const std::size_t entries = static_cast<std::size_t>(GetLe(disk, h + 72, 8)) * sectorSize;
  if (entries + arrayBytes <= disk.size()) {
    PutLe(disk, h + 88, ZlibCrc(disk.data() + entries, static_cast<std::size_t>(arrayBytes)), 4);
  }
  PutLe(disk, h + 16, 0, 4);
  const std::size_t headerSize = static_cast<std::size_t>(GetLe(disk, h + 12, 4));
  PutLe(disk, h + 16, ZlibCrc(disk.data() + h, headerSize), 4);
}

// Writes the header at LBA 1 and the entries into the array at entryLba, then
// seals it. `disk` must hold the header and the whole array.
inline void WriteGpt(std::vector<std::uint8_t>& disk, std::uint32_t sectorSize, GptHeaderFields f,
                     const std::vector<GptEntryFields>& entries) {
  const std::uint64_t arraySectors =
      (static_cast<std::uint64_t>(f.entryCount) * f.entrySize + sectorSize - 1) / sectorSize;
  if (f.alternateLba == 0) f.alternateLba = disk.size() / sectorSize - 1;
  if (f.firstUsableLba == 0) f.firstUsableLba = 2 + arraySectors;
  if (f.lastUsableLba == 0) f.lastUsableLba = f.alternateLba - 1 - arraySectors;
  const std::size_t h = sectorSize;
  for (std::size_t i = 0; i < 8; ++i) disk.at(h + i) = static_cast<std::uint8_t>("EFI PART"[i]);
  PutLe(disk, h + 8, f.revision, 4);
  PutLe(disk, h + 12, f.headerSize, 4);
  PutLe(disk, h + 24, f.myLba, 8);
  PutLe(disk, h + 32, f.alternateLba, 8);
  PutLe(disk, h + 40, f.firstUsableLba, 8);
  PutLe(disk, h + 48, f.lastUsableLba, 8);
  const auto g = GuidBytes(f.diskGuid);
  for (std::size_t i = 0; i < 16; ++i) disk.at(h + 56 + i) = g[i];
  PutLe(disk, h + 72, f.entryLba, 8);
  PutLe(disk, h + 80, f.entryCount, 4);
  PutLe(disk, h + 84, f.entrySize, 4);
  for (const GptEntryFields& e : entries) {
    const std::size_t at = static_cast<std::size_t>(f.entryLba) * sectorSize +
                           static_cast<std::size_t>(e.slot) * f.entrySize;
    const auto type = GuidBytes(e.typeGuid);
    const auto unique = GuidBytes(e.uniqueGuid);
    for (std::size_t i = 0; i < 16; ++i)
      disk.at(at + i) = type[i], disk.at(at + 16 + i) = unique[i];
    PutLe(disk, at + 32, e.startLba, 8);
    PutLe(disk, at + 40, e.endLba, 8);
    PutLe(disk, at + 48, e.attributes, 8);
    for (std::size_t i = 0; i < e.name.size() && i < 36; ++i)
      PutLe(disk, at + 56 + 2 * i, e.name[i], 2);
  }
  SealGpt(disk, sectorSize);
}

}  // namespace disklens::test
