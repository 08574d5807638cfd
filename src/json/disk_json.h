// One disk's object of the --json document.
#pragma once

#include <cstdint>

#include "json/json_writer.h"
#include "state/report_state.h"

namespace disklens {

// Reads the disk open in `state` as the text report does, and writes its
// object as each section is read; `index` is 0 to 31.
void WriteDiskJson(JsonWriter& json, ReportState& state, std::uint32_t index);

}  // namespace disklens
