#include "json/embr_json.h"

#include "json/json_text.h"
#include "json/mbr_json.h"

namespace disklens {

namespace {

void Name(JsonWriter& json, ByteView entry, std::size_t offset) {
  const ByteView name = EmbrName(entry, offset);
  json.Text("name", Latin1Text(name.data, name.size));
}

void Mpt(JsonWriter& json, const EmbrRecord& r) {
  const ByteView header = r.embr.From(r.mpt->offset);
  json.BeginObject();
  json.Number("revision", header.U8(3));
  json.Number("entry_count", header.U8(4));
  json.Hex("flags", header.U8(5), 2);
  json.Bool("complete", r.mpt->complete);
  json.Key("entries");
  json.BeginArray();
  for (std::size_t k = 0; k < r.mpt->entries.size(); ++k) {
    const ByteView e = r.embr.From(r.mpt->entries[k]);
    json.BeginObject();
    json.Number("index", k);
    Name(json, e, 12);
    json.Hex("flags", e.U16(0), 4);
    json.Number("start_lba", e.U32(2));
    json.Number("end_lba", e.U32(6));
    json.Hex("file_system_id", e.U8(11), 2);
    json.Hex("id", e.U8(10), 2);
    if (r.mptChains[k]) {
      json.Key("chain");
      WriteChainJson(json, *r.mptChains[k]);
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void Mbft(JsonWriter& json, const EmbrRecord& r) {
  const ByteView header = r.embr.From(r.mbft->offset);
  json.BeginObject();
  json.Number("revision", header.U8(4));
  json.Number("entry_count", header.U8(5));
  json.Bool("complete", r.mbft->complete);
  json.Key("entries");
  json.BeginArray();
  for (std::size_t k = 0; k < r.mbft->entries.size(); ++k) {
    const ByteView e = r.embr.From(r.mbft->entries[k]);
    json.BeginObject();
    json.Number("index", k);
    Name(json, e, 0);
    json.Hex("load_segment", e.U16(16), 4);
    json.Hex("code_segment", e.U16(20), 4);
    json.Hex("code_offset", e.U16(18), 4);
    json.Number("sector_count", e.U8(22));
    json.Number("allocated_bytes", e.U8(26));
    json.Hex("id", e.U8(23), 2);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void Mdt(JsonWriter& json, const EmbrRecord& r) {
  const ByteView header = r.embr.From(r.mdt->offset);
  json.BeginObject();
  json.Number("revision", header.U8(3));
  json.Number("entry_count", header.U8(4));
  json.Bool("complete", r.mdt->complete);
  json.Key("entries");
  json.BeginArray();
  for (std::size_t k = 0; k < r.mdt->entries.size(); ++k) {
    const ByteView e = r.embr.From(r.mdt->entries[k]);
    json.BeginObject();
    json.Number("index", k);
    Name(json, e, 14);
    json.Hex("flags", e.U8(0), 2);
    json.Number("start_lba", e.U32(4));
    json.Number("sector_count", e.U8(2));
    json.Number("allocated_bytes", e.U8(30));
    json.Hex("id", e.U8(1), 2);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

// A table's member: its object, or null when the EMBR has none.
template <typename Table>
void Member(JsonWriter& json, std::string_view name, bool present, const EmbrRecord& r,
            Table table) {
  json.Key(name);
  if (present) {
    table(json, r);
  } else {
    json.Null();
  }
}

}  // namespace

void WriteEmbrJson(JsonWriter& json, const EmbrRecord& r) {
  if (r.embr.size == 0) {
    json.Null();
    return;
  }
  const ByteView h = r.embr;
  json.BeginObject();
  json.Number("revision", h.U8(4));
  json.Number("min_sectors_per_track", h.U8(5));
  json.Number("sectors", h.U8(6));
  json.Signed("sector_size", static_cast<std::int16_t>(h.U16(8)));
  json.Signed("last_cylinder", static_cast<std::int16_t>(h.U16(10)));
  json.Number("last_head", h.U8(12));
  json.Number("sectors_per_track", h.U8(13));
  Member(json, "mpt", r.mpt.has_value(), r, Mpt);
  Member(json, "mbft", r.mbft.has_value(), r, Mbft);
  Member(json, "mdt", r.mdt.has_value(), r, Mdt);
  json.EndObject();
}

}  // namespace disklens
