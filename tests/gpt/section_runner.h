// Runs the GPT section over disk 0 of whatever platform is installed.
#pragma once

#include <string>
#include <vector>

#include "disk/device.h"
#include "disk/session.h"
#include "gpt/gpt_section.h"
#include "state/report_state.h"
#include "support/capture.h"

namespace disklens::test {

struct GptSectionRun {
  bool opened = false;
  std::string text;
  BootTargetList targets;
};

inline GptSectionRun RunGptSection() {
  GptSectionRun run;
  std::vector<std::uint8_t> work(kWorkBufferSize, 0);
  ReportState state;
  state.workBuffer = work.data();
  state.diskNumber = 0x80;
  StartDiskAccess(1);
  state.disk = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
  if (state.disk != nullptr) {
    run.opened = true;
    CapturedOutput out;
    PrintGptSection(state);
    run.text = out.Text();
    CloseDiskDevice(state.disk);
  }
  EndDiskAccess();
  run.targets = state.bootTargets;
  return run;
}

}  // namespace disklens::test
