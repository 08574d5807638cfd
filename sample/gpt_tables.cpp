#include "gpt_tables.h"

#include <array>
#include <stdexcept>

namespace disklens::sample {
namespace {

constexpr std::uint32_t kEntryCount = 128;
constexpr std::uint32_t kEntrySize = 128;
constexpr std::uint32_t kArraySectors = kEntryCount * kEntrySize / kSectorSize;  // 32
constexpr std::uint32_t kHeaderSize = 92;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  throw std::invalid_argument("bad GUID digit");
}

// The header for one copy: at `myLba`, its array at `arrayLba`.
Bytes Header(const SampleDisk& disk, const Bytes& diskGuid, std::uint64_t myLba,
             std::uint64_t alternateLba, std::uint64_t arrayLba, std::uint32_t arrayCrc) {
  Bytes h = Sector();
  PutText(h, 0, "EFI PART");
  Put32(h, 8, 0x00010000);
  Put32(h, 12, kHeaderSize);
  Put64(h, 24, myLba);
  Put64(h, 32, alternateLba);
  Put64(h, 40, 2 + kArraySectors);
  Put64(h, 48, disk.sectors - 2 - kArraySectors);
  for (std::size_t i = 0; i < 16; ++i) h[56 + i] = diskGuid[i];
  Put64(h, 72, arrayLba);
  Put32(h, 80, kEntryCount);
  Put32(h, 84, kEntrySize);
  Put32(h, 88, arrayCrc);
  Put32(h, 16, Crc32(h.data(), kHeaderSize));  // computed with its own field still 0
  return h;
}

}  // namespace

Bytes UuidBytes(const std::string& text) {
  std::string hex;
  for (const char c : text) {
    if (c != '-') hex.push_back(c);
  }
  if (hex.size() != 32 || text.size() != 36) throw std::invalid_argument("bad GUID " + text);
  Bytes written(16);
  for (std::size_t i = 0; i < 16; ++i) {
    written[i] = static_cast<std::uint8_t>(HexDigit(hex[2 * i]) * 16 + HexDigit(hex[2 * i + 1]));
  }
  return written;
}

Bytes GuidBytes(const std::string& text) {
  const Bytes written = UuidBytes(text);
  const std::array<std::size_t, 16> order{3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  Bytes stored(16);
  for (std::size_t i = 0; i < 16; ++i) stored[i] = written[order[i]];
  return stored;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutGpt(SampleDisk& disk, const std::string& diskGuid, const std::vector<GptPartition>& partitions) {
  if (partitions.size() > kEntryCount) throw std::invalid_argument("too many GPT partitions");
  Bytes array(std::size_t{kEntryCount} * kEntrySize, 0);
  for (std::size_t slot = 0; slot < partitions.size(); ++slot) {
    const GptPartition& p = partitions[slot];
    const std::size_t at = slot * kEntrySize;
    const Bytes type = GuidBytes(p.typeGuid);
    const Bytes unique = GuidBytes(p.uniqueGuid);
    for (std::size_t i = 0; i < 16; ++i) {
      array[at + i] = type[i];
      array[at + 16 + i] = unique[i];
    }
    Put64(array, at + 32, p.firstLba);
    Put64(array, at + 40, p.lastLba);
    Put64(array, at + 48, p.attributes);
    // ASCII names: each character is one UTF-16LE code unit.
    for (std::size_t i = 0; i < p.name.size() && i < 36; ++i) {
      Put16(array, at + 56 + 2 * i, static_cast<std::uint8_t>(p.name[i]));
    }
  }
  const std::uint32_t arrayCrc = Crc32(array.data(), array.size());
  const Bytes guid = GuidBytes(diskGuid);
  const std::uint64_t last = disk.sectors - 1;
  const std::uint64_t backupArray = last - kArraySectors;
  disk.Put(1, Header(disk, guid, 1, last, 2, arrayCrc));
  disk.Put(2, array);
  disk.Put(backupArray, array);
  disk.Put(last, Header(disk, guid, last, 1, backupArray, arrayCrc));
}

}  // namespace disklens::sample
