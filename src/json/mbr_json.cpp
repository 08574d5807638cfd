#include "json/mbr_json.h"

#include "json/json_text.h"

namespace disklens {

namespace {

JsonValue Chs(std::uint8_t head, std::uint8_t sectorByte, std::uint8_t cylinderByte) {
  return {{"cylinder", UnpackCylinder(sectorByte, cylinderByte)},
          {"head", head},
          {"sector", UnpackSector(sectorByte)}};
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

JsonValue MbrJson(const MbrRecord& mbr) {
  if (mbr.bytesRead == 0) return nullptr;
  JsonValue entries = JsonValue::array();
  for (int i = 0; i < 4; ++i) {
    entries.push_back(PartitionEntryJson(mbr.entries[static_cast<std::size_t>(i)], i));
  }
  return {{"disk_signature", FixedHex(mbr.diskSignature, 8)}, {"entries", std::move(entries)}};
}

}  // namespace disklens
