// Runs BOOT SECTOR INFORMATION over a disk held by the FakePlatform.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bootsector/boot_sector_section.h"
#include "disk/session.h"
#include "platform/fake_platform.h"
#include "state/report_state.h"
#include "support/capture.h"
#include "support/disk_image.h"

namespace disklens::test {

class SectionHarness {
  static constexpr std::align_val_t kPageAlignment{4096};

 public:
  SectionHarness()
      : buffer_(static_cast<std::uint8_t*>(::operator new(kWorkBufferSize, kPageAlignment))) {
    // Stale bytes, as earlier sections leave them: none may ever show.
    std::memset(buffer_, 0xEE, kWorkBufferSize);
    state.workBuffer = buffer_;
  }
  ~SectionHarness() { ::operator delete(buffer_, kPageAlignment); }
  SectionHarness(const SectionHarness&) = delete;
  SectionHarness& operator=(const SectionHarness&) = delete;

  FakeDisk& UseDisk(const DiskImage& image) {
    FakeDisk& d = fake.AddDisk(0, 0, image.SectorSize());
    d.bytes = image.Bytes();
    return d;
  }
  void Add(std::uint8_t type, std::uint16_t id, std::uint32_t total, std::uint32_t lba) {
    AddBootTarget(state.bootTargets, type, id, total, lba);
  }

  // The section's text; the log then holds only the section's calls.
  std::string Run() {
    StartDiskAccess(1);
    state.disk = OpenDiskDevice(0, kKindHardDisk, kGenericRead);
    fake.ClearLog();
    std::string text;
    {
      CapturedOutput out;
      if (state.disk != nullptr) PrintBootSectorInformation(state);
      text = out.Text();
    }
    CloseDiskDevice(state.disk);
    state.disk = nullptr;
    EndDiskAccess();
    return text;
  }

  // The first LBA of every read of the section, in order.
  std::vector<std::uint64_t> ReadLbas() const {
    std::vector<std::uint64_t> lbas;
    const std::uint32_t sectorSize = fake.disks.at(0).sectorSize;
    for (const FakeCall& c : fake.Calls("ReadFile")) lbas.push_back(c.position / sectorSize);
    return lbas;
  }

  std::uint8_t* WorkBuffer() { return buffer_; }

  FakePlatform fake;
  ReportState state;

 private:
  std::uint8_t* buffer_;
};

}  // namespace disklens::test
