#include "json/embr_json.h"

#include "json/json_text.h"
#include "json/mbr_json.h"

namespace disklens {

namespace {

JsonValue Name(ByteView entry, std::size_t offset) {
  const ByteView name = EmbrName(entry, offset);
  return Latin1Text(name.data, name.size);
}

JsonValue Mpt(const EmbrRecord& r) {
  const ByteView header = r.embr.From(r.mpt->offset);
  JsonValue entries = JsonValue::array();
  for (std::size_t k = 0; k < r.mpt->entries.size(); ++k) {
    const ByteView e = r.embr.From(r.mpt->entries[k]);
    JsonValue entry = {{"index", k},
                       {"name", Name(e, 12)},
                       {"flags", FixedHex(e.U16(0), 4)},
                       {"start_lba", e.U32(2)},
                       {"end_lba", e.U32(6)},
                       {"file_system_id", FixedHex(e.U8(11), 2)},
                       {"id", FixedHex(e.U8(10), 2)}};
    if (r.mptChains[k]) entry["chain"] = ChainJson(*r.mptChains[k]);
    entries.push_back(std::move(entry));
  }
  return {{"revision", header.U8(3)},
          {"entry_count", header.U8(4)},
          {"flags", FixedHex(header.U8(5), 2)},
          {"complete", r.mpt->complete},
          {"entries", std::move(entries)}};
}

JsonValue Mbft(const EmbrRecord& r) {
  const ByteView header = r.embr.From(r.mbft->offset);
  JsonValue entries = JsonValue::array();
  for (std::size_t k = 0; k < r.mbft->entries.size(); ++k) {
    const ByteView e = r.embr.From(r.mbft->entries[k]);
    entries.push_back({{"index", k},
                       {"name", Name(e, 0)},
                       {"load_segment", FixedHex(e.U16(16), 4)},
                       {"code_segment", FixedHex(e.U16(20), 4)},
                       {"code_offset", FixedHex(e.U16(18), 4)},
                       {"sector_count", e.U8(22)},
                       {"allocated_bytes", e.U8(26)},
                       {"id", FixedHex(e.U8(23), 2)}});
  }
  return {{"revision", header.U8(4)},
          {"entry_count", header.U8(5)},
          {"complete", r.mbft->complete},
          {"entries", std::move(entries)}};
}

JsonValue Mdt(const EmbrRecord& r) {
  const ByteView header = r.embr.From(r.mdt->offset);
  JsonValue entries = JsonValue::array();
  for (std::size_t k = 0; k < r.mdt->entries.size(); ++k) {
    const ByteView e = r.embr.From(r.mdt->entries[k]);
    entries.push_back({{"index", k},
                       {"name", Name(e, 14)},
                       {"flags", FixedHex(e.U8(0), 2)},
                       {"start_lba", e.U32(4)},
                       {"sector_count", e.U8(2)},
                       {"allocated_bytes", e.U8(30)},
                       {"id", FixedHex(e.U8(1), 2)}});
  }
  return {{"revision", header.U8(3)},
          {"entry_count", header.U8(4)},
          {"complete", r.mdt->complete},
          {"entries", std::move(entries)}};
}

}  // namespace

JsonValue EmbrJson(const EmbrRecord& r) {
  if (r.embr.size == 0) return nullptr;
  const ByteView h = r.embr;
  return {{"revision", h.U8(4)},
          {"min_sectors_per_track", h.U8(5)},
          {"sectors", h.U8(6)},
          {"sector_size", static_cast<std::int16_t>(h.U16(8))},
          {"last_cylinder", static_cast<std::int16_t>(h.U16(10))},
          {"last_head", h.U8(12)},
          {"sectors_per_track", h.U8(13)},
          {"mpt", r.mpt ? Mpt(r) : JsonValue(nullptr)},
          {"mbft", r.mbft ? Mbft(r) : JsonValue(nullptr)},
          {"mdt", r.mdt ? Mdt(r) : JsonValue(nullptr)}};
}

}  // namespace disklens
