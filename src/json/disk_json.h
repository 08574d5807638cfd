// One disk's object of the --json document.
#pragma once

#include <cstdint>
#include <optional>

#include "check/finding.h"
#include "json/json_writer.h"
#include "state/report_state.h"

namespace disklens {

// Reads the disk open in `state` as the text report does, and writes its
// object as each section is read; `index` is 0 to 31. With `check`, the disk
// is checked too and its findings written: the worst of them is returned.
std::optional<Severity> WriteDiskJson(JsonWriter& json, ReportState& state, std::uint32_t index,
                                      bool check = false);

}  // namespace disklens
