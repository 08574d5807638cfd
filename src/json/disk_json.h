// One disk's object of the --json document.
#pragma once

#include <cstdint>

#include "json/json_document.h"
#include "report/report_state.h"

namespace disklens {

// Reads the disk open in `state` as the text report does, and describes it;
// `index` is 0 to 31.
JsonValue DescribeDisk(ReportState& state, std::uint32_t index);

}  // namespace disklens
