// Boot sectors of the volumes the text's decoders do not know, built by hand
// from their published layouts (no tool here writes BitLocker or ReFS), and
// the exFAT boot checksum written out afresh from Microsoft's description, so
// that the tests do not take the program's own.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace disklens::test {

inline void Le(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v, unsigned width) {
  for (unsigned i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The published loop: rotate right by one, add the byte; bytes 106, 107 and
// 112 of the first sector (VolumeFlags, PercentInUse) are left out.
inline std::uint32_t OwnExfatChecksum(const std::uint8_t* region, std::size_t sectorSize) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < 11 * sectorSize; ++i) {
    if (i == 106 || i == 107 || i == 112) continue;
    sum = ((sum << 31) | (sum >> 1)) + region[i];
  }
  return sum;
}

// Writes the checksum sector (11) of the region at `region`.
inline void SealExfatRegion(std::uint8_t* region, std::size_t sectorSize) {
  const std::uint32_t sum = OwnExfatChecksum(region, sectorSize);
  for (std::size_t i = 0; i < sectorSize; i += 4) {
    for (unsigned k = 0; k < 4; ++k) region[11 * sectorSize + i + k] = static_cast<std::uint8_t>(sum >> (8 * k));
  }
}

// Both boot regions (24 sectors) of an exFAT volume of `volumeLength` sectors
// of 2^shift bytes, with some boot code in an extended boot sector, sealed.
inline std::vector<std::uint8_t> ExfatRegions(unsigned shift, std::uint64_t volumeLength) {
  const std::size_t ss = std::size_t{1} << shift;
  std::vector<std::uint8_t> b(24 * ss);
  b[0] = 0xEB, b[1] = 0x76, b[2] = 0x90;
  std::memcpy(&b[3], "EXFAT   ", 8);
  Le(b, 72, volumeLength, 8);
  Le(b, 80, 24, 4);                 // FAT offset
  Le(b, 84, 8, 4);                  // FAT length
  Le(b, 88, 32, 4);                 // cluster heap offset
  Le(b, 92, (volumeLength - 32) / 8, 4);
  Le(b, 96, 4, 4);                  // root directory cluster
  Le(b, 100, 0x1234ABCD, 4);        // serial
  Le(b, 104, 0x0100, 2);            // revision 1.00
  Le(b, 106, 0x0002, 2);            // volume dirty
  b[108] = static_cast<std::uint8_t>(shift);
  b[109] = 3;
  b[110] = 1;
  b[111] = 0x80;
  b[112] = 7;
  Le(b, 510, 0xAA55, 2);
  for (unsigned s = 1; s <= 8; ++s) Le(b, s * ss + ss - 4, 0xAA550000u, 4);
  b[ss + 20] = 0x42;  // boot code in the first extended boot sector
  SealExfatRegion(b.data(), ss);
  std::memcpy(&b[12 * ss], b.data(), 12 * ss);
  return b;
}

inline constexpr std::uint8_t kBitLockerGuid[16] = {0x3B, 0xD6, 0x67, 0x49, 0x29, 0x2E, 0xD8, 0x4A,
                                                    0x83, 0x99, 0xF6, 0xA3, 0x39, 0xE3, 0xD0, 0x01};

// The BIOS parameter block every BitLocker header keeps, and the signature.
inline std::vector<std::uint8_t> BitLockerCommon(const char* signature, std::uint8_t jump) {
  std::vector<std::uint8_t> b(512);
  b[0] = 0xEB, b[1] = jump, b[2] = 0x90;
  std::memcpy(&b[3], signature, 8);
  Le(b, 11, 512, 2);
  b[13] = 8;
  Le(b, 14, 0, 2);
  b[21] = 0xF8;
  Le(b, 24, 63, 2);
  Le(b, 26, 255, 2);
  Le(b, 28, 2048, 4);
  Le(b, 510, 0xAA55, 2);
  return b;
}

// Windows Vista: NTFS-shaped, one metadata block by cluster.
inline std::vector<std::uint8_t> BitLockerVista(std::uint64_t sectors) {
  std::vector<std::uint8_t> b = BitLockerCommon("-FVE-FS-", 0x52);
  Le(b, 40, sectors, 8);
  Le(b, 48, 4, 8);          // MFT cluster
  Le(b, 56, 0x1234, 8);     // FVE metadata cluster
  Le(b, 72, 0x0123456789ABCDEFull, 8);
  return b;
}

// Windows 7 and later: FAT32-shaped, the identifier at 160, three offsets.
inline std::vector<std::uint8_t> BitLocker7(std::uint32_t sectors32) {
  std::vector<std::uint8_t> b = BitLockerCommon("-FVE-FS-", 0x58);
  Le(b, 32, sectors32, 4);
  Le(b, 67, 0xCAFEF00D, 4);
  std::memcpy(&b[71], "NO NAME    FAT32   ", 19);
  std::memcpy(&b[160], kBitLockerGuid, 16);
  Le(b, 176, 0x02100000, 8);
  Le(b, 184, 0x12100000, 8);
  Le(b, 192, 0x22100000, 8);
  return b;
}

// BitLocker To Go: a FAT32 discovery volume, the identifier at 424.
inline std::vector<std::uint8_t> BitLockerToGo() {
  std::vector<std::uint8_t> b = BitLockerCommon("MSWIN4.1", 0x58);
  Le(b, 14, 32, 2);
  b[16] = 2;
  Le(b, 32, 65536, 4);
  Le(b, 36, 512, 4);
  Le(b, 44, 2, 4);
  Le(b, 48, 1, 2);
  Le(b, 50, 6, 2);
  b[66] = 0x29;
  Le(b, 67, 0x0BADCAFE, 4);
  std::memcpy(&b[71], "NO NAME    FAT32   ", 19);
  std::memcpy(&b[424], kBitLockerGuid, 16);
  Le(b, 440, 0x01000000, 8);
  Le(b, 448, 0x11000000, 8);
  Le(b, 456, 0x21000000, 8);
  return b;
}

inline std::vector<std::uint8_t> Refs(std::uint64_t sectors) {
  std::vector<std::uint8_t> b(512);
  std::memcpy(&b[3], "ReFS\0\0\0", 8);
  std::memcpy(&b[16], "FSRS", 4);
  Le(b, 20, 512, 2);
  Le(b, 24, sectors, 8);
  Le(b, 32, 512, 4);
  Le(b, 36, 128, 4);
  b[40] = 3, b[41] = 4;
  Le(b, 56, 0x1122334455667788ull, 8);
  return b;
}

}  // namespace disklens::test
