#include "json/disk_json.h"

#include <string>

#include "bootsector/boot_row.h"
#include "gpt/gpt_section.h"
#include "json/boot_row_json.h"
#include "json/embr_json.h"
#include "json/gpt_json.h"
#include "json/json_text.h"
#include "json/mbr_json.h"
#include "platform/platform.h"
#include "report/mbr_record.h"

namespace disklens {

JsonValue DescribeDisk(ReportState& state, std::uint32_t index) {
  JsonValue disk = JsonValue::object();
  disk["number"] = state.diskNumber;
  disk["name"] = "HD" + std::to_string(index);
  const std::string source = CurrentPlatform().DiskSourceName(index);
  disk["source"] = source.empty() ? JsonValue(nullptr) : JsonValue(source);
  disk["sector_size"] = state.disk->sectorSize;
  const MbrRecord mbr = ReadMbr(state);
  disk["bios_geometry"] = {{"highest_cylinder", mbr.bios.highestCylinder},
                           {"highest_head", mbr.bios.highestHead},
                           {"sectors_per_track", mbr.bios.sectorsPerTrack}};
  disk["drive_geometry"] = {{"cylinders", mbr.drive.cylinders},
                            {"heads", mbr.drive.heads},
                            {"sectors_per_track", mbr.drive.sectorsPerTrack}};
  if (mbr.bytesRead == 0) {
    disk["mbr"] = nullptr;
  } else {
    const MbrChains chains = WalkMbrTable(state, mbr);
    disk["mbr"] = MbrJson(mbr, chains);
  }
  disk["embr"] = EmbrJson(ReadEmbr(state));
  disk["gpt"] = GptJson(ReadGpt(state));
  JsonValue rows = JsonValue::array();
  const BootTargetList& list = state.bootTargets;
  const std::uint32_t count = list.count < BootTargetCapacity ? list.count : BootTargetCapacity;
  for (std::uint32_t i = 0; i < count; ++i) rows.push_back(BootRowJson(ReadBootRow(state, list.rows[i])));
  disk["boot_sectors"] = std::move(rows);
  return disk;
}

}  // namespace disklens
