// libFuzzer target: the whole pass of one disk over a fuzzed in-memory disk,
// as text and as --json, "/all" off and on: the plain pass over buffers of
// zeros, then the pass under --check over buffers of another marker (the
// text's over zeros as well).
// Any sanitizer report, a report that depends on the marker, an open that asks
// for more than read access, a write, a leaked handle, a control byte in the
// report, a --check pass whose report differs from the plain one or whose
// findings are ill-formed (check_oracle.h) ends the run with a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "check_oracle.h"
#include "fuzz_input.h"
#include "gpt/crc32.h"
#include "support/marked_pass.h"

namespace {

using disklens::test::PassResult;
using disklens::test::PassSetup;

std::uint32_t Le32(const std::vector<std::uint8_t>& d, std::size_t at) {
  return static_cast<std::uint32_t>(d[at] | (d[at + 1] << 8) | (d[at + 2] << 16)) |
         (static_cast<std::uint32_t>(d[at + 3]) << 24);
}

void PutLe32(std::vector<std::uint8_t>& d, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Rewrites the entry array CRC and then the header CRC of the GPT header at
// LBA 1, as far as the disk holds what they cover.
void SealGpt(std::vector<std::uint8_t>& d, std::uint32_t sectorSize) {
  const std::size_t h = sectorSize;
  if (d.size() < h + 92) return;
  const std::uint64_t arrayBytes = static_cast<std::uint64_t>(Le32(d, h + 80)) * Le32(d, h + 84);
  const std::size_t entries = 2 * static_cast<std::size_t>(sectorSize);
  if (arrayBytes <= 0xFFFFFFFFu && entries <= d.size() && arrayBytes <= d.size() - entries) {
    PutLe32(d, h + 88,
            disklens::Crc32Update(0, d.data() + entries, static_cast<std::uint32_t>(arrayBytes)));
  }
  const std::uint32_t headerSize = Le32(d, h + 12);
  if (headerSize <= 512 && headerSize <= d.size() - h) {
    PutLe32(d, h + 16, 0);
    PutLe32(d, h + 16, disklens::Crc32Update(0, d.data() + h, headerSize));
  }
}

[[noreturn]] void Finding(const PassSetup& setup, const std::vector<std::string>& violations) {
  std::fprintf(stderr, "disklens fuzz: %s sectors of %u bytes, /all %s%s%s:\n",
               setup.win9x ? "Windows 9x," : "NT,", setup.sectorSize,
               setup.allOption ? "on" : "off", setup.json ? ", --json" : "",
               setup.check ? ", --check" : "");
  for (const std::uint64_t lba : setup.failingLbas) {
    std::fprintf(stderr, "  failing LBA %llu\n", static_cast<unsigned long long>(lba));
  }
  if (setup.failingReadCall != 0) std::fprintf(stderr, "  failing ReadFile call %u\n", setup.failingReadCall);
  for (const std::string& v : violations) std::fprintf(stderr, "  %s\n", v.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  disklens::fuzz::FuzzDisk disk = disklens::fuzz::DecodeFuzzInput(data, size);
  if (disk.sealGpt) SealGpt(disk.bytes, disk.sectorSize);
  PassSetup setup;
  setup.bytes = std::move(disk.bytes);
  setup.sectorSize = disk.sectorSize;
  if (disk.failingLba) setup.failingLbas.insert(*disk.failingLba);
  setup.failingReadCall = disk.failingReadCall;
  setup.win9x = disk.win9x;
  for (const bool json : {false, true}) {
    setup.json = json;
    for (const bool all : {false, true}) {
      setup.allOption = all;
      // The plain pass once, over zeros; the checked pass, whose report holds
      // the plain one, over the other marker, so that no part of the report may
      // depend on it. The text's checked pass runs over zeros too, for the
      // findings; the JSON's would find the same findings again, and is left
      // out to keep an input's passes at ten.
      setup.check = false;
      const PassResult plain = disklens::test::RunMarkedPass(setup, 0x00);
      if (!plain.violations.empty()) Finding(setup, plain.violations);
      setup.check = true;
      PassResult checked = json ? disklens::test::RunMarkedPass(setup, 0xEE)
                                : disklens::test::RunPassTwice(setup);
      const std::vector<std::string> more =
          json ? disklens::fuzz::CheckedJsonViolations(plain.text, checked.text, checked.worst)
               : disklens::fuzz::CheckedTextViolations(plain.text, checked.text, checked.worst);
      checked.violations.insert(checked.violations.end(), more.begin(), more.end());
      if (!checked.violations.empty()) Finding(setup, checked.violations);
    }
  }
  return 0;
}
