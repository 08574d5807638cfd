// The CHECKS section that follows a disk's report under --check.
#pragma once

#include <optional>
#include <string>

#include "check/disk_check.h"
#include "state/report_state.h"

namespace disklens {

// A rule, the title naming the disk, then one finding a line (or "no problems
// found"), and the backup GPT's entries when only that copy is intact.
void PrintChecksSection(const ReportState& state, const DiskCheck& check);

// One finding's line, without the line feed before it:
// "SEVERITY ID[ LBA n[ byte b]]: MESSAGE[; expected E][, found F][. Hint: HINT]".
std::string FindingLine(const Finding& finding);

// The disk's report as PrintDiskReport prints it, then its CHECKS section;
// the worst finding, none when there is none.
std::optional<Severity> PrintCheckedDiskReport(ReportState& state);

}  // namespace disklens
