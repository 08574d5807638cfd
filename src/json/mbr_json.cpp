#include "json/mbr_json.h"

namespace disklens {

namespace {

void WriteChs(JsonWriter& json, std::string_view name, std::uint8_t head, std::uint8_t sectorByte,
              std::uint8_t cylinderByte) {
  json.Key(name);
  json.BeginObject();
  json.Number("cylinder", static_cast<std::uint64_t>(UnpackCylinder(sectorByte, cylinderByte)));
  json.Number("head", head);
  json.Number("sector", static_cast<std::uint64_t>(UnpackSector(sectorByte)));
  json.EndObject();
}

const char* EndName(ChainEnd end) {
  switch (end) {
    case ChainEnd::kLastEbr: return "last_ebr";
    case ChainEnd::kNoSignature: return "no_boot_signature";
    case ChainEnd::kNoBuffer: return "no_buffer";
    case ChainEnd::kReadError: return "read_error";
    case ChainEnd::kLoop: return "loop";
    case ChainEnd::kChainCap: return "chain_cap";
    case ChainEnd::kPassBudget: return "pass_budget";
  }
  return "last_ebr";
}

}  // namespace

void BeginPartitionEntryJson(JsonWriter& json, const MbrPartitionEntry& entry, int index) {
  json.BeginObject();
  json.Number("index", static_cast<std::uint64_t>(index));
  json.Hex("boot_flag", entry.status, 2);
  WriteChs(json, "start_chs", entry.startHead, entry.startSectorByte, entry.startCylinderByte);
  json.Hex("type", entry.type, 2);
  WriteChs(json, "end_chs", entry.endHead, entry.endSectorByte, entry.endCylinderByte);
  json.Number("relative_lba", entry.startLba);
  json.Number("sector_count", entry.sectorCount);
}

void WriteChainJson(JsonWriter& json, const ChainRecord& chain) {
  json.BeginObject();
  json.Key("ebrs");
  json.BeginArray();
  for (const EbrRecord& ebr : chain.ebrs) {
    json.BeginObject();
    json.Number("lba", ebr.lba);
    json.Key("entries");
    json.BeginArray();
    for (std::size_t j = 0; j < 4; ++j) {
      BeginPartitionEntryJson(json, ebr.entries[j], static_cast<int>(j));
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.Text("end", EndName(chain.walk.end));
  json.Number("end_lba", chain.walk.lba);
  json.Number("ebrs_read", chain.walk.ebrs);
  json.EndObject();
}

void WriteMbrJson(JsonWriter& json, const MbrRecord& mbr, const MbrChains& chains) {
  if (mbr.bytesRead == 0) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Hex("disk_signature", mbr.diskSignature, 8);
  json.Key("entries");
  json.BeginArray();
  for (std::size_t i = 0; i < 4; ++i) {
    BeginPartitionEntryJson(json, mbr.entries[i], static_cast<int>(i));
    if (chains[i]) {
      json.Key("chain");
      WriteChainJson(json, *chains[i]);
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace disklens
