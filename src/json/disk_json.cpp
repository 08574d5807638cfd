#include "json/disk_json.h"

#include <string>

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
  disk["mbr"] = MbrJson(mbr);
  return disk;
}

}  // namespace disklens
