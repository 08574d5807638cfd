// One disk's whole pass over an in-memory disk, with every buffer that the
// program allocates (the WorkBuffer, the chain buffer, the TransferBuffer)
// filled beforehand with a marker byte instead of zeros. Running the same disk
// with two different markers and comparing the reports shows that no byte the
// pass did not read from the disk (or write itself) reaches the report.
// Shared by the hostile-disk tests and the fuzz target.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "disk/session.h"
#include "platform/fake_platform.h"
#include "app/driver.h"
#include "state/report_state.h"
#include "support/capture.h"
#include "text/output.h"

namespace disklens::test {

struct PassSetup {
  std::vector<std::uint8_t> bytes;
  std::uint32_t sectorSize = 512;
  std::set<std::uint64_t> failingLbas;
  std::uint32_t failingReadCall = 0;  // this ReadFile call (from 1) fails; 0: none
  bool win9x = false;
  bool allOption = false;
  bool json = false;  // the --json pass instead of the text
  bool check = false;  // with --check: the CHECKS section, or "findings" in the JSON
};

struct PassResult {
  std::string text;                     // what the pass printed
  std::vector<std::string> violations;  // broken guarantees, empty when none
  std::optional<Severity> worst;        // under --check, the worst finding
};

// The in-memory platform, with fresh allocations filled with the marker.
class MarkingPlatform : public FakePlatform {
 public:
  explicit MarkingPlatform(std::uint8_t marker) : marker_(marker) {}
  void* VirtualAlloc(std::size_t size) override {
    void* p = FakePlatform::VirtualAlloc(size);
    if (p != nullptr) std::memset(p, marker_, size);
    return p;
  }

 private:
  std::uint8_t marker_;
};

// What the guarantees ask of the platform log and of the text: every open asks
// for read access only, nothing is written, everything opened or allocated is
// given back, and no control byte but the line feed reaches the terminal.
inline std::vector<std::string> CheckPass(const FakePlatform& fake, const std::string& text) {
  std::vector<std::string> v;
  for (const FakeCall& c : fake.Calls("CreateFileA")) {
    if (c.size != kGenericRead) v.push_back("CreateFileA asked for access " + std::to_string(c.size));
  }
  if (fake.Count("WriteFile") != 0) v.push_back("WriteFile was called");
  if (fake.OpenHandles() != 0) v.push_back("handles left open");
  if (fake.LiveAllocations() != 0) v.push_back("memory not freed");
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\n') || b == 0x7F) {
      v.push_back("control byte " + std::to_string(b) + " in the report");
      break;
    }
  }
  return v;
}

// One page-aligned WorkBuffer for every pass of the process, as the program has
// one for its whole run (and fuzzing then doesn't map a fresh one per pass).
inline std::uint8_t* SharedWorkBuffer() {
  constexpr std::uintptr_t kPage = 4096;
  static std::vector<std::uint8_t> storage(kWorkBufferSize + kPage);
  const auto at = reinterpret_cast<std::uintptr_t>(storage.data());
  return storage.data() + ((kPage - at % kPage) % kPage);
}

// Runs disk 0's pass (ReportDisk) with all buffers first filled with `marker`.
inline PassResult RunMarkedPass(const PassSetup& setup, std::uint8_t marker) {
  MarkingPlatform fake(marker);
  FakeDisk& disk = fake.AddDisk(0, 0, setup.sectorSize);
  disk.bytes = setup.bytes;
  disk.failingLbas = setup.failingLbas;
  if (setup.failingReadCall != 0) fake.failOnCall["ReadFile"] = {setup.failingReadCall};
  if (setup.win9x) {
    fake.platformId = kVerPlatformWin32Windows;
    fake.majorVersion = 4;
  }
  CapturedOutput out;
  StartDiskAccess(1);
  ReportState state;
  state.allOption = setup.allOption;
  state.workBuffer = SharedWorkBuffer();
  std::memset(state.workBuffer, marker, kWorkBufferSize);
  PassResult result;
  if (setup.json) {
    ReportDiskJson(state, 0, true, setup.check, result.worst);
  } else {
    ReportDisk(state, 0, setup.check, result.worst);
  }
  EndDiskAccess();

  result.text = out.Text();
  result.violations = CheckPass(fake, result.text);
  // A disk's object is one JSON value whatever the disk holds.
  if (setup.json && !nlohmann::json::accept(result.text)) result.violations.push_back("not valid JSON");
  return result;
}

// The pass run twice, over buffers of 0x00 and of 0xEE: the report, with a
// violation added when the two differ.
inline PassResult RunPassTwice(const PassSetup& setup) {
  PassResult zeros = RunMarkedPass(setup, 0x00);
  const PassResult marked = RunMarkedPass(setup, 0xEE);
  zeros.violations.insert(zeros.violations.end(), marked.violations.begin(),
                          marked.violations.end());
  if (zeros.text != marked.text) {
    zeros.violations.push_back("the report depends on bytes the pass did not read");
  }
  return zeros;
}

}  // namespace disklens::test
