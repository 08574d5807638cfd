// The "embr" member: the EMBR header and its MPT, MBFT and MDT tables.
#pragma once

#include "json/json_writer.h"
#include "mbr/embr_record.h"

namespace disklens {

// Null when the disk has no EMBR.
void WriteEmbrJson(JsonWriter& json, const EmbrRecord& record);

}  // namespace disklens
