#include "json/embr_json.h"

#include "json/json_text.h"
#include "json/mbr_json.h"
#include "layout/embr.h"

namespace disklens {

namespace {

void Name(JsonWriter& json, ByteView entry, std::size_t offset) {
  const ByteView name = EmbrName(entry, offset);
  json.Text("name", Latin1Text(name.data, name.size));
}

// Where a table header keeps its revision and entry count; only the MPT's has
// a flag byte, after the count.
struct TableHeader {
  std::size_t revision;
  std::size_t count;
  bool flag;
};

// A table's member: null when the EMBR has none, else its header's fields and
// one object for each entry that was read, whose fields `entry` writes.
template <typename Entry>
void Table(JsonWriter& json, std::string_view name, const EmbrRecord& r,
           const std::optional<EmbrTable>& table, TableHeader layout, Entry entry) {
  json.Key(name);
  if (!table) {
    json.Null();
    return;
  }
  const ByteView header = r.embr.From(table->offset);
  json.BeginObject();
  json.Number("revision", header.U8(layout.revision));
  json.Number("entry_count", header.U8(layout.count));
  if (layout.flag) json.Hex("flags", header.U8(mpt_header::kFlag), 2);
  json.Bool("complete", table->complete);
  json.Key("entries");
  json.BeginArray();
  for (std::size_t k = 0; k < table->entries.size(); ++k) {
    json.BeginObject();
    json.Number("index", k);
    entry(r.embr.From(table->entries[k]), k);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace

void WriteEmbrJson(JsonWriter& json, const EmbrRecord& r) {
  if (r.embr.size == 0) {
    json.Null();
    return;
  }
  const ByteView h = r.embr;
  json.BeginObject();
  json.Number("revision", h.U8(embr_header::kRevision));
  json.Number("min_sectors_per_track", h.U8(embr_header::kMinSpt));
  json.Number("sectors", h.U8(embr_header::kSectors));
  json.Signed("sector_size", static_cast<std::int16_t>(h.U16(embr_header::kSectorSize)));
  json.Signed("last_cylinder", static_cast<std::int16_t>(h.U16(embr_header::kLastCylinder)));
  json.Number("last_head", h.U8(embr_header::kLastHead));
  json.Number("sectors_per_track", h.U8(embr_header::kSectorsPerTrack));
  Table(json, "mpt", r, r.mpt, {mpt_header::kRevision, mpt_header::kCount, true},
        [&](ByteView e, std::size_t k) {
          Name(json, e, mpt_entry::kName);
          json.Hex("flags", e.U16(mpt_entry::kFlag), 4);
          json.Number("start_lba", e.U32(mpt_entry::kStart));
          json.Number("end_lba", e.U32(mpt_entry::kEnd));
          json.Hex("file_system_id", e.U8(mpt_entry::kFileSystem), 2);
          json.Hex("id", e.U8(mpt_entry::kId), 2);
          if (r.mptChains[k]) {
            json.Key("chain");
            WriteChainJson(json, *r.mptChains[k]);
          }
        });
  Table(json, "mbft", r, r.mbft, {mbft_header::kRevision, mbft_header::kCount, false},
        [&](ByteView e, std::size_t) {
          Name(json, e, mbft_entry::kName);
          json.Hex("load_segment", e.U16(mbft_entry::kLoadSegment), 4);
          json.Hex("code_segment", e.U16(mbft_entry::kCodeSegment), 4);
          json.Hex("code_offset", e.U16(mbft_entry::kCodeOffset), 4);
          json.Number("sector_count", e.U8(mbft_entry::kSectors));
          json.Number("allocated_bytes", e.U8(mbft_entry::kAlloc));
          json.Hex("id", e.U8(mbft_entry::kId), 2);
        });
  Table(json, "mdt", r, r.mdt, {mdt_header::kRevision, mdt_header::kCount, false},
        [&](ByteView e, std::size_t) {
          Name(json, e, mdt_entry::kName);
          json.Hex("flags", e.U8(mdt_entry::kFlag), 2);
          json.Number("start_lba", e.U32(mdt_entry::kStart));
          json.Number("sector_count", e.U8(mdt_entry::kSectors));
          json.Number("allocated_bytes", e.U8(mdt_entry::kAlloc));
          json.Hex("id", e.U8(mdt_entry::kId), 2);
        });
  json.EndObject();
}

}  // namespace disklens
