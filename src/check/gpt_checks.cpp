#include "check/gpt_checks.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "check/gpt_copy.h"
#include "check/gpt_entry_checks.h"
#include "check/gpt_pmbr.h"
#include "disk/read_buffer.h"
#include "disk/transfer.h"

namespace disklens {

namespace {

// Whether a valid header lies where a disk of `otherSize`-byte sectors keeps
// it (byte `otherSize`, its LBA 1), read with this disk's sectors.
bool GptAtOtherSectorSize(DiskDevice* disk, std::uint32_t otherSize, const DiskFacts& facts) {
  const std::uint32_t ss = facts.sectorSize;
  const std::uint64_t lba = otherSize / ss;
  const std::uint32_t offset = otherSize % ss;
  const std::uint32_t sectors = std::max<std::uint32_t>(1, otherSize / ss);
  if (facts.sectorCount != 0 && lba + sectors > facts.sectorCount) return false;
  ReadBuffer buffer(static_cast<std::size_t>(sectors) * ss);
  if (!ReadSectorsAt(disk, lba, buffer.data(), sectors)) return false;
  return IsValidGptHeader(ByteView{buffer.data() + offset, otherSize}, 1, otherSize);
}

Finding CopyFinding(const GptCopy& copy, bool primary, bool otherIntact) {
  const char* name = primary ? "primary" : "backup";
  Finding f{primary ? "gpt.primary" : "gpt.backup", Severity::kError, copy.lba, {}, "", "", "", ""};
  if (copy.headerRead) f.byteOffset = copy.fault.byteOffset;
  f.message = std::string("the ") + name + " GPT at LBA " + std::to_string(copy.lba) +
              " fails the " + copy.fault.check + " check";
  f.expected = copy.fault.expected;
  f.found = copy.fault.found;
  if (otherIntact) {
    f.hint = primary ? "the backup is intact: gdisk's recovery menu (r, then b and c) rebuilds "
                       "the primary from it, and w writes it"
                     : "the primary is intact: sgdisk -e writes the backup anew from it";
  } else {
    f.hint = "no intact copy is left: sgdisk -v and gdisk's recovery menu say what may be saved";
  }
  return f;
}

void Differ(Findings& out, const GptCopy& backup, const char* field, std::string expected,
            std::string found) {
  out.push_back({"gpt.differ",
                 Severity::kError,
                 backup.lba,
                 {},
                 std::string("the two GPT copies differ in ") + field +
                     " (primary at LBA 1, backup at LBA " + std::to_string(backup.lba) + ")",
                 std::move(expected),
                 std::move(found),
                 "sgdisk -v compares them; gdisk's recovery menu (r) rebuilds one from the "
                 "other"});
}

// The fields both headers must hold alike, each its own finding.
void CompareCopies(const GptCopy& primary, const GptCopy& backup, Findings& out) {
  const GptHeaderRecord& p = primary.record.header;
  const GptHeaderRecord& b = backup.record.header;
  // The disk GUID names the same disk.
  if (p.diskGuid != b.diskGuid) Differ(out, backup, "the disk GUID", "", "");
  // The usable area is the same.
  if (p.firstUsableLba != b.firstUsableLba || p.lastUsableLba != b.lastUsableLba) {
    Differ(out, backup, "the usable LBAs",
           std::to_string(p.firstUsableLba) + " to " + std::to_string(p.lastUsableLba),
           std::to_string(b.firstUsableLba) + " to " + std::to_string(b.lastUsableLba));
  }
  // The arrays have the same shape and checksum.
  if (p.entryCount != b.entryCount || p.entrySize != b.entrySize) {
    Differ(out, backup, "the entry count or size",
           std::to_string(p.entryCount) + " x " + std::to_string(p.entrySize),
           std::to_string(b.entryCount) + " x " + std::to_string(b.entrySize));
  } else if (p.entryArrayCrc != b.entryArrayCrc) {
    Differ(out, backup, "the entry-array CRC-32", "", "");
  } else {
    // Same CRC, so this only catches a collision; the bytes decide.
    const ByteView a = primary.Array();
    const ByteView c = backup.Array();
    if (a.size != c.size || std::memcmp(a.data, c.data, a.size) != 0) {
      Differ(out, backup, "their entry arrays", "", "");
    }
  }
  // Each names the other: MyLBA and AlternateLBA crossed.
  if (p.alternateLba != backup.lba || b.alternateLba != primary.lba) {
    Differ(out, backup, "where each puts the other",
           "AlternateLBAs " + std::to_string(backup.lba) + " and " + std::to_string(primary.lba),
           std::to_string(p.alternateLba) + " and " + std::to_string(b.alternateLba));
  }
}

}  // namespace

void CheckGptLayer(ReportState& state, const MbrRecord& mbr, std::optional<HeldGptCopy> held,
                   const DiskFacts& facts, DiskCheck& check) {
  DiskDevice* disk = state.disk;
  if (disk == nullptr || facts.sectorSize == 0 || facts.sectorCount == 1) return;
  Findings& out = check.findings;
  const bool known = facts.sectorCount != 0;
  const std::uint64_t last = known ? LastLba(facts) : 0;

  const GptCopy primary = ReadGptCopy(disk, 1, facts.sectorCount, held ? &*held : nullptr);
  // The backup where the primary says, when its header may be trusted; and at
  // the last LBA, unless that was just read or an intact copy was found.
  const bool trusted = primary.headerCrcOk;
  const std::uint64_t alternate = trusted ? primary.Header().U64(kGptAlternateLba) : 0;
  // The backup lies past the end: gone with the end, not to be looked for elsewhere.
  const bool cutShort = trusted && known && alternate > last;
  GptCopy backup;
  bool backupRead = false;
  if (trusted && alternate > 1 && (!known || alternate <= last)) {
    backup = ReadGptCopy(disk, alternate, facts.sectorCount, nullptr, &primary);
    backupRead = true;
  }
  if (known && last > 1 && !cutShort && !backup.Intact() && (!backupRead || alternate != last)) {
    GptCopy atEnd = ReadGptCopy(disk, last, facts.sectorCount, nullptr, &primary);
    if (!backupRead || atEnd.Intact() || (!backup.hasSignature && atEnd.hasSignature)) {
      backup = std::move(atEnd);
      backupRead = true;
    }
  }
  const bool anySignature = primary.hasSignature || backup.hasSignature;

  // No copy is intact here, but one is at the other common sector size:
  // the image was named with the wrong one, and nothing else would be true.
  if (!primary.Intact() && !backup.Intact()) {
    const std::uint32_t other = facts.sectorSize == 512 ? 4096 : facts.sectorSize == 4096 ? 512 : 0;
    if (other != 0 && GptAtOtherSectorSize(disk, other, facts)) {
      out.push_back({"gpt.sector-size",
                     Severity::kWarning,
                     {},
                     {},
                     "no valid GPT at " + std::to_string(facts.sectorSize) +
                         "-byte sectors, but one at " + std::to_string(other) + "-byte sectors",
                     std::to_string(other),
                     std::to_string(facts.sectorSize),
                     "name the image with the suffix @" + std::to_string(other) +
                         " (e.g. disk.img@" + std::to_string(other) + ")"});
      return;
    }
    // No 0xEE entry and no header anywhere: not a GPT disk, nothing to say.
    if (!HasProtectiveEntry(mbr) && !anySignature) return;
  }

  const GptCopy& used = primary.Intact() ? primary : backup;
  CheckProtectiveMbr(mbr, used.Intact() ? used.record : GptRecord{}, facts, out);

  // Each copy passes every check of its fields; the primary as the report reads it too.
  if (!primary.Intact()) {
    out.push_back(CopyFinding(primary, true, backup.Intact()));
  }
  // An intact primary that the report's stricter read left out (a disk of
  // fewer sectors than that read takes) is no fault of the disk: no finding,
  // and the JSON's gpt_backup still carries the entries.
  // The primary points past the disk's end: the backup was cut off.
  if (cutShort) {
    out.push_back({"gpt.truncated", Severity::kError, 1,
                   static_cast<std::uint32_t>(kGptAlternateLba),
                   "the primary GPT puts its backup at LBA " + std::to_string(alternate) +
                       ", past the disk's last LBA " + std::to_string(last),
                   "at most " + std::to_string(last), std::to_string(alternate),
                   "the image is cut short or read with the wrong sector size (give it as "
                   "IMAGE@SIZE); restore the image's end before writing to it"});
  }
  if (backupRead && !backup.Intact() && (backup.hasSignature || primary.Intact())) {
    out.push_back(CopyFinding(backup, false, primary.Intact()));
  }
  if (!cutShort && used.Intact() && known && used.record.header.lastUsableLba > last) {
    out.push_back(
        {"gpt.truncated", Severity::kError, used.lba, static_cast<std::uint32_t>(kGptLastUsableLba),
         "the GPT's usable area ends at LBA " + std::to_string(used.record.header.lastUsableLba) +
             ", past the disk's last LBA " + std::to_string(last),
         "at most " + std::to_string(last), std::to_string(used.record.header.lastUsableLba),
         "the image is cut short or read with the wrong sector size (give it as "
         "IMAGE@SIZE)"});
  }
  // The backup sits before the end: the disk grew, or the image went to larger media.
  if (backup.Intact() && known && backup.lba < last) {
    out.push_back({"gpt.backup-not-at-end",
                   Severity::kWarning,
                   backup.lba,
                   {},
                   "the backup GPT lies at LBA " + std::to_string(backup.lba) +
                       ", before the disk's last LBA " + std::to_string(last) +
                       "; harmless, but the space behind it is out of the usable area",
                   std::to_string(last),
                   std::to_string(backup.lba),
                   "sgdisk -e moves the backup GPT to the end"});
  }
  if (primary.Intact() && backup.Intact()) CompareCopies(primary, backup, out);
  CheckGptEntries(used, out);

  if (backup.Intact()) {
    check.backup = std::move(backup.record);
    check.listBackup = !primary.Intact();
  }
}

}  // namespace disklens
