// A ReportState over disk `index` of whatever platform is installed, for
// tests that call one section directly.
#pragma once

#include <cstdint>
#include <vector>

#include "disk/device.h"
#include "disk/session.h"
#include "state/report_state.h"

namespace disklens::test {

class ReportDisk {
 public:
  explicit ReportDisk(std::uint32_t index = 0, bool allOption = false) : work_(kWorkBufferSize) {
    StartDiskAccess(1);
    state.allOption = allOption;
    state.workBuffer = work_.data();
    state.diskNumber = static_cast<std::uint8_t>(0x80 + index);
    state.disk = OpenDiskDevice(index, kKindHardDisk, kGenericRead);
  }
  ~ReportDisk() {
    CloseDiskDevice(state.disk);
    EndDiskAccess();
  }
  ReportDisk(const ReportDisk&) = delete;
  ReportDisk& operator=(const ReportDisk&) = delete;

  ReportState state;

 private:
  std::vector<std::uint8_t> work_;
};

}  // namespace disklens::test
