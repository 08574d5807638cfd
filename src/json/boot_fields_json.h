// A boot record's fields by name, from the same table the text report prints.
#pragma once

#include "bootsector/boot_fields.h"
#include "json/json_writer.h"

namespace disklens {

// The fields as one object. `primary` false for a FAT32 backup copy, whose
// root cluster stays raw.
void WriteBootFieldsJson(JsonWriter& json, BootFieldTable table, ByteView sector,
                         bool primary = true);

}  // namespace disklens
