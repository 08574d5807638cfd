#include "bootsector/ntfs_boot_sector.h"

#include "bootsector/field_lines.h"

namespace disklens {

void PrintNtfsBootSector(ByteView s) {
  PrintJumpField("Jump", s);
  PrintTextField("OEM Name", s, 0x03, 8);
  PrintDecimalField("Bytes Per Sec", s.U16(0x0B));
  PrintDecimalField("Sec Per Clust", s.U8(0x0D));
  PrintDecimalField("Res Sectors", s.U16(0x0E));
  PrintHexField("Zero 1", s.U8(0x10));
  PrintHexField("Zero 2", s.U16(0x11));
  PrintHexField("NA 1", s.U16(0x13));
  PrintHexField("Media", s.U8(0x15));
  PrintHexField("Zero 3", s.U16(0x16));
  PrintDecimalField("Sec Per Track", s.U16(0x18));
  PrintDecimalField("Heads", s.U16(0x1A));
  PrintDecimalField("Hidden Secs", s.U32(0x1C));
  PrintHexField("NA 2", s.U32(0x20));
  PrintHexField("NA 3", s.U32(0x24));
  PrintHex64Field("Total Sectors", s.U64(0x28));
  PrintHex64Field("MFT LCN", s.U64(0x30));
  PrintHex64Field("MFT Mirr LCN", s.U64(0x38));
  // Raw: the encoded byte is not turned into a size, and the bytes after it stay.
  PrintHexField("Clust Per FRS", s.U32(0x40));
  PrintHexField("Clust Per IBlock", s.U32(0x44));
  PrintHex64Field("Volume SN", s.U64(0x48));
  PrintHexField("Checksum", s.U32(0x50));
  PrintHexField("Boot Flag", s.U16(0x1FE));
}

}  // namespace disklens
