#include "bootsector/fat32_boot_sector.h"

#include "bootsector/boot_fields.h"

namespace disklens {

void PrintFat32BootSector(ByteView p, ByteView b) { PrintBootFieldPairs(kFat32BootFields, p, b); }

}  // namespace disklens
