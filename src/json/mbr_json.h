// The "mbr" member: sector 0's table as stored.
#pragma once

#include "json/json_document.h"
#include "report/mbr_record.h"

namespace disklens {

// One partition entry of sector 0 or of an EBR, as stored; `index` 0 to 3.
JsonValue PartitionEntryJson(const MbrPartitionEntry& entry, int index);

// Null when sector 0 could not be read.
JsonValue MbrJson(const MbrRecord& mbr);

}  // namespace disklens
