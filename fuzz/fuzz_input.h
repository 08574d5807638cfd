// How a fuzz input describes one disk: a 4-byte header, then the disk's first
// bytes; the seed generator writes the same layout.
//
//   byte 0   flags: bit 0 sectors of 4,096 bytes (else 512); bit 1 the sector
//            at the LBA of bytes 1-2 fails to read; bit 2 rewrite the GPT's two
//            CRC-32s before the pass, so that mutations reach past the checksums;
//            bit 3 run as Windows 9x, through DKHLP32; bit 4 the ReadFile call
//            whose number (from 1) is bytes 1-2 fails, wherever it reads
//   byte 1-2 the failing LBA or call number, little-endian
//   byte 3   zero bytes that follow the data, in units of 512
//
// The disk is the data and the zeros behind it: any length, whole sectors or not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace disklens::fuzz {

inline constexpr std::size_t kHeaderSize = 4;
inline constexpr std::uint8_t kFlag4096 = 1;
inline constexpr std::uint8_t kFlagFailingLba = 2;
inline constexpr std::uint8_t kFlagSealGpt = 4;
inline constexpr std::uint8_t kFlagWin9x = 8;
inline constexpr std::uint8_t kFlagFailingCall = 16;
inline constexpr std::size_t kTailUnit = 512;

struct FuzzDisk {
  std::uint32_t sectorSize = 512;
  std::optional<std::uint64_t> failingLba;
  std::uint32_t failingReadCall = 0;  // 0: none
  bool sealGpt = false;
  bool win9x = false;
  std::vector<std::uint8_t> bytes;
};

inline FuzzDisk DecodeFuzzInput(const std::uint8_t* data, std::size_t size) {
  FuzzDisk disk;
  std::uint8_t header[kHeaderSize] = {};
  for (std::size_t i = 0; i < kHeaderSize && i < size; ++i) header[i] = data[i];
  disk.sectorSize = (header[0] & kFlag4096) != 0 ? 4096 : 512;
  const auto number = static_cast<std::uint32_t>(header[1] | (header[2] << 8));
  if ((header[0] & kFlagFailingLba) != 0) disk.failingLba = number;
  if ((header[0] & kFlagFailingCall) != 0) disk.failingReadCall = number;
  disk.sealGpt = (header[0] & kFlagSealGpt) != 0;
  disk.win9x = (header[0] & kFlagWin9x) != 0;
  if (size > kHeaderSize) disk.bytes.assign(data + kHeaderSize, data + size);
  disk.bytes.resize(disk.bytes.size() + header[3] * kTailUnit, 0);
  return disk;
}

// The input for `disk`; whole 512-byte blocks of zeros at its end go into the tail.
inline std::vector<std::uint8_t> EncodeFuzzInput(const FuzzDisk& disk) {
  std::size_t length = disk.bytes.size();
  std::size_t tail = 0;
  while (tail < 255 && length >= kTailUnit) {
    bool zeros = true;
    for (std::size_t i = length - kTailUnit; i < length && zeros; ++i) zeros = disk.bytes[i] == 0;
    if (!zeros) break;
    length -= kTailUnit;
    ++tail;
  }
  std::uint8_t flags = 0;
  if (disk.sectorSize == 4096) flags |= kFlag4096;
  const std::uint64_t failing = disk.failingLba.value_or(disk.failingReadCall);
  if (disk.failingLba) flags |= kFlagFailingLba;
  if (disk.failingReadCall != 0) flags |= kFlagFailingCall;
  if (disk.sealGpt) flags |= kFlagSealGpt;
  if (disk.win9x) flags |= kFlagWin9x;
  std::vector<std::uint8_t> input = {flags, static_cast<std::uint8_t>(failing),
                                     static_cast<std::uint8_t>(failing >> 8),
                                     static_cast<std::uint8_t>(tail)};
  input.insert(input.end(), disk.bytes.begin(),
               disk.bytes.begin() + static_cast<std::ptrdiff_t>(length));
  return input;
}

}  // namespace disklens::fuzz
