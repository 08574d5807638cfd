#include "bootsector/ntfs_boot_sector.h"

#include "bootsector/boot_fields.h"

namespace disklens {

void PrintNtfsBootSector(ByteView s) { PrintBootFields(kNtfsBootFields, s); }

}  // namespace disklens
