// The NTFS boot sector, one labelled line per field.
#pragma once

#include "bytes/bytes.h"

namespace disklens {

// Prints the 23 fields of `sector` (what was read of it); no field is checked.
void PrintNtfsBootSector(ByteView sector);

}  // namespace disklens
