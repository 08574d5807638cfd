// The FAT12/16 boot sector, one labelled line per field.
#pragma once

#include "bytes/bytes.h"

namespace disklens {

// Prints the 21 fields of `sector` (what was read of it); no field is checked.
void PrintFatBootSector(ByteView sector);

}  // namespace disklens
