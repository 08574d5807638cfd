#include "json/disk_json.h"

#include <string>

#include "bootsector/boot_row.h"
#include "gpt/gpt_section.h"
#include "json/boot_row_json.h"
#include "json/embr_json.h"
#include "json/gpt_json.h"
#include "json/mbr_json.h"
#include "platform/platform.h"
#include "report/mbr_record.h"

namespace disklens {

void WriteDiskJson(JsonWriter& json, ReportState& state, std::uint32_t index) {
  json.BeginObject();
  json.Number("number", state.diskNumber);
  json.Text("name", "HD" + std::to_string(index));
  const std::string source = CurrentPlatform().DiskSourceName(index);
  if (source.empty()) {
    json.Null("source");
  } else {
    json.Text("source", source);
  }
  json.Number("sector_size", state.disk->sectorSize);
  const MbrRecord mbr = ReadMbr(state);
  json.Key("bios_geometry");
  json.BeginObject();
  json.Number("highest_cylinder", mbr.bios.highestCylinder);
  json.Number("highest_head", mbr.bios.highestHead);
  json.Number("sectors_per_track", mbr.bios.sectorsPerTrack);
  json.EndObject();
  json.Key("drive_geometry");
  json.BeginObject();
  json.Number("cylinders", mbr.drive.cylinders);
  json.Number("heads", mbr.drive.heads);
  json.Number("sectors_per_track", mbr.drive.sectorsPerTrack);
  json.EndObject();
  json.Key("mbr");
  if (mbr.bytesRead == 0) {
    json.Null();
  } else {
    WriteMbrJson(json, mbr, WalkMbrTable(state, mbr));
  }
  json.Key("embr");
  WriteEmbrJson(json, ReadEmbr(state));
  json.Key("gpt");
  WriteGptJson(json, ReadGpt(state));
  json.Key("boot_sectors");
  json.BeginArray();
  const BootTargetList& list = state.bootTargets;
  const std::uint32_t count = list.count < BootTargetCapacity ? list.count : BootTargetCapacity;
  for (std::uint32_t i = 0; i < count; ++i) WriteBootRowJson(json, ReadBootRow(state, list.rows[i]));
  json.EndArray();
  json.EndObject();
}

}  // namespace disklens
