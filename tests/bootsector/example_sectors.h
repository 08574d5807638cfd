// The boot sectors behind the worked examples of the report's decoders.
#pragma once

#include <cstdint>

#include "support/disk_image.h"

namespace disklens::test {

inline void WriteFat16Example(DiskImage& disk, std::uint64_t lba) {
  const std::uint64_t o = lba * disk.SectorSize();
  disk.U8(o + 0, 0xEB);
  disk.U8(o + 1, 0x3C);
  disk.U8(o + 2, 0x90);
  disk.Text(o + 0x03, "FORMAT01");
  disk.U16(o + 0x0B, 512);
  disk.U8(o + 0x0D, 64);
  disk.U16(o + 0x0E, 1);
  disk.U8(o + 0x10, 2);
  disk.U16(o + 0x11, 512);
  disk.U16(o + 0x13, 0);
  disk.U8(o + 0x15, 0xF8);
  disk.U16(o + 0x16, 256);
  disk.U16(o + 0x18, 63);
  disk.U16(o + 0x1A, 255);
  disk.U32(o + 0x1C, 63);
  disk.U32(o + 0x20, 4192902);
  disk.U8(o + 0x24, 0x80);
  disk.U8(o + 0x25, 0);
  disk.U8(o + 0x26, 0x29);
  disk.U32(o + 0x27, 0x5C2E1A07);
  disk.Text(o + 0x2B, "SHAREDFILES");
  disk.Text(o + 0x36, "FAT16   ");
  disk.U16(o + 0x1FE, 0xAA55);
}

inline void WriteFat32Example(DiskImage& disk, std::uint64_t lba) {
  const std::uint64_t o = lba * disk.SectorSize();
  disk.U8(o + 0, 0xEB);
  disk.U8(o + 1, 0x58);
  disk.U8(o + 2, 0x90);
  disk.Text(o + 0x03, "FORMAT01");
  disk.U16(o + 0x0B, 512);
  disk.U8(o + 0x0D, 8);
  disk.U16(o + 0x0E, 32);
  disk.U8(o + 0x10, 2);
  disk.U8(o + 0x15, 0xF8);
  disk.U16(o + 0x18, 63);
  disk.U16(o + 0x1A, 255);
  disk.U32(o + 0x1C, 2048);
  disk.U32(o + 0x20, 20971520);
  disk.U32(o + 0x24, 20472);
  disk.U32(o + 0x2C, 2);
  disk.U16(o + 0x30, 1);
  disk.U16(o + 0x32, 6);
  disk.U8(o + 0x40, 0x80);
  disk.U8(o + 0x42, 0x29);
  disk.U32(o + 0x43, 0x1A2B3C4D);
  disk.Text(o + 0x47, "SHAREDFILES");
  disk.Text(o + 0x52, "FAT32   ");
  disk.U16(o + 0x1FE, 0xAA55);
}

inline void WriteNtfsExample(DiskImage& disk, std::uint64_t lba) {
  const std::uint64_t o = lba * disk.SectorSize();
  disk.U8(o + 0, 0xEB);
  disk.U8(o + 1, 0x52);
  disk.U8(o + 2, 0x90);
  disk.Text(o + 0x03, "NTFS    ");
  disk.U16(o + 0x0B, 512);
  disk.U8(o + 0x0D, 8);
  disk.U8(o + 0x15, 0xF8);
  disk.U16(o + 0x18, 63);
  disk.U16(o + 0x1A, 255);
  disk.U32(o + 0x1C, 2048);
  disk.U32(o + 0x24, 0x800080);
  disk.U64(o + 0x28, 0xC34FFFF);
  disk.U64(o + 0x30, 0xC0000);
  disk.U64(o + 0x38, 2);
  disk.U32(o + 0x40, 0xF6);
  disk.U32(o + 0x44, 1);
  disk.U64(o + 0x48, 0x2C4A8E21D3F41B07);
  disk.U16(o + 0x1FE, 0xAA55);
}

}  // namespace disklens::test
