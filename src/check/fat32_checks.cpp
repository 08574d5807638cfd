#include "check/fat32_checks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bootsector/boot_fields.h"
#include "check/boot_read.h"
#include "layout/boot_sector.h"

namespace disklens {

namespace {

namespace bs = boot_sector;

constexpr std::uint16_t kNoSector = 0xFFFF;  // as 0: the volume keeps none
constexpr std::size_t kBootSectorBytes = 512;
constexpr std::uint32_t kLeadSignature = 0x41615252;
constexpr std::uint32_t kStructSignature = 0x61417272;
constexpr std::uint32_t kTrailSignature = 0xAA550000;

bool Differs(ByteView a, ByteView b, std::size_t offset, std::size_t size) {
  return std::memcmp(a.data + offset, b.data + offset, size) != 0;
}

// The JSON names of the fields that differ, then "boot_code" when the bytes
// no field covers differ; `dirtyOnly` when the state byte alone differs.
std::vector<std::string> DifferentFields(ByteView primary, ByteView backup) {
  std::vector<std::string> names;
  std::vector<bool> covered(kBootSectorBytes, false);
  for (const BootField& f : kFat32BootFields) {
    std::fill(covered.begin() + f.offset, covered.begin() + f.offset + f.size, true);
    if (Differs(primary, backup, f.offset, f.size)) names.emplace_back(f.key);
  }
  for (std::size_t i = 0; i < kBootSectorBytes; ++i) {
    if (!covered[i] && primary.data[i] != backup.data[i]) {
      names.emplace_back("boot_code");
      break;
    }
  }
  return names;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
  return text;
}

}  // namespace

void CheckFat32Backup(const BootRowRecord& row, Findings& out) {
  const ByteView primary = row.sector;
  const std::uint16_t number = primary.U16(bs::kFat32BackupBootSector);
  // No backup named (0 or 0xFFFF): worth knowing, nothing differs.
  if (number == 0 || number == kNoSector) {
    out.push_back(
        Finding{"fat32.backup", Severity::kNote, row.row.lba,
                static_cast<std::uint32_t>(bs::kFat32BackupBootSector),
                "the volume keeps no backup boot sector", "6", std::to_string(number),
                "fsck.fat -a writes one at sector 6 when the reserved sectors leave room"});
    return;
  }
  // Not read: a sector size no disk has, or past what 64 bits hold.
  const ByteView backup = row.backup;
  if (!primary.Has(0, kBootSectorBytes) || !backup.Has(0, kBootSectorBytes)) return;
  if (number > UINT64_MAX - row.row.lba) return;
  const std::uint64_t backupLba = row.row.lba + number;
  // The same bytes: nothing to say (the common case, settled at once).
  if (std::memcmp(primary.data, backup.data, kBootSectorBytes) == 0) return;
  const auto where = [&] { return "the backup boot sector at LBA " + std::to_string(backupLba); };
  const char* const hint =
      "fsck.fat lists the differing bytes; its interactive mode (fsck.fat -r) copies the "
      "primary over the backup";
  // A blank backup: never written, or it could not be read.
  if (std::all_of(backup.data, backup.data + kBootSectorBytes,
                  [](std::uint8_t b) { return b == 0; })) {
    out.push_back(Finding{"fat32.backup",
                          Severity::kWarning,
                          row.row.lba,
                          {},
                          where() + " is blank or could not be read",
                          "",
                          "",
                          hint});
    return;
  }
  // Every field as the primary's; the state byte's dirty flag alone is a note.
  const std::vector<std::string> names = DifferentFields(primary, backup);
  if (names.empty()) return;
  if (names.size() == 1 && names[0] == "reserved") {
    out.push_back(Finding{"fat32.backup", Severity::kNote, row.row.lba,
                          static_cast<std::uint32_t>(bs::kFat32StateFlags),
                          where() + " differs from the primary only in its state byte (0x41)",
                          HexText(primary.U8(bs::kFat32StateFlags), 2),
                          HexText(backup.U8(bs::kFat32StateFlags), 2), ""});
    return;
  }
  out.push_back(Finding{"fat32.backup",
                        Severity::kWarning,
                        row.row.lba,
                        {},
                        where() + " differs from the primary in " + Joined(names),
                        "",
                        "",
                        hint});
}

void CheckFat32FsInfo(ReportState& state, const BootRowRecord& row, const BootVolume& v,
                      const DiskFacts& facts, Findings& out) {
  const std::uint16_t number = row.sector.U16(bs::kFat32FsInfoSector);
  // No FSInfo sector named: fsck.fat leaves such a volume alone.
  if (number == 0 || number == kNoSector) return;
  // Where the volume's sector `number` lies; it must lie inside the partition.
  const std::uint64_t offset = std::uint64_t{number} * v.bytesPerSector;
  if (MulSat(row.row.totalSectors, facts.sectorSize) < offset + kBootSectorBytes) {
    out.push_back(Finding{"fat32.fsinfo", Severity::kWarning, row.row.lba,
                          static_cast<std::uint32_t>(bs::kFat32FsInfoSector),
                          "the FSInfo field names sector " + std::to_string(number) +
                              ", past the end of the partition",
                          "", std::to_string(number), ""});
    return;
  }
  const std::optional<DiskSpan> span =
      LocateInPartition(row.row.lba, offset, kBootSectorBytes, facts);
  if (!span) return;
  const auto where = [&] { return "the FSInfo sector at LBA " + std::to_string(span->lba); };
  const ByteView bytes = ReadBesideRow(state, span->lba, span->sectors);
  if (bytes.size == 0) {
    out.push_back(Finding{"fat32.fsinfo",
                          Severity::kWarning,
                          row.row.lba,
                          {},
                          where() + " could not be read",
                          "",
                          "",
                          ""});
    return;
  }
  const ByteView sector = bytes.From(span->within);
  // The three signatures, at 0, 484 and 508.
  struct Mark {
    std::size_t at;
    std::uint32_t value;
  };
  const Mark marks[] = {{fs_info::kLeadSignature, kLeadSignature},
                        {fs_info::kStructSignature, kStructSignature},
                        {fs_info::kTrailSignature, kTrailSignature}};
  std::string missing;
  const Mark* first = nullptr;
  int count = 0;
  for (const Mark& m : marks) {
    if (sector.U32(m.at) == m.value) continue;
    if (first == nullptr) first = &m;
    missing += (missing.empty() ? "" : ", ") + std::to_string(m.at);
    ++count;
  }
  if (first == nullptr) return;
  out.push_back(Finding{
      "fat32.fsinfo",
      Severity::kWarning,
      row.row.lba,
      {},
      where() + (count == 1 ? " lacks its signature at byte " : " lacks its signatures at bytes ") +
          missing,
      HexText(first->value, 8),
      HexText(sector.U32(first->at), 8),
      "fsck.fat -a rewrites the FSInfo sector"});
}

}  // namespace disklens
