#include "json/disk_json.h"

#include <string>

#include "check/disk_check.h"
#include "json/boot_row_json.h"
#include "json/check_json.h"
#include "json/embr_json.h"
#include "json/gpt_json.h"
#include "json/mbr_json.h"
#include "platform/platform.h"
#include "pass/disk_records.h"

namespace disklens {

namespace {

// Each record becomes its member as it comes, so that no disk's document is
// held as a tree.
class JsonSink final : public DiskRecordSink {
 public:
  explicit JsonSink(JsonWriter& json) : json_(json) {}

  void Mbr(const MbrRecord& mbr, const MbrChains& chains) override {
    json_.Key("bios_geometry");
    json_.BeginObject();
    json_.Number("highest_cylinder", mbr.bios.highestCylinder);
    json_.Number("highest_head", mbr.bios.highestHead);
    json_.Number("sectors_per_track", mbr.bios.sectorsPerTrack);
    json_.EndObject();
    json_.Key("drive_geometry");
    json_.BeginObject();
    json_.Number("cylinders", mbr.drive.cylinders);
    json_.Number("heads", mbr.drive.heads);
    json_.Number("sectors_per_track", mbr.drive.sectorsPerTrack);
    json_.EndObject();
    json_.Key("mbr");
    if (mbr.bytesRead == 0) {
      json_.Null();
    } else {
      WriteMbrJson(json_, mbr, chains);
    }
  }
  void Embr(const EmbrRecord& embr) override {
    json_.Key("embr");
    WriteEmbrJson(json_, embr);
  }
  void Gpt(const GptRecord& gpt) override {
    json_.Key("gpt");
    WriteGptJson(json_, gpt);
  }
  void BeginBootRows(std::uint32_t) override {
    json_.Key("boot_sectors");
    json_.BeginArray();
  }
  void BootRow(const BootRowRecord& row) override { WriteBootRowJson(json_, row); }
  void EndBootRows() override { json_.EndArray(); }

 private:
  JsonWriter& json_;
};

}  // namespace

std::optional<Severity> WriteDiskJson(JsonWriter& json, ReportState& state, std::uint32_t index,
                                      bool check) {
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
  JsonSink sink(json);
  // The JSON shows what the text does not (an exFAT volume's boot regions),
  // so its pass reads those sectors too.
  const bool readVolumeRegions = state.readVolumeRegions;
  state.readVolumeRegions = true;
  std::optional<Severity> worst;
  if (check) {
    const DiskCheck result = CheckDisk(state, sink);
    WriteCheckJson(json, result);
    worst = WorstSeverity(result.findings);
  } else {
    ReadDiskRecords(state, sink);
  }
  state.readVolumeRegions = readVolumeRegions;
  json.EndObject();
  return worst;
}

}  // namespace disklens
