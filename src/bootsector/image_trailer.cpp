#include "bootsector/image_trailer.h"

#include "bootsector/field_lines.h"

namespace disklens {

void PrintImageTrailer(ByteView s) {
  PrintTextField("Image Label", s, 0x00, 4);
  PrintDecimalField("Total Sectors (Uncomp)", s.U32(0x04));
  PrintHexField("Flag", s.U16(0x08));
  PrintDecimalField("Unused Bytes LS", s.U16(0x0A));
  PrintDecimalField("FS", s.U8(0x0C));
  PrintDecimalField("DFS", s.U8(0x0D));
  // Packed: this one starts at 0x0E, across the 4-byte boundary.
  PrintDecimalField("Total Sectors (Comp)", s.U32(0x0E));
}

}  // namespace disklens
