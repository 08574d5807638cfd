#include "json/boot_row_json.h"

#include "json/boot_fields_json.h"
#include "json/volume_json.h"

namespace disklens {

namespace {

const char* DecoderName(BootDecoder decoder) {
  switch (decoder) {
    case BootDecoder::kFat: return "fat";
    case BootDecoder::kNtfs: return "ntfs";
    case BootDecoder::kFat32: return "fat32";
    case BootDecoder::kImageTrailer: return "image_trailer";
    case BootDecoder::kNone: break;
  }
  return nullptr;
}

}  // namespace

void WriteBootRowJson(JsonWriter& json, const BootRowRecord& r) {
  json.BeginObject();
  json.Hex("file_system_id", r.row.fileSystemId, 2);
  json.Number("lba", r.row.lba);
  json.Number("total_sectors", r.row.totalSectors);
  json.Hex("id", r.row.id, 4);
  json.Bool("read_error", !r.read);
  // exFAT, BitLocker and ReFS are told as themselves here, where the text
  // shows them through the FAT12/16 decoder.
  const char* volume = VolumeDecoderName(r);
  const char* decoder = volume != nullptr ? volume : r.read ? DecoderName(r.decoder) : nullptr;
  if (decoder != nullptr) {
    json.Text("decoder", decoder);
  } else {
    json.Null("decoder");
  }
  // A type 0xDA trailer that could not be read has no fields.
  json.Key("fields");
  if (volume != nullptr) {
    WriteVolumeFieldsJson(json, r);
  } else if (decoder != nullptr && r.sector.size != 0) {
    WriteBootFieldsJson(json, BootDecoderFields(r.decoder), r.sector);
  } else {
    json.Null();
  }
  if (volume == nullptr && r.read && r.decoder == BootDecoder::kFat32) {
    json.Key("backup_fields");
    WriteBootFieldsJson(json, kFat32BootFields, r.backup, false);
  }
  WriteVolumeMembersJson(json, r);
  json.EndObject();
}

}  // namespace disklens
