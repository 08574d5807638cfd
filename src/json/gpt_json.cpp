#include "json/gpt_json.h"

#include <cstdint>
#include <string>

#include "gpt/guid_text.h"
#include "json/json_text.h"

namespace disklens {

namespace {

void Guid(JsonWriter& json, std::string_view name, const GuidBytes& guid) {
  char text[64];
  FormatGuid(text, sizeof text, guid.data());
  json.Text(name, text);
}

// The whole name up to its first NUL unit, never cut to a column.
std::string Name(const GptEntryRecord& e) {
  std::size_t count = 0;
  while (count < e.name.size() && e.name[count] != 0) ++count;
  return Utf16Text(e.name.data(), count);
}

}  // namespace

void WriteGptJson(JsonWriter& json, const GptRecord& gpt) {
  if (!gpt.found) {
    json.Null();
    return;
  }
  const GptHeaderRecord& h = gpt.header;
  json.BeginObject();
  Guid(json, "disk_guid", h.diskGuid);
  json.Hex("revision", h.revision, 8);
  json.Number("header_size", h.headerSize);
  json.Number("max_entries", h.entryCount);
  json.Number("entry_size", h.entrySize);
  json.Number("entry_array_lba", h.entryLba);
  json.Number("primary_lba", h.myLba);
  json.Number("backup_lba", h.alternateLba);
  json.Number("first_usable_lba", h.firstUsableLba);
  json.Number("last_usable_lba", h.lastUsableLba);
  json.Key("entries");
  json.BeginArray();
  for (const GptEntryRecord& e : gpt.entries) {
    json.BeginObject();
    json.Number("index", e.index);
    json.Text("name", Name(e));
    json.Hex("attributes", e.attributes, 16);
    json.Number("first_lba", e.firstLba);
    json.Number("last_lba", e.lastLba);
    Guid(json, "type_guid", e.typeGuid);
    Guid(json, "unique_guid", e.uniqueGuid);
    if (e.probedId) {
      json.Hex("file_system_id", *e.probedId, 2);
    } else {
      json.Null("file_system_id");
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace disklens
