#include "bootsector/fat32_boot_sector.h"

#include "bootsector/field_lines.h"
#include "report/output.h"

namespace disklens {

namespace {

// The upper 4 bits of a FAT32 cluster number are reserved.
constexpr std::uint32_t kClusterMask = 0x0FFFFFFF;

void Decimal8(const char* label, ByteView p, ByteView b, std::size_t offset) {
  PrintDecimalPair(label, p.U8(offset), b.U8(offset));
}
void Decimal16(const char* label, ByteView p, ByteView b, std::size_t offset) {
  PrintDecimalPair(label, p.U16(offset), b.U16(offset));
}
void Decimal32(const char* label, ByteView p, ByteView b, std::size_t offset) {
  PrintDecimalPair(label, p.U32(offset), b.U32(offset));
}
void Hex8(const char* label, ByteView p, ByteView b, std::size_t offset) {
  PrintHexPair(label, p.U8(offset), b.U8(offset));
}
void Hex16(const char* label, ByteView p, ByteView b, std::size_t offset) {
  PrintHexPair(label, p.U16(offset), b.U16(offset));
}

}  // namespace

void PrintFat32BootSector(ByteView p, ByteView b) {
  PrintJumpPair("Jump", p, b);
  PrintTextPair("OEM Name", p, b, 0x03, 8);
  Decimal16("Bytes Per Sec", p, b, 0x0B);
  Decimal8("Sec Per Clust", p, b, 0x0D);
  Decimal16("Res Sectors", p, b, 0x0E);
  Decimal8("Num FATs", p, b, 0x10);
  Decimal16("Root Dir Ents", p, b, 0x11);
  Decimal16("Sectors", p, b, 0x13);
  Hex8("Media", p, b, 0x15);
  Decimal16("Secs Per FAT", p, b, 0x16);
  Decimal16("Sec Per Track", p, b, 0x18);
  Decimal16("Heads", p, b, 0x1A);
  Decimal32("Hidden Secs", p, b, 0x1C);
  Decimal32("Huge Sectors", p, b, 0x20);
  Decimal32("Huge Secs Per FAT", p, b, 0x24);
  Hex16("Flags", p, b, 0x28);
  Decimal16("Version", p, b, 0x2A);
  // The primary shows the cluster number, the backup its raw field, so that
  // reserved bits set in the backup stay visible.
  PrintDecimalPair("Root Dir Clust", p.U32(0x2C) & kClusterMask, b.U32(0x2C));
  Decimal16("FS Info Sec", p, b, 0x30);
  Decimal16("FS Bkup Sec", p, b, 0x32);
  PrintLabel("Reserved");
  Print("%2X %2X %2X %2X %2X %2X", p.U16(0x34), p.U16(0x36), p.U16(0x38), p.U16(0x3A),
        p.U16(0x3C), p.U16(0x3E));
  Hex8("Drive Num", p, b, 0x40);
  Hex8("Res", p, b, 0x41);
  Hex8("Boot Sig", p, b, 0x42);
  PrintHexPair("Vol ID", p.U32(0x43), b.U32(0x43));
  PrintTextPair("Volume Label", p, b, 0x47, 11);
  PrintTextPair("FS Type", p, b, 0x52, 8);
  Hex16("Boot Flag", p, b, 0x1FE);
}

}  // namespace disklens
