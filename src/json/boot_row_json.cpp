#include "json/boot_row_json.h"

#include "json/boot_fields_json.h"
#include "json/json_text.h"

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

JsonValue BootRowJson(const BootRowRecord& r) {
  JsonValue row = {{"file_system_id", FixedHex(r.row.fileSystemId, 2)},
                   {"lba", r.row.lba},
                   {"total_sectors", r.row.totalSectors},
                   {"id", FixedHex(r.row.id, 4)},
                   {"read_error", !r.read}};
  const char* decoder = r.read ? DecoderName(r.decoder) : nullptr;
  row["decoder"] = decoder != nullptr ? JsonValue(decoder) : JsonValue(nullptr);
  // A type 0xDA trailer that could not be read has no fields.
  row["fields"] = decoder != nullptr && r.sector.size != 0
                      ? BootFieldsJson(BootDecoderFields(r.decoder), r.sector)
                      : JsonValue(nullptr);
  if (r.read && r.decoder == BootDecoder::kFat32) {
    row["backup_fields"] = BootFieldsJson(kFat32BootFields, r.backup, false);
  }
  return row;
}

}  // namespace disklens
