#include "check/gpt_entry_checks.h"

#include <algorithm>
#include <string>
#include <vector>

namespace disklens {

namespace {

// Counted from 1 as sgdisk and gdisk do, with the Num column of the report's rows.
std::string Entry(std::uint32_t index) {
  return "GPT entry " + std::to_string(std::uint64_t{index} + 1) + " (Num " +
         std::to_string(index) + ")";
}

// The sector and byte where slot `index`'s field at `field` lies.
void PlaceSlot(const GptCopy& copy, std::uint32_t index, std::size_t field, Finding& f) {
  const GptHeaderRecord& h = copy.record.header;
  const std::uint64_t offset = static_cast<std::uint64_t>(index) * h.entrySize + field;
  f.lba = h.entryLba + offset / copy.sectorSize;
  f.byteOffset = static_cast<std::uint32_t>(offset % copy.sectorSize);
}

// Keeps the first kMaxEntryFindings of an id, counts the rest in one more.
void Append(std::vector<Finding>& found, const char* id, const char* what, Findings& out) {
  const std::size_t kept = std::min(found.size(), kMaxEntryFindings);
  for (std::size_t i = 0; i < kept; ++i) out.push_back(std::move(found[i]));
  if (found.size() > kept) {
    out.push_back({id,
                   Severity::kError,
                   {},
                   {},
                   std::to_string(found.size() - kept) + " more " + what + " not listed",
                   "",
                   "",
                   ""});
  }
}

}  // namespace

void CheckGptEntries(const GptCopy& copy, Findings& out) {
  if (!copy.Intact() || !copy.record.found) return;
  const GptHeaderRecord& h = copy.record.header;
  // An entry is 128 bytes: Linux refuses a table of any other size.
  if (h.entrySize != kEntryReadBytes) {
    Finding f{"gpt.entry-size",
              Severity::kWarning,
              copy.lba,
              static_cast<std::uint32_t>(kGptEntrySize),
              "the GPT's entries are " + std::to_string(h.entrySize) +
                  " bytes long; Linux reads only tables of 128-byte entries",
              "128",
              std::to_string(h.entrySize),
              "sgdisk, gdisk and the firmware read it; a partitioner that writes the table anew "
              "(gdisk: w) keeps the size it read, so recreate the table to change it"};
    out.push_back(std::move(f));
  }

  // Each used entry ends after it starts and lies inside the usable area.
  std::vector<Finding> range;
  for (const GptEntryRecord& e : copy.record.entries) {
    const bool reversed = e.lastLba < e.firstLba;
    if (!reversed && e.firstLba >= h.firstUsableLba && e.lastLba <= h.lastUsableLba) continue;
    Finding f{
        "gpt.range",
        Severity::kError,
        {},
        {},
        reversed ? Entry(e.index) + " ends at LBA " + std::to_string(e.lastLba) +
                       " before it starts at LBA " + std::to_string(e.firstLba)
                 : Entry(e.index) + " (LBAs " + std::to_string(e.firstLba) + " to " +
                       std::to_string(e.lastLba) + ") lies outside the usable LBAs",
        reversed ? "" : std::to_string(h.firstUsableLba) + " to " + std::to_string(h.lastUsableLba),
        reversed ? "" : std::to_string(e.firstLba) + " to " + std::to_string(e.lastLba),
        "check the partition with sgdisk -i " + std::to_string(std::uint64_t{e.index} + 1) +
            ", then correct or delete the entry (gdisk)"};
    PlaceSlot(copy, e.index, kEntryStartLba, f);
    range.push_back(std::move(f));
  }
  Append(range, "gpt.range", "entries out of range", out);

  // No two entries share a sector: sorted by start, an entry that starts at or
  // before the furthest end so far overlaps the entry that reaches there.
  std::vector<const GptEntryRecord*> sorted;
  for (const GptEntryRecord& e : copy.record.entries) {
    if (e.lastLba >= e.firstLba) sorted.push_back(&e);
  }
  const auto byStart = [](const GptEntryRecord* a, const GptEntryRecord* b) {
    return a->firstLba < b->firstLba;
  };
  // Most tables list their entries in order already.
  if (!std::is_sorted(sorted.begin(), sorted.end(), byStart)) {
    std::stable_sort(sorted.begin(), sorted.end(), byStart);
  }
  std::vector<Finding> overlap;
  const GptEntryRecord* reach = nullptr;
  for (const GptEntryRecord* e : sorted) {
    if (reach != nullptr && e->firstLba <= reach->lastLba) {
      const std::uint64_t to = std::min(e->lastLba, reach->lastLba);
      Finding f{"gpt.overlap",
                Severity::kError,
                {},
                {},
                Entry(reach->index) + " and " + Entry(e->index) + " share LBAs " +
                    std::to_string(e->firstLba) + " to " + std::to_string(to),
                "",
                "",
                "sgdisk -v lists the overlap; shrink or delete one of them (gdisk)"};
      PlaceSlot(copy, e->index, kEntryStartLba, f);
      overlap.push_back(std::move(f));
    }
    if (reach == nullptr || e->lastLba > reach->lastLba) reach = e;
  }
  Append(overlap, "gpt.overlap", "overlapping entries", out);
}

}  // namespace disklens
