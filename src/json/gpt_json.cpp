#include "json/gpt_json.h"

#include <cstdint>
#include <string>

#include "gpt/guid_text.h"
#include "gpt/name_text.h"
#include "gpt/probe.h"
#include "json/json_text.h"

namespace disklens {

namespace {

void Guid(JsonWriter& json, std::string_view name, ByteView view, std::size_t offset) {
  char text[64];
  FormatGuid(text, sizeof text, view.data + offset);
  json.Text(name, text);
}

// The whole name up to its first NUL unit, never cut to a column.
std::string Name(ByteView slot) {
  constexpr auto kUnits = static_cast<std::size_t>(kGptNameUnits);
  std::uint16_t units[kUnits];
  std::size_t count = 0;
  for (; count < kUnits; ++count) {
    units[count] = slot.U16(kEntryName + 2 * count);
    if (units[count] == 0) break;
  }
  return Utf16Text(units, count);
}

}  // namespace

void WriteGptJson(JsonWriter& json, const GptRecord& gpt) {
  if (gpt.header.size == 0) {
    json.Null();
    return;
  }
  const ByteView h = gpt.header;
  json.BeginObject();
  Guid(json, "disk_guid", h, kGptDiskGuid);
  json.Hex("revision", h.U32(kGptRevision), 8);
  json.Number("header_size", h.U32(kGptHeaderSize));
  json.Number("max_entries", h.U32(kGptEntryCount));
  json.Number("entry_size", h.U32(kGptEntrySize));
  json.Number("entry_array_lba", h.U64(kGptEntryLba));
  json.Number("primary_lba", h.U64(kGptMyLba));
  json.Number("backup_lba", h.U64(kGptAlternateLba));
  json.Number("first_usable_lba", h.U64(kGptFirstUsableLba));
  json.Number("last_usable_lba", h.U64(kGptLastUsableLba));
  json.Key("entries");
  json.BeginArray();
  for (const GptEntryRecord& e : gpt.entries) {
    const ByteView s = e.slot;
    json.BeginObject();
    json.Number("index", e.index);
    json.Text("name", Name(s));
    json.Hex("attributes", s.U64(kEntryAttributes), 16);
    json.Number("first_lba", s.U64(kEntryStartLba));
    json.Number("last_lba", s.U64(kEntryEndLba));
    Guid(json, "type_guid", s, kEntryTypeGuid);
    Guid(json, "unique_guid", s, kEntryUniqueGuid);
    if (e.probeStatus == kProbeOk) {
      json.Hex("file_system_id", e.probedId, 2);
    } else {
      json.Null("file_system_id");
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace disklens
