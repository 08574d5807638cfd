// The checks of one intact GPT copy's entries: their size, each one's range,
// and whether two of them share a sector.
#pragma once

#include "check/finding.h"
#include "check/gpt_copy.h"

namespace disklens {

// gpt.entry-size, gpt.range and gpt.overlap findings for `copy` (intact),
// appended to `out`; at most kMaxEntryFindings of each id, then one more
// that counts the rest.
void CheckGptEntries(const GptCopy& copy, Findings& out);

inline constexpr std::size_t kMaxEntryFindings = 16;

}  // namespace disklens
