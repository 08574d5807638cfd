// What the MBR and EBR check tests share: disks partitioned by sfdisk and
// damaged at named offsets, entries rewritten with CHS fields to match, and
// the findings of `disklens --json --check` on one disk.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bootsector/tool_support.h"
#include "layout/mbr.h"
#include "support/disk_image.h"
#include "support/image_file.h"
#include "support/program_runner.h"

namespace disklens::test {

// A disk of `mib` MiB partitioned by sfdisk from `script`; "" when sfdisk failed.
inline std::string SfdiskImage(const std::string& path, int mib, const std::string& script) {
  if (!MakeSparseFile(path, static_cast<std::uint64_t>(mib) << 20)) return "";
  int status = 0;
  Shell("printf '" + script + "' | sfdisk --no-reread --no-tell-kernel " + ShellQuote(path) +
            " >/dev/null 2>&1",
        &status);
  return status == 0 ? path : "";
}

inline std::uint64_t EntryOffset(std::uint64_t tableLba, int slot) {
  return tableLba * 512 + kPartitionTableOffset + kPartitionEntrySize * static_cast<unsigned>(slot);
}

inline bool PutByte(const std::string& path, std::uint64_t offset, std::uint8_t value) {
  return WriteAt(path, offset, {value});
}

// Rewrites entry `slot` of the table at `tableLba` as `type` over `sectors`
// from `start` (relative to `base`), its CHS fields those of 255 heads and 63
// sectors a track, as sfdisk writes them for an image file.
inline bool PutEntryAt(const std::string& path, std::uint64_t tableLba, int slot, std::uint8_t type,
                       std::uint32_t start, std::uint32_t sectors, std::uint32_t base,
                       std::uint8_t status = 0) {
  const MbrEntry e = ChsEntry(type, start, sectors, status, base);
  return WriteAt(path, EntryOffset(tableLba, slot),
                 {e.status, e.startHead, e.startSectorByte, e.startCylinderByte, e.type, e.endHead,
                  e.endSectorByte, e.endCylinderByte, static_cast<std::uint8_t>(e.startLba),
                  static_cast<std::uint8_t>(e.startLba >> 8),
                  static_cast<std::uint8_t>(e.startLba >> 16),
                  static_cast<std::uint8_t>(e.startLba >> 24), static_cast<std::uint8_t>(e.sectors),
                  static_cast<std::uint8_t>(e.sectors >> 8), static_cast<std::uint8_t>(e.sectors >> 16),
                  static_cast<std::uint8_t>(e.sectors >> 24)});
}

struct CheckRun {
  int exitCode = -1;
  nlohmann::json findings = nlohmann::json::array();  // of the first disk
  std::string out;
};

// `disklens --json --check` on the one disk `path`.
inline CheckRun RunCheckJson(const std::string& path) {
  const ProgramRun run = RunDisklens(path, {"--json", "--check"});
  CheckRun r;
  r.exitCode = run.exitCode;
  r.out = run.out;
  const nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
  if (!doc.is_discarded() && doc.contains("disks") && !doc["disks"].empty()) {
    r.findings = doc["disks"][0].value("findings", nlohmann::json::array());
  }
  return r;
}

// The findings of the MBR layer (mbr.*, ebr.*) of `findings`.
inline std::vector<nlohmann::json> MbrFindings(const nlohmann::json& findings) {
  std::vector<nlohmann::json> mine;
  for (const nlohmann::json& f : findings) {
    const std::string id = f.value("id", "");
    if (id.rfind("mbr.", 0) == 0 || id.rfind("ebr.", 0) == 0) mine.push_back(f);
  }
  return mine;
}

}  // namespace disklens::test
