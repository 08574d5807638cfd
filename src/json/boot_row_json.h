// One object of "boot_sectors": a BOOT SECTOR INFORMATION row and its fields.
#pragma once

#include "bootsector/boot_row.h"
#include "json/json_document.h"

namespace disklens {

JsonValue BootRowJson(const BootRowRecord& record);

}  // namespace disklens
