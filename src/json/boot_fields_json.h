// A boot record's fields by name, from the same table the text report prints.
#pragma once

#include "bootsector/boot_fields.h"
#include "json/json_document.h"

namespace disklens {

// `primary` false for a FAT32 backup copy, whose root cluster stays raw.
JsonValue BootFieldsJson(BootFieldTable table, ByteView sector, bool primary = true);

}  // namespace disklens
