#include "json/gpt_json.h"

#include <cstdint>
#include <string>

#include "gpt/guid_text.h"
#include "gpt/name_text.h"
#include "gpt/probe.h"
#include "json/json_text.h"

namespace disklens {

namespace {

std::string Guid(ByteView view, std::size_t offset) {
  char text[64];
  FormatGuid(text, sizeof text, view.data + offset);
  return text;
}

// The whole name up to its first NUL unit, never cut to a column.
std::string Name(ByteView slot) {
  constexpr auto kUnits = static_cast<std::size_t>(kGptNameUnits);
  std::uint16_t units[kUnits];
  std::size_t count = 0;
  while (count < kUnits && slot.U16(kEntryName + 2 * count) != 0) {
    units[count] = slot.U16(kEntryName + 2 * count);
    ++count;
  }
  return Utf16Text(units, count);
}

}  // namespace

JsonValue GptJson(const GptRecord& gpt) {
  if (gpt.header.size == 0) return nullptr;
  const ByteView h = gpt.header;
  JsonValue entries = JsonValue::array();
  for (const GptEntryRecord& e : gpt.entries) {
    const ByteView s = e.slot;
    entries.push_back(
        {{"index", e.index},
         {"name", Name(s)},
         {"attributes", FixedHex(s.U64(kEntryAttributes), 16)},
         {"first_lba", s.U64(kEntryStartLba)},
         {"last_lba", s.U64(kEntryEndLba)},
         {"type_guid", Guid(s, kEntryTypeGuid)},
         {"unique_guid", Guid(s, kEntryUniqueGuid)},
         {"file_system_id",
          e.probeStatus == kProbeOk ? JsonValue(FixedHex(e.probedId, 2)) : JsonValue(nullptr)}});
  }
  return {{"disk_guid", Guid(h, kGptDiskGuid)},
          {"revision", FixedHex(h.U32(kGptRevision), 8)},
          {"header_size", h.U32(kGptHeaderSize)},
          {"max_entries", h.U32(kGptEntryCount)},
          {"entry_size", h.U32(kGptEntrySize)},
          {"entry_array_lba", h.U64(kGptEntryLba)},
          {"primary_lba", h.U64(kGptMyLba)},
          {"backup_lba", h.U64(kGptAlternateLba)},
          {"first_usable_lba", h.U64(kGptFirstUsableLba)},
          {"last_usable_lba", h.U64(kGptLastUsableLba)},
          {"entries", std::move(entries)}};
}

}  // namespace disklens
