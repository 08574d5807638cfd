// The FAT32 boot sector beside its backup copy, for comparing them line by line.
#pragma once

#include "bytes/bytes.h"

namespace disklens {

// Prints the 28 lines of the primary sector, each (but "Reserved") followed by
// the backup's value in parentheses; no field is checked, no verdict given.
void PrintFat32BootSector(ByteView primary, ByteView backup);

}  // namespace disklens
