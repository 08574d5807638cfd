// The "embr" member: the EMBR header and its MPT, MBFT and MDT tables.
#pragma once

#include "json/json_document.h"
#include "report/embr_tables.h"

namespace disklens {

// Null when the disk has no EMBR.
JsonValue EmbrJson(const EmbrRecord& record);

}  // namespace disklens
