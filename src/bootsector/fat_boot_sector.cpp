#include "bootsector/fat_boot_sector.h"

#include "bootsector/boot_fields.h"

namespace disklens {

void PrintFatBootSector(ByteView s) { PrintBootFields(kFatBootFields, s); }

}  // namespace disklens
