#include "json/mbr_json.h"

#include "json/json_text.h"

namespace disklens {

namespace {

JsonValue Chs(std::uint8_t head, std::uint8_t sectorByte, std::uint8_t cylinderByte) {
  return {{"cylinder", UnpackCylinder(sectorByte, cylinderByte)},
          {"head", head},
          {"sector", UnpackSector(sectorByte)}};
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

JsonValue PartitionEntryJson(const MbrPartitionEntry& entry, int index) {
  return {{"index", index},
          {"boot_flag", FixedHex(entry.status, 2)},
          {"start_chs", Chs(entry.startHead, entry.startSectorByte, entry.startCylinderByte)},
          {"type", FixedHex(entry.type, 2)},
          {"end_chs", Chs(entry.endHead, entry.endSectorByte, entry.endCylinderByte)},
          {"relative_lba", entry.startLba},
          {"sector_count", entry.sectorCount}};
}

JsonValue ChainJson(const ChainRecord& chain) {
  JsonValue ebrs = JsonValue::array();
  for (const EbrRecord& ebr : chain.ebrs) {
    JsonValue entries = JsonValue::array();
    for (std::size_t j = 0; j < 4; ++j) {
      entries.push_back(PartitionEntryJson(ebr.entries[j], static_cast<int>(j)));
    }
    ebrs.push_back({{"lba", ebr.lba}, {"entries", std::move(entries)}});
  }
  return {{"ebrs", std::move(ebrs)},
          {"end", EndName(chain.walk.end)},
          {"end_lba", chain.walk.lba},
          {"ebrs_read", chain.walk.ebrs}};
}

JsonValue MbrJson(const MbrRecord& mbr, const MbrChains& chains) {
  if (mbr.bytesRead == 0) return nullptr;
  JsonValue entries = JsonValue::array();
  for (std::size_t i = 0; i < 4; ++i) {
    JsonValue entry = PartitionEntryJson(mbr.entries[i], static_cast<int>(i));
    if (chains[i]) entry["chain"] = ChainJson(*chains[i]);
    entries.push_back(std::move(entry));
  }
  return {{"disk_signature", FixedHex(mbr.diskSignature, 8)}, {"entries", std::move(entries)}};
}

}  // namespace disklens
