#include "json/embr_json.h"

#include "json/json_text.h"
#include "json/mbr_json.h"

namespace disklens {

namespace {

// All 16 bytes of the field, as stored.
void Name(JsonWriter& json, const EmbrName& name) {
  json.Text("name", Latin1Text(name.data(), name.size()));
}

// A table's member: null when the EMBR has none, else its header's fields and
// one object for each entry that was read, whose fields `entry` writes. Only
// the MPT's header has a flag byte.
template <typename Entry, typename WriteEntry>
void Table(JsonWriter& json, std::string_view name, const std::optional<EmbrTable<Entry>>& table,
           bool flags, WriteEntry entry) {
  json.Key(name);
  if (!table) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Number("revision", table->revision);
  json.Number("entry_count", table->entryCount);
  if (flags) json.Hex("flags", table->flags, 2);
  json.Bool("complete", table->complete);
  json.Key("entries");
  json.BeginArray();
  for (std::size_t k = 0; k < table->entries.size(); ++k) {
    json.BeginObject();
    json.Number("index", k);
    entry(table->entries[k]);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace

void WriteEmbrJson(JsonWriter& json, const EmbrRecord& r) {
  if (!r.found) {
    json.Null();
    return;
  }
  const EmbrHeaderRecord& h = r.header;
  json.BeginObject();
  json.Number("revision", h.revision);
  json.Number("min_sectors_per_track", h.minSectorsPerTrack);
  json.Number("sectors", h.sectors);
  json.Signed("sector_size", h.sectorSize);
  json.Signed("last_cylinder", h.lastCylinder);
  json.Number("last_head", h.lastHead);
  json.Number("sectors_per_track", h.sectorsPerTrack);
  Table(json, "mpt", r.mpt, true, [&](const MptEntryRecord& e) {
    Name(json, e.name);
    json.Hex("flags", e.flags, 4);
    json.Number("start_lba", e.startLba);
    json.Number("end_lba", e.endLba);
    json.Hex("file_system_id", e.fileSystemId, 2);
    json.Hex("id", e.id, 2);
    if (e.chain) {
      json.Key("chain");
      WriteChainJson(json, *e.chain);
    }
  });
  Table(json, "mbft", r.mbft, false, [&](const MbftEntryRecord& e) {
    Name(json, e.name);
    json.Hex("load_segment", e.loadSegment, 4);
    json.Hex("code_segment", e.codeSegment, 4);
    json.Hex("code_offset", e.codeOffset, 4);
    json.Number("sector_count", e.sectorCount);
    json.Number("allocated_bytes", e.allocatedBytes);
    json.Hex("id", e.id, 2);
  });
  Table(json, "mdt", r.mdt, false, [&](const MdtEntryRecord& e) {
    Name(json, e.name);
    json.Hex("flags", e.flags, 2);
    json.Number("start_lba", e.startLba);
    json.Number("sector_count", e.sectorCount);
    json.Number("allocated_bytes", e.allocatedBytes);
    json.Hex("id", e.id, 2);
  });
  json.EndObject();
}

}  // namespace disklens
