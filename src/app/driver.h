// The program's spine: start-up, the pass over the 32 BIOS disk numbers, tear-down.
#pragma once

#include <optional>

#include "check/finding.h"
#include <ctime>

#include "state/report_state.h"

namespace disklens {

inline constexpr char kNotice[] = "Copyright (c) 2026 the DISKLENS developers. Reads disks; never writes.";

// True when "/all" (any case) is the one argument left once the options are taken out.
bool IsAllOption(int argc, const char* const* argv);

// The whole run; `now` is the local time read at start (null when unknown).
// Returns the exit code: 1 also when a disk named on the command line did not
// open or was left out past the 32 disk numbers.
int RunProgram(int argc, const char* const* argv, const std::tm* now);

// One disk number's pass: index 0 to 31.
void ReportDisk(ReportState& state, std::uint32_t index);
// The same with --check: the CHECKS section follows, and `worst` takes the
// worst finding of the disk when it is worse.
void ReportDisk(ReportState& state, std::uint32_t index, bool check,
                std::optional<Severity>& worst);

// The same pass written as the disk's object of the --json document, after a
// separator unless it is the `first`; false when the disk is absent.
bool ReportDiskJson(ReportState& state, std::uint32_t index, bool first);
// The same with --check: the object gets "findings" and "gpt_backup".
bool ReportDiskJson(ReportState& state, std::uint32_t index, bool first, bool check,
                    std::optional<Severity>& worst);

}  // namespace disklens
