#include "gpt/gpt_section.h"

#include "gpt/gpt_check.h"

namespace disklens {

GptRecord ReadGpt(ReportState& state) {
  // 128 sectors from LBA 0: the header at LBA 1 and a standard entry array fit
  // well inside, whatever the sector size.
  const std::size_t bytes = ReadIntoWorkBuffer(state, 0, 128);
  if (bytes == 0) return {};
  GptView view;
  if (CheckGpt(state.workBuffer, static_cast<std::uint32_t>(bytes), state.disk->sectorSize, view) !=
      kGptValid) {
    return {};
  }
  return WalkGpt(state, view);
}

void PrintGptSection(ReportState& state) { PrintGptReport(state, ReadGpt(state)); }

}  // namespace disklens
