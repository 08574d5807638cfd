// The trailer record at the start of the last sector of a type 0xDA partition.
#pragma once

#include "bytes/bytes.h"

namespace disklens {

// Prints the 7 fields of the record in `lastSector`; a sector holding no
// trailer is printed all the same.
void PrintImageTrailer(ByteView lastSector);

}  // namespace disklens
