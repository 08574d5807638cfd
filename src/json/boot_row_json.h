// One object of "boot_sectors": a BOOT SECTOR INFORMATION row and its fields.
#pragma once

#include "bootsector/boot_row.h"
#include "json/json_writer.h"

namespace disklens {

void WriteBootRowJson(JsonWriter& json, const BootRowRecord& record);

}  // namespace disklens
