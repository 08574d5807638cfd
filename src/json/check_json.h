// The members --check adds to a disk's object: "findings" and "gpt_backup".
#pragma once

#include "check/disk_check.h"
#include "json/json_writer.h"

namespace disklens {

// "findings": one object per finding, in the order of the CHECKS section;
// "gpt_backup": the backup GPT in the shape of "gpt", null unless intact.
void WriteCheckJson(JsonWriter& json, const DiskCheck& check);

}  // namespace disklens
