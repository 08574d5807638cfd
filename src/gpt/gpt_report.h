// The text of a valid GPT: its header values and one row per used entry.
#pragma once

#include <cstdint>
#include <vector>

#include "bytes/bytes.h"
#include "gpt/gpt_check.h"
#include "report/report_state.h"

namespace disklens {

// Byte offsets of the fields of one entry slot; only its first 128 bytes are read.
inline constexpr std::size_t kEntryTypeGuid = 0;
inline constexpr std::size_t kEntryUniqueGuid = 16;
inline constexpr std::size_t kEntryStartLba = 32;
inline constexpr std::size_t kEntryEndLba = 40;
inline constexpr std::size_t kEntryAttributes = 48;
inline constexpr std::size_t kEntryName = 56;
inline constexpr std::size_t kEntryReadBytes = 128;

// A used entry: its slot and what the probe of its first sector gave.
struct GptEntryRecord {
  std::uint32_t index = 0;
  ByteView slot;               // kEntryReadBytes bytes
  std::int32_t probeStatus = 0;  // kProbeOk when `probedId` holds a file-system ID
  std::uint16_t probedId = 0;
};

// A valid GPT. The views point into the WorkBuffer: the record is good until
// the next read into it.
struct GptRecord {
  ByteView header;  // empty when the disk has no valid GPT
  std::vector<GptEntryRecord> entries;
};

// The GPT that `view` (from a CheckGpt that returned 0) describes, with every
// used entry probed; those whose probed type has a decoder go to the BootTargetList.
GptRecord WalkGpt(ReportState& state, const GptView& view);

void PrintGptReport(const ReportState& state, const GptRecord& gpt);

}  // namespace disklens
