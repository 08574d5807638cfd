// The "gpt" member: a valid GPT's header and its used entries.
#pragma once

#include "gpt/gpt_record.h"
#include "json/json_writer.h"

namespace disklens {

// Null when the disk has no valid GPT.
void WriteGptJson(JsonWriter& json, const GptRecord& gpt);

}  // namespace disklens
