// The GPT of a test disk: the header at LBA 1 and its entry array, with the
// backup copies at the end of the disk when asked, the CRC-32s taken from zlib
// rather than from the routine under test.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "layout/gpt.h"
#include "support/disk_image.h"

namespace disklens::test {

// The fields are written where the program reads them: the names of
// layout/gpt.h (gpt_header::, gpt_entry::).

// Partition type GUIDs the test disks use.
inline constexpr char kEspType[] = "C12A7328-F81F-11D2-BA4B-00A0C93EC93B";
inline constexpr char kBasicDataType[] = "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7";
inline constexpr char kMsReservedType[] = "E3C9E316-0B5C-4DB8-817D-F92DF00215AE";
inline constexpr char kLinuxType[] = "0FC63DAF-8483-4772-8E79-3D69D8477DE4";
inline constexpr char kSwapType[] = "0657FD6D-A4AB-43C4-84E5-0933C84B4F4F";

// The 16 bytes of a UUID in the order written, as Linux file systems store it;
// braces around the text are allowed.
inline std::array<std::uint8_t, 16> UuidBytes(std::string text) {
  if (!text.empty() && text.front() == '{') text = text.substr(1, text.size() - 2);
  unsigned b[16] = {};
  std::sscanf(text.c_str(), "%2x%2x%2x%2x-%2x%2x-%2x%2x-%2x%2x-%2x%2x%2x%2x%2x%2x", &b[0], &b[1],
              &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &b[8], &b[9], &b[10], &b[11], &b[12],
              &b[13], &b[14], &b[15]);
  std::array<std::uint8_t, 16> u{};
  for (std::size_t i = 0; i < 16; ++i) u[i] = static_cast<std::uint8_t>(b[i]);
  return u;
}

// The 16 on-disk bytes of a GUID written as text: the first three groups
// little-endian, the last two in storage order.
inline std::array<std::uint8_t, 16> GuidBytes(const std::string& text) {
  const std::array<std::uint8_t, 16> u = UuidBytes(text);
  constexpr std::size_t kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  std::array<std::uint8_t, 16> g{};
  for (std::size_t i = 0; i < 16; ++i) g[i] = u[kOrder[i]];
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

inline void PutGuid(std::vector<std::uint8_t>& d, std::size_t at, const std::string& text) {
  const auto g = GuidBytes(text);
  for (std::size_t i = 0; i < 16; ++i) d.at(at + i) = g[i];
}

// Recomputes both CRCs of the header at image LBA `headerLba`, whose array lies
// at image LBA `arrayLba`, the array's first; an array past the end of `disk`
// keeps the CRC it has.
inline void SealGptAt(std::vector<std::uint8_t>& disk, std::uint32_t sectorSize,
                      std::uint64_t headerLba, std::uint64_t arrayLba) {
  const std::size_t h = static_cast<std::size_t>(headerLba) * sectorSize;
  const std::uint64_t arrayBytes =
      GetLe(disk, h + gpt_header::kEntryCount, 4) * GetLe(disk, h + gpt_header::kEntrySize, 4);
  const std::size_t entries = static_cast<std::size_t>(arrayLba) * sectorSize;
  if (entries + arrayBytes <= disk.size()) {
    PutLe(disk, h + gpt_header::kEntryArrayCrc,
          ZlibCrc(disk.data() + entries, static_cast<std::size_t>(arrayBytes)), 4);
  }
  PutLe(disk, h + gpt_header::kHeaderCrc, 0, 4);
  const std::size_t headerSize = static_cast<std::size_t>(GetLe(disk, h + gpt_header::kHeaderSize, 4));
  PutLe(disk, h + gpt_header::kHeaderCrc, ZlibCrc(disk.data() + h, headerSize), 4);
}

// Recomputes both CRCs of the header at LBA 1, with its array where it says.
inline void SealGpt(std::vector<std::uint8_t>& disk, std::uint32_t sectorSize) {
  SealGptAt(disk, sectorSize, 1, GetLe(disk, sectorSize + gpt_header::kEntryLba, 8));
}

// Fills in the fields left 0 for a disk of `sectors` sectors.
inline GptHeaderFields Resolved(GptHeaderFields f, std::uint64_t sectors, std::uint32_t sectorSize) {
  const std::uint64_t arraySectors =
      (static_cast<std::uint64_t>(f.entryCount) * f.entrySize + sectorSize - 1) / sectorSize;
  if (f.alternateLba == 0) f.alternateLba = sectors - 1;
  if (f.firstUsableLba == 0) f.firstUsableLba = 2 + arraySectors;
  if (f.lastUsableLba == 0) f.lastUsableLba = f.alternateLba - 1 - arraySectors;
  return f;
}

// The header's fields, CRCs aside, at image LBA `lba`.
inline void PutGptHeader(std::vector<std::uint8_t>& disk, std::uint32_t sectorSize,
                         std::uint64_t lba, const GptHeaderFields& f) {
  const std::size_t h = static_cast<std::size_t>(lba) * sectorSize;
  for (std::size_t i = 0; i < 8; ++i) disk.at(h + gpt_header::kSignature + i) = static_cast<std::uint8_t>("EFI PART"[i]);
  PutLe(disk, h + gpt_header::kRevision, f.revision, 4);
  PutLe(disk, h + gpt_header::kHeaderSize, f.headerSize, 4);
  PutLe(disk, h + gpt_header::kMyLba, f.myLba, 8);
  PutLe(disk, h + gpt_header::kAlternateLba, f.alternateLba, 8);
  PutLe(disk, h + gpt_header::kFirstUsableLba, f.firstUsableLba, 8);
  PutLe(disk, h + gpt_header::kLastUsableLba, f.lastUsableLba, 8);
  PutGuid(disk, h + gpt_header::kDiskGuid, f.diskGuid);
  PutLe(disk, h + gpt_header::kEntryLba, f.entryLba, 8);
  PutLe(disk, h + gpt_header::kEntryCount, f.entryCount, 4);
  PutLe(disk, h + gpt_header::kEntrySize, f.entrySize, 4);
}

// The entries, each in its slot of `entrySize` bytes, into the array at image LBA `lba`.
inline void PutGptEntries(std::vector<std::uint8_t>& disk, std::uint32_t sectorSize,
                          std::uint64_t lba, std::uint32_t entrySize,
                          const std::vector<GptEntryFields>& entries) {
  for (const GptEntryFields& e : entries) {
    const std::size_t at = static_cast<std::size_t>(lba) * sectorSize +
                           static_cast<std::size_t>(e.slot) * entrySize;
    PutGuid(disk, at + gpt_entry::kTypeGuid, e.typeGuid);
    PutGuid(disk, at + gpt_entry::kUniqueGuid, e.uniqueGuid);
    PutLe(disk, at + gpt_entry::kStartLba, e.startLba, 8);
    PutLe(disk, at + gpt_entry::kEndLba, e.endLba, 8);
    PutLe(disk, at + gpt_entry::kAttributes, e.attributes, 8);
    for (std::size_t i = 0; i < e.name.size() && i < gpt_entry::kNameUnits; ++i)
      PutLe(disk, at + gpt_entry::kName + 2 * i, e.name[i], 2);
  }
}

// Writes the header at LBA 1 and the entries into the array at entryLba, then
// seals it. `disk` must hold the header and the whole array.
inline void WriteGpt(std::vector<std::uint8_t>& disk, std::uint32_t sectorSize, GptHeaderFields f,
                     const std::vector<GptEntryFields>& entries) {
  f = Resolved(f, disk.size() / sectorSize, sectorSize);
  PutGptHeader(disk, sectorSize, 1, f);
  PutGptEntries(disk, sectorSize, f.entryLba, f.entrySize, entries);
  SealGpt(disk, sectorSize);
}

// The backup of the GPT that `f` describes (resolved): the header at
// alternateLba, the array just in front of it, both sealed. `imageLba` is the
// disk's LBA of the image's first sector, for a piece of a larger disk.
inline void WriteBackupGpt(std::vector<std::uint8_t>& disk, std::uint32_t sectorSize,
                           const GptHeaderFields& f, const std::vector<GptEntryFields>& entries,
                           std::uint64_t imageLba = 0) {
  const std::uint64_t arraySectors =
      (static_cast<std::uint64_t>(f.entryCount) * f.entrySize + sectorSize - 1) / sectorSize;
  GptHeaderFields b = f;
  b.myLba = f.alternateLba;
  b.alternateLba = f.myLba;
  b.entryLba = f.alternateLba - arraySectors;
  PutGptHeader(disk, sectorSize, b.myLba - imageLba, b);
  PutGptEntries(disk, sectorSize, b.entryLba - imageLba, b.entrySize, entries);
  SealGptAt(disk, sectorSize, b.myLba - imageLba, b.entryLba - imageLba);
}

// A protective MBR over the whole disk (at most 2^32 - 1 sectors named).
inline void PutProtectiveMbr(DiskImage& disk, std::uint64_t sectors) {
  const std::uint64_t named = sectors - 1 > 0xFFFFFFFFu ? 0xFFFFFFFFu : sectors - 1;
  disk.PutEntry(0, 0, Entry(0xEE, 1, static_cast<std::uint32_t>(named)));
  disk.PutBootSignature(0);
}

// A GPT with its backup at the end of `disk`.
inline void WriteGptWithBackup(DiskImage& disk, const GptHeaderFields& f,
                               const std::vector<GptEntryFields>& entries) {
  const std::uint32_t s = disk.SectorSize();
  WriteGpt(disk.Bytes(), s, f, entries);
  WriteBackupGpt(disk.Bytes(), s, Resolved(f, disk.Bytes().size() / s, s), entries);
}

}  // namespace disklens::test
