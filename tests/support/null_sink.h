// A record sink that keeps nothing: for tests that look only at what a pass reads.
#pragma once

#include <cstdint>

#include "pass/disk_records.h"

namespace disklens::test {

class NullSink final : public DiskRecordSink {
 public:
  void Mbr(const MbrRecord&, const MbrChains&) override {}
  void Embr(const EmbrRecord&) override {}
  void Gpt(const GptRecord&) override {}
  void BeginBootRows(std::uint32_t) override {}
  void BootRow(const BootRowRecord&) override {}
  void EndBootRows() override {}
};

}  // namespace disklens::test
