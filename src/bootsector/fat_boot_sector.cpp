#include "bootsector/fat_boot_sector.h"

#include "bootsector/field_lines.h"

namespace disklens {

void PrintFatBootSector(ByteView s) {
  PrintJumpField("Jump", s);
  PrintTextField("OEM Name", s, 0x03, 8);
  PrintDecimalField("Bytes Per Sec", s.U16(0x0B));
  PrintDecimalField("Sec Per Clust", s.U8(0x0D));
  PrintDecimalField("Res Sectors", s.U16(0x0E));
  PrintDecimalField("Num FATs", s.U8(0x10));
  PrintDecimalField("Root Dir Ents", s.U16(0x11));
  PrintDecimalField("Sectors", s.U16(0x13));
  PrintHexField("Media", s.U8(0x15));
  PrintDecimalField("Secs Per FAT", s.U16(0x16));
  PrintDecimalField("Sec Per Track", s.U16(0x18));
  PrintDecimalField("Heads", s.U16(0x1A));
  PrintDecimalField("Hidden Secs", s.U32(0x1C));
  PrintDecimalField("Huge Sectors", s.U32(0x20));
  // The extended fields are printed whatever the signature byte says.
  PrintHexField("Drive Num", s.U8(0x24));
  PrintHexField("Res", s.U8(0x25));
  PrintHexField("Sig", s.U8(0x26));
  PrintHexField("Vol ID", s.U32(0x27));
  PrintTextField("Volume Label", s, 0x2B, 11);
  PrintTextField("FS Type", s, 0x36, 8);
  PrintHexField("Boot Flag", s.U16(0x1FE));
}

}  // namespace disklens
